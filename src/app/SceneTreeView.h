#pragma once

#include <QTreeView>

namespace vendrel {

/// The scene tree's view. "*" expands every item below the current one that has children: Qt's own
/// handling also marks each leaf expanded and lays the view out again per item, which on a tree of a
/// million items takes seconds.
class SceneTreeView : public QTreeView
{
public:
    using QTreeView::QTreeView;

    /// Expands `top` and every item below it that has children, laying the view out once.
    void expandBelow(const QModelIndex& top);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace vendrel
