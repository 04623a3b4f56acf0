#include "SceneTreeView.h"

#include <QKeyEvent>

namespace vendrel {

void SceneTreeView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Asterisk && currentIndex().isValid()) {
        // Below the only top item that is everything: one layout pass expands it all at once.
        if (!currentIndex().parent().isValid() && model()->rowCount() == 1)
            expandAll();
        else
            expandRecursively(currentIndex());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

} // namespace vendrel
