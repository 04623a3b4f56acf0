#pragma once

namespace vendrel {

/// Told about every change of a SceneTree, so that a view can follow it. Indices are 1-based.
class SceneTreeObserver
{
public:
    virtual ~SceneTreeObserver() = default;
    /// Every item is gone.
    virtual void treeCleared() {}
    /// Item `index` was appended outside a build.
    virtual void itemAdded(int index) { (void)index; }
    /// A build ended: every item added since it began is new.
    virtual void buildFinished() {}
    /// The tick of one or more items in [first, last] changed.
    virtual void checksChanged(int first, int last)
    {
        (void)first;
        (void)last;
    }
    /// The highlighted item is now `index` (0: none).
    virtual void selectionChanged(int index) { (void)index; }
    virtual void expandedChanged(int index) { (void)index; }
};

} // namespace vendrel
