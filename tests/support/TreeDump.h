#pragma once

#include "scene/SceneTree.h"

#include <QStringList>

namespace vendrel::test {

/// Every item of the tree in index order as "key text", for comparing whole trees at a glance.
inline QStringList dumpTree(const SceneTree& tree)
{
    QStringList lines;
    for (int i = 1; i <= tree.count(); ++i)
        lines.append(tree.key(i) + u' ' + tree.text(i));
    return lines;
}

} // namespace vendrel::test
