#pragma once

#include "core/IdleEventPump.h"
#include "core/MessageBox.h"
#include "scene/SceneTree.h"

#include <QString>

#include <iterator>

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

/// Top item, then per model the nodes and field items the walk makes of a Transform around a mesh, as in
/// a world of thousands of copies of one cube: 217 items a model, 7 of them with children.
inline void fillNested(SceneTree& tree, int items)
{
    const struct
    {
        const char* type;
        int parent; // row of this table; -1: the top item
        int fields;
    } shape[] = {{"Transform", -1, 30}, {"Group", 0, 14},          {"Shape", 1, 19},    {"Appearance", 2, 28},
                 {"Material", 3, 69},   {"IndexedFaceSet", 2, 44}, {"Coordinate", 5, 6}};
    tree.clear();
    tree.beginBuild();
    tree.add({}, u"Root", u"File");
    QString keys[std::size(shape)];
    for (int i = 0; tree.count() < items; ++i) {
        for (std::size_t n = 0; n < std::size(shape); ++n) {
            keys[n] = QStringLiteral("Root_%1_%2").arg(i).arg(n);
            const QString name = QStringLiteral("N%1_%2").arg(i).arg(n);
            tree.add(shape[n].parent < 0 ? QStringLiteral("Root") : keys[shape[n].parent], keys[n],
                     QString(QString::fromLatin1(shape[n].type) + u' ' + name));
            for (int f = 0; f < shape[n].fields; ++f) {
                const QString field = QString::number(f);
                tree.add(keys[n], QString(u"Get_f" + keys[n] + u'_' + field),
                         QString(u"Get_" + name + u"_field" + field));
            }
        }
    }
    tree.endBuild();
}

} // namespace vendrel::bench
