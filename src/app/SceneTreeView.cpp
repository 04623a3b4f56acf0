#include "SceneTreeView.h"

#include <QKeyEvent>

#include <vector>

namespace vendrel {

void SceneTreeView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Asterisk && currentIndex().isValid()) {
        expandBelow(currentIndex());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void SceneTreeView::expandBelow(const QModelIndex& top)
{
    const QModelIndex first = top.siblingAtColumn(0);
    // Below the only top item that is everything: one layout pass expands it all at once.
    if (!first.parent().isValid() && model()->rowCount() == 1) {
        expandAll();
        return;
    }
    // With a layout pending, expanding an item only records it; the layout then runs once.
    scheduleDelayedItemsLayout();
    std::vector<QModelIndex> open = {first};
    while (!open.empty()) {
        const QModelIndex parent = open.back();
        open.pop_back();
        expand(parent);
        const int rows = model()->rowCount(parent);
        for (int row = 0; row < rows; ++row) {
            const QModelIndex child = model()->index(row, 0, parent);
            if (!(child.flags() & Qt::ItemNeverHasChildren) && model()->hasChildren(child))
                open.push_back(child);
        }
    }
    executeDelayedItemsLayout();
}

} // namespace vendrel
