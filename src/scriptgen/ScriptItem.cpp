#include "ScriptItem.h"

#include "scene/SceneTree.h"

namespace vendrel {

ScriptItem::Markers ScriptItem::markersOf(QStringView text)
{
    // One pass over the text: every marker ends in "_".
    const auto endsAt = [text](qsizetype at, QStringView word) {
        return at >= word.size() && text.sliced(at - word.size(), word.size()) == word;
    };
    Markers markers;
    for (qsizetype at = text.indexOf(u'_'); at >= 0; at = text.indexOf(u'_', at + 1)) {
        markers.listener = markers.listener || endsAt(at, u"On");
        markers.getter = markers.getter || endsAt(at, u"Get");
        markers.setter = markers.setter || endsAt(at, u"Set");
    }
    return markers;
}

ScriptItem::Address ScriptItem::addressOf(const SceneTree& tree, int index)
{
    NodeCache once;
    return addressOf(tree, index, once);
}

ScriptItem::Address ScriptItem::addressOf(const SceneTree& tree, int index, NodeCache& cache)
{
    const int parent = tree.parent(index);
    if (parent < 1)
        throw Failure("The item has no node above it");
    if (cache.item != parent) {
        cache = {};
        cache.node = tree.tagNode(parent);
        if (!cache.node)
            throw Failure("The item holds no node");
        cache.defName = cache.node->defName();
        cache.item = parent;
    }
    Address address;
    address.node = cache.node;
    address.field = tree.tagField(index);
    if (!address.field)
        throw Failure("The item holds no field");
    address.fieldName = address.field->getName();

    // Unnamed nodes are addressed by the texts of their items up to the nearest named ancestor, and in
    // the page's document by that ancestor's name and the field name.
    if (!cache.defName.isEmpty()) {
        address.nodePath = cache.defName;
        return address;
    }
    if (!cache.climbed) {
        cache.ancestor = tree.namedAncestor(parent, u""); // its path ends in "_": the field name follows
        cache.climbed = true;
    }
    if (!cache.ancestor)
        throw Failure("The item has no named node above it");
    address.nodePath = cache.ancestor->path % address.fieldName;
    address.domPath = cache.ancestor->name % u'.' % address.fieldName;
    return address;
}

namespace {

/// `into` becomes prefix, node path, field name and suffix.
void joinName(QString& into, QStringView prefix, const QString& nodePath, const QString& fieldName,
              QStringView suffix = {})
{
    into.resize(0);
    into.append(prefix).append(nodePath).append(fieldName).append(suffix);
}

QString joinedName(void (*join)(QString&, const QString&, const QString&), const QString& nodePath,
                   const QString& fieldName)
{
    QString name;
    join(name, nodePath, fieldName);
    return name;
}

} // namespace

void ScriptItem::getterName(QString& into, const QString& nodePath, const QString& fieldName)
{
    joinName(into, u"Get", nodePath, fieldName);
}

void ScriptItem::listenerName(QString& into, const QString& nodePath, const QString& fieldName)
{
    joinName(into, u"On", nodePath, fieldName);
}

void ScriptItem::observerName(QString& into, const QString& nodePath, const QString& fieldName)
{
    joinName(into, {}, nodePath, fieldName, u"_observer");
}

QString ScriptItem::getterName(const QString& nodePath, const QString& fieldName)
{
    return joinedName(&getterName, nodePath, fieldName);
}

QString ScriptItem::listenerName(const QString& nodePath, const QString& fieldName)
{
    return joinedName(&listenerName, nodePath, fieldName);
}

QString ScriptItem::observerName(const QString& nodePath, const QString& fieldName)
{
    return joinedName(&observerName, nodePath, fieldName);
}

bool ScriptItem::mayHaveSetter(QStringView text)
{
    return !text.contains(u"rientation");
}

} // namespace vendrel
