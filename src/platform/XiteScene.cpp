#include "XiteScene.h"

#include "core/FieldTypes.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

namespace vendrel {

namespace {

using ScenePtr = std::shared_ptr<XiteScene>;

[[noreturn]] void reject(const char* what)
{
    throw Failure(std::string("Invalid scene description: ") + what);
}

QJsonArray arrayOf(const QJsonValue& value, const char* what)
{
    if (!value.isArray())
        reject(what);
    return value.toArray();
}

/// A whole number in [low, high]; JSON numbers are doubles, so fractions and huge values are refused.
int intOf(const QJsonValue& value, int low, int high, const char* what)
{
    if (!value.isDouble())
        reject(what);
    const double d = value.toDouble();
    if (!(d >= low && d <= high) || d != double(int(d)))
        reject(what);
    return int(d);
}

QString stringOf(const QJsonValue& value, const char* what)
{
    if (!value.isString())
        reject(what);
    return value.toString();
}

class XiteNodeArray : public NodeArray
{
public:
    XiteNodeArray(ScenePtr scene, const std::vector<int>* ids) : m_scene(std::move(scene)), m_ids(ids) {}
    int length() override { return int(m_ids->size()); }
    NodeRef item(int i) override
    {
        if (i < 0 || i >= int(m_ids->size()))
            throw Failure("Node array index out of range");
        const int id = (*m_ids)[size_t(i)];
        return id < 0 ? nullptr : m_scene->node(id);
    }

private:
    ScenePtr m_scene;
    const std::vector<int>* m_ids;
};

class XiteField : public SceneField
{
public:
    XiteField(ScenePtr scene, int node, int position)
        : m_scene(std::move(scene)), m_node(node), m_position(position)
    {}
    QString getName() override { return info().name; }
    int getType() override { return info().fieldType; }
    NodeArrayRef getValue() override
    {
        if (info().fieldType != MFNode)
            throw Failure("getValue: not an MFNode field");
        return std::make_shared<XiteNodeArray>(m_scene, &link().list);
    }
    NodeRef value() override
    {
        if (info().fieldType != SFNode)
            throw Failure("value: not an SFNode field");
        const int id = link().node;
        return id < 0 ? nullptr : m_scene->node(id);
    }

private:
    const XiteScene::FieldList& list() const
    {
        return m_scene->fieldLists()[size_t(m_scene->nodes()[size_t(m_node)].fieldList)];
    }
    const FieldInfo& info() const { return list().fields[size_t(m_position)]; }
    const XiteScene::Link& link() const
    {
        const int slot = list().linkSlot[size_t(m_position)];
        return m_scene->nodes()[size_t(m_node)].links[size_t(slot)];
    }

    ScenePtr m_scene;
    int m_node;
    int m_position;
};

class XiteNode : public SceneNode
{
public:
    XiteNode(ScenePtr scene, int index) : m_scene(std::move(scene)), m_index(index) {}
    QString typeName() override { return data().typeName; }
    QString defName() override { return data().defName; }
    int fieldCount() override { return int(list().fields.size()); }
    FieldInfo fieldInfo(int j) override
    {
        if (j < 0 || j >= fieldCount())
            throw Failure("Field position out of range");
        return list().fields[size_t(j)];
    }
    FieldRef getField(const QString& name) override
    {
        const auto found = list().positions.constFind(name);
        if (found == list().positions.cend())
            throw Failure("No field named " + name.toStdString());
        return std::make_shared<XiteField>(m_scene, m_index, *found);
    }
    quintptr identity() const override { return quintptr(m_index) + 1; }
    int indexIn(const XiteScene* scene) const { return m_scene.get() == scene ? m_index : -1; }

private:
    const XiteScene::Node& data() const { return m_scene->nodes()[size_t(m_index)]; }
    const XiteScene::FieldList& list() const { return m_scene->fieldLists()[size_t(data().fieldList)]; }

    ScenePtr m_scene;
    int m_index;
};

class XiteContext : public ExecutionContext
{
public:
    explicit XiteContext(ScenePtr scene) : m_scene(std::move(scene)) {}
    NodeArrayRef rootNodes() override { return std::make_shared<XiteNodeArray>(m_scene, &m_scene->roots()); }

private:
    ScenePtr m_scene;
};

} // namespace

int XiteScene::accessTypeFromXite(int bits)
{
    switch (bits) {
    case 1:
        return InitializeOnly;
    case 2:
        return InputOnly;
    case 4:
        return OutputOnly;
    case 7:
        return InputOutput;
    default:
        return -1;
    }
}

std::shared_ptr<XiteScene> XiteScene::parse(const QJsonObject& description)
{
    auto scene = std::make_shared<XiteScene>();
    const QJsonArray defs = arrayOf(description.value(u"defs"), "defs");
    const QJsonArray nodes = arrayOf(description.value(u"nodes"), "nodes");
    const QJsonArray roots = arrayOf(description.value(u"roots"), "roots");
    if (nodes.size() > maxNodes || defs.size() > maxNodes || roots.size() > maxNodes)
        reject("too many nodes");
    const int nodeCount = int(nodes.size());

    scene->m_fieldLists.reserve(size_t(defs.size()));
    for (const QJsonValue& defsValue : defs) {
        const QJsonArray entries = arrayOf(defsValue, "field list");
        if (entries.size() > maxFieldsPerNode)
            reject("too many fields");
        FieldList list;
        list.fields.reserve(size_t(entries.size()));
        int links = 0;
        for (const QJsonValue& entryValue : entries) {
            const QJsonArray entry = arrayOf(entryValue, "field definition");
            if (entry.size() != 3)
                reject("field definition");
            FieldInfo info;
            info.name = stringOf(entry[0], "field name");
            info.accessType = accessTypeFromXite(intOf(entry[1], 0, 255, "access type"));
            if (info.accessType < 0)
                reject("access type");
            info.fieldType = fieldTypeCode(stringOf(entry[2], "field type"));
            const int position = int(list.fields.size());
            if (!list.positions.contains(info.name)) // a later duplicate must not shadow the first
                list.positions.insert(info.name, position);
            const bool linked = info.fieldType == SFNode || info.fieldType == MFNode;
            list.linkSlot.push_back(linked ? links++ : -1);
            list.fields.push_back(std::move(info));
        }
        scene->m_fieldLists.push_back(std::move(list));
    }

    auto nodeId = [&](const QJsonValue& value) {
        return intOf(value, -1, nodeCount - 1, "node reference");
    };

    scene->m_nodes.reserve(size_t(nodeCount));
    for (const QJsonValue& nodeValue : nodes) {
        const QJsonArray entry = arrayOf(nodeValue, "node");
        if (entry.size() != 4)
            reject("node");
        Node node;
        node.typeName = stringOf(entry[0], "type name");
        node.defName = stringOf(entry[1], "DEF name");
        node.fieldList = intOf(entry[2], 0, int(defs.size()) - 1, "field list reference");
        const FieldList& list = scene->m_fieldLists[size_t(node.fieldList)];
        const QJsonArray links = arrayOf(entry[3], "links");
        node.links.resize(size_t(links.size()));
        qsizetype slot = 0;
        for (size_t j = 0; j < list.fields.size(); ++j) {
            if (list.linkSlot[j] < 0)
                continue;
            if (slot >= links.size())
                reject("links");
            Link& link = node.links[size_t(slot)];
            const QJsonValue value = links[slot++];
            if (list.fields[j].fieldType == SFNode) {
                link.node = nodeId(value);
            } else {
                const QJsonArray ids = arrayOf(value, "MFNode value");
                link.list.reserve(size_t(ids.size()));
                for (const QJsonValue& id : ids)
                    link.list.push_back(nodeId(id));
            }
        }
        if (slot != links.size())
            reject("links");
        scene->m_nodes.push_back(std::move(node));
    }

    scene->m_roots.reserve(size_t(roots.size()));
    for (const QJsonValue& root : roots)
        scene->m_roots.push_back(nodeId(root));
    return scene;
}

qint64 XiteScene::fieldTotal() const
{
    qint64 total = 0;
    for (const Node& node : m_nodes)
        total += qint64(m_fieldLists[size_t(node.fieldList)].fields.size());
    return total;
}

NodeRef XiteScene::node(int index)
{
    if (index < 0 || index >= int(m_nodes.size()))
        throw Failure("Node reference out of range");
    return std::make_shared<XiteNode>(shared_from_this(), index);
}

std::shared_ptr<ExecutionContext> XiteScene::executionContext()
{
    return std::make_shared<XiteContext>(shared_from_this());
}

int XiteScene::indexOf(const NodeRef& node) const
{
    const auto* ours = dynamic_cast<const XiteNode*>(node.get());
    return ours ? ours->indexIn(this) : -1;
}

} // namespace vendrel
