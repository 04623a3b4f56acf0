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

/// 1 File, 2 Transform T1, 3 Get_T1_translation, 4 On_T1_translation, 5 Set_T1_translation, 6 Transform T10,
/// 7 Get_T10_rotation, 8 Transform Get_x, 9 Get_Get_x_translation, 10 Set_Get_x_translation, and two
/// items whose texts look like prefixes: 11 get_lower, 12 Get_
inline void fillSampleTree(SceneTree& tree)
{
    fillTree(tree, {"Transform T1", "Get_T1_translation", "On_T1_translation", "Set_T1_translation",
                    "Transform T10", "Get_T10_rotation", "Transform Get_x", "Get_Get_x_translation",
                    "Set_Get_x_translation", "get_lower", "Get_"});
}

/// The texts of the ticked items, in index order.
inline QStringList tickedTexts(const SceneTree& tree)
{
    QStringList texts;
    for (int i = 1; i <= tree.count(); ++i) {
        if (tree.checked(i))
            texts.append(tree.text(i));
    }
    return texts;
}

} // namespace vendrel::test
