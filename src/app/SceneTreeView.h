#pragma once

#include <QTreeView>

namespace vendrel {

/// The scene tree's view. "*" expands every item below the current one that has children: Qt's own
/// handling also marks each leaf expanded, which on a tree of a million items takes many seconds.
class SceneTreeView : public QTreeView
{
public:
    using QTreeView::QTreeView;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace vendrel
