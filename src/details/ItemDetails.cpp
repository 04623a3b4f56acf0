#include "ItemDetails.h"

#include "core/FieldTypes.h"
#include "scene/SceneTree.h"
#include "scriptgen/ScriptGenerator.h"

#include <QStringList>

namespace vendrel {

namespace {

bool isAccessKey(QStringView key)
{
    return key.startsWith(u"Get_") || key.startsWith(u"On_") || key.startsWith(u"Set_");
}

/// The texts of the node items from the top down to `index`, joined with " > ".
QString pathTo(const SceneTree& tree, int index)
{
    QStringList texts;
    for (; index > 0 && tree.key(index) != u"Root"; index = tree.parent(index))
        texts.prepend(tree.text(index));
    return texts.join(u" > ");
}

QString defNameLine(const SceneTree& tree, int index, const NodeRef& node)
{
    if (const QString defName = node->defName(); !defName.isEmpty())
        return defName;
    // Addressed the way the script generator addresses the node's fields, less the field name.
    const auto ancestor = tree.namedAncestor(index, u"");
    if (!ancestor)
        return QStringLiteral("unnamed, with no named node above it: its fields give no functions");
    return u"unnamed, addressed as " % ancestor->path.chopped(1);
}

void describeNode(const SceneTree& tree, int index, QStringList& lines)
{
    const NodeRef node = tree.tagNode(index);
    if (!node)
        throw Failure("The item holds no node");
    lines << u"Type: " % node->typeName() << u"DEF name: " % defNameLine(tree, index, node)
          << u"Path: " % pathTo(tree, index) << u"Fields: " % QString::number(node->fieldCount());
}

void describeField(const SceneTree& tree, int index, const ItemDetails::Field& field,
                   const std::optional<FieldValueText>& value, QStringList& lines)
{
    const FieldInfo& info = field.info;
    const QString type = fieldTypeName(info.fieldType);
    lines << u"Field: " % info.name << u"Node: " % pathTo(tree, tree.parent(index))
          << u"Type: " % (type.isEmpty() ? QStringLiteral("unknown") : type) % u" (" %
                 QString::number(info.fieldType) % u')'
          << u"Access: " % accessTypeName(info.accessType) % u" (" % QString::number(info.accessType) % u')'
          << u"Value: " % (value ? ItemDetails::valueText(*value) : QStringLiteral("reading..."));

    if (!isAccessKey(tree.key(index))) {
        lines << QStringLiteral("Script: none, a field item gives no function (tick \"All\" for its "
                                "Get_ and Set_ items)");
        return;
    }
    const ScriptGenerator::ItemScript script = ScriptGenerator::ScriptOfItem(tree, index);
    if (script.text.isEmpty()) {
        lines << u"Script: none, " % (script.missing.isEmpty() ? QStringLiteral("nothing") : script.missing);
        return;
    }
    QString text = QString(script.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (text.endsWith(u'\n'))
        text.chop(1);
    lines << QStringLiteral("Script:") << text;
    if (!script.missing.isEmpty())
        lines << u"(" % script.missing % u')';
}

} // namespace

std::optional<ItemDetails::Field> ItemDetails::fieldOf(const SceneTree& tree, int index)
{
    try {
        // A field's key ends in its position in the node's field list; access items hang under their
        // node's item, field items carry the node themselves.
        const QString key = tree.key(index);
        const bool access = isAccessKey(key);
        if (!access && !key.startsWith(u'f'))
            return {};
        bool ok = false;
        const int position = QStringView(key).sliced(key.lastIndexOf(u'_') + 1).toInt(&ok);
        const NodeRef node = tree.tagNode(access ? tree.parent(index) : index);
        if (!ok || !node)
            return {};
        return Field{node, node->fieldInfo(position)};
    } catch (const Failure&) {
        return {};
    }
}

QString ItemDetails::valueText(const FieldValueText& value)
{
    if (!value.readable)
        return u"not read (" % value.text % u')';
    if (value.elements < 0)
        return value.text;
    const QString count =
        QString::number(value.elements) % (value.elements == 1 ? u" element" : u" elements");
    if (value.elements == 0)
        return count;
    if (value.shown >= value.elements)
        return count % u": " % value.text;
    return count % u", the first " % QString::number(value.shown) % u": " % value.text % u" ...";
}

QString ItemDetails::describe(const SceneTree& tree, int index, const std::optional<FieldValueText>& value)
{
    if (index < 1 || index > tree.count())
        return {};
    QStringList lines = {tree.text(index)};
    try {
        const QString key = tree.key(index);
        if (key == u"Root") {
            lines << u"The world, with " % QString::number(tree.childCount(index)) % u" root nodes";
        } else if (key.startsWith(u"Root_")) {
            describeNode(tree, index, lines);
        } else if (const auto field = fieldOf(tree, index)) {
            describeField(tree, index, *field, value, lines);
        } else {
            lines << QStringLiteral("(its field cannot be read)");
        }
    } catch (const Failure& failure) {
        lines << u"(cannot be read: " % QString::fromUtf8(failure.what()) % u')';
    }
    return lines.join(u'\n');
}

} // namespace vendrel
