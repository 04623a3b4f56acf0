#pragma once

#include "core/IdleEventPump.h"
#include "core/MessageBox.h"
#include "scene/SceneTree.h"

#include <QString>

namespace vendrel::bench {

/// Nobody reads messages during a measurement.
class NoMessages : public MessageBox
{
public:
    void show(const QString&) override {}
    bool ask(const QString&) override { return false; }
};

/// Top item, then per node: "Transform N<i>" and its Get_/On_/Set_ translation items.
inline void fill(SceneTree& tree, int items)
{
    tree.clear();
    tree.beginBuild();
    tree.add({}, u"Root", u"File");
    for (int i = 0; tree.count() < items; ++i) {
        const QString key = QStringLiteral("Root_%1").arg(i);
        const QString name = QStringLiteral("N%1").arg(i);
        tree.add(u"Root", key, QString(u"Transform " + name));
        tree.add(key, QString(u"Get_f" + key), QString(u"Get_" + name + u"_translation"));
        tree.add(key, QString(u"On_f" + key), QString(u"On_" + name + u"_translation"));
        tree.add(key, QString(u"Set_f" + key), QString(u"Set_" + name + u"_translation"));
    }
    tree.endBuild();
}

} // namespace vendrel::bench
