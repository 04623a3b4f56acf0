#pragma once

#include "scene/SceneTree.h"

#include <QString>
#include <QStringList>

#include <initializer_list>

namespace vendrel::test {

/// Fills `tree` with the top item "File" and, below it, one item per text, in order; the top item is
/// highlighted, as after a walk. Keys are "Root" and "k2", "k3", ... by index.
inline void fillTree(SceneTree& tree, std::initializer_list<const char*> texts)
{
    tree.clear();
    tree.add({}, u"Root", u"File");
    for (const char* text : texts)
        tree.add(u"Root", QString(u'k' + QString::number(tree.count() + 1)), QString::fromUtf8(text));
    tree.setSelected(1, true);
}

/// The texts of the ticked items, in index order.
inline QStringList tickedTexts(const SceneTree& tree)
{
    QStringList texts;
    for (int i = 1; i <= tree.count(); ++i) {
        if (tree.checked(i))
            texts.append(tree.text(i).toString());
    }
    return texts;
}

} // namespace vendrel::test
