#include "SceneWalker.h"

#include "SceneTree.h"
#include "core/EventPump.h"
#include "core/FieldTypes.h"
#include "core/MessageBox.h"

namespace vendrel {

namespace {

const QString childrenName = QStringLiteral("children");

/// Keeps the tree's build open while a walk runs, also when the walk ends by a failure.
class BuildScope
{
public:
    explicit BuildScope(SceneTree& tree) : m_tree(tree) { m_tree.beginBuild(); }
    ~BuildScope() { m_tree.endBuild(); }
    BuildScope(const BuildScope&) = delete;
    BuildScope& operator=(const BuildScope&) = delete;

private:
    SceneTree& m_tree;
};

} // namespace

SceneWalker::SceneWalker(SceneTree& tree, ModuleOrva& orva, MessageBox& messages, EventPump& events,
                         std::function<int()> checkAll)
    : m_tree(tree), m_orva(orva), m_messages(messages), m_events(events), m_checkAll(std::move(checkAll))
{}

void SceneWalker::BuildSceneTree()
{
    if (!m_orva.context)
        throw Failure("No world has been loaded");
    const NodeArrayRef roots = m_orva.context->rootNodes();
    if (!roots)
        throw Failure("The world has no list of root nodes");

    BuildScope build(m_tree);
    m_tree.clear();
    const auto generation = m_tree.generation();
    m_events.processPendingEvents();
    if (m_tree.generation() != generation)
        return; // a newer walk owns the tree now

    const int top = m_tree.add({}, u"Root", u"File");
    m_tree.setExpanded(top, true);

    const int count = roots->length();
    for (int i = 0; i < count; ++i) {
        try {
            WalkNode(roots->item(i), QStringLiteral("Root"), i);
        } catch (const std::exception&) {
            m_messages.show(QStringLiteral("Set afd = node.getFieldDefinitions failed"));
            return;
        }
        if (m_tree.generation() != generation)
            return;
    }
    m_tree.setSelected(1, true);
}

void SceneWalker::WalkNode(const NodeRef& node, const QString& parentKey, int n)
{
    walk(node, parentKey, n);
}

QString SceneWalker::formNodeKey(const QString& parentKey, int n)
{
    return parentKey + u'_' + QString::number(n);
}

std::optional<SceneWalker::Frame> SceneWalker::enterNode(const NodeRef& node, const QString& parentKey, int n,
                                                         const Ancestors& ancestors)
{
    if (!node)
        return std::nullopt;
    QString key;
    try {
        key = formNodeKey(parentKey, n);
    } catch (const std::exception&) {
        m_messages.show(QStringLiteral("Dang it!"));
        return std::nullopt;
    }
    AddNodeItem(node, parentKey, key);

    Frame frame;
    frame.identity = node->identity();
    if (ancestors.contains(frame.identity))
        return std::nullopt; // its own ancestor: listed, but walking it again would never end
    try {
        frame.fieldCount = node->fieldCount();
    } catch (const std::exception&) {
        m_messages.show(QStringLiteral("Dang it GNF!"));
        return std::nullopt;
    }
    frame.node = node;
    frame.key = std::move(key);
    return frame;
}

bool SceneWalker::walk(const NodeRef& node, const QString& parentKey, int n)
{
    const auto generation = m_tree.generation();
    Ancestors ancestors;
    std::vector<Frame> stack;

    // Depth-first and pre-order, as the recursive definition gives it; each frame is one node whose
    // fields are being walked, and a child is entered (its item made) before its frame is pushed, so
    // a failure to add it is the failure of the field or element that led to it.
    auto push = [&](Frame&& frame) {
        ancestors.insert(frame.identity);
        stack.push_back(std::move(frame));
    };
    if (auto first = enterNode(node, parentKey, n, ancestors))
        push(std::move(*first));

    while (!stack.empty()) {
        if (m_tree.generation() != generation)
            return false;
        Frame& frame = stack.back();

        if (frame.inChildren) {
            if (frame.c < frame.childCount) {
                const int c = frame.c++;
                std::optional<Frame> child;
                try {
                    child = enterNode(frame.children->item(c), frame.key, c, ancestors);
                } catch (const std::exception&) {
                    // element c is skipped
                }
                if (child)
                    push(std::move(*child));
                continue;
            }
            frame.inChildren = false;
            frame.children.reset();
            ++frame.j;
            continue;
        }

        if (frame.j >= frame.fieldCount) {
            ancestors.erase(frame.identity);
            stack.pop_back();
            continue;
        }

        const int j = frame.j;
        std::optional<Frame> child;
        try {
            const FieldInfo info = frame.node->fieldInfo(j);
            const QString fieldKey = u'f' + frame.key + u'_' + QString::number(j);
            AddFieldItems(frame.node, j, frame.key, fieldKey);
            if (m_tree.generation() != generation)
                return false;

            if (info.name == childrenName) {
                try {
                    const FieldRef field = frame.node->getField(info.name);
                    if (!field)
                        throw Failure("No children field");
                    NodeArrayRef children = field->getValue();
                    if (!children)
                        throw Failure("The children field holds no node array");
                    frame.childCount = children->length();
                    frame.children = std::move(children);
                } catch (const std::exception&) {
                    m_messages.show(QStringLiteral("Dang it GF!"));
                    frame.j = frame.fieldCount; // the rest of this node's fields are not walked
                    continue;
                }
                frame.c = 0;
                frame.inChildren = true;
                continue;
            }
            if (info.accessType != InputOnly && info.fieldType == SFNode) {
                const FieldRef field = frame.node->getField(info.name);
                if (!field)
                    throw Failure("No such field");
                // The held node's number is the field's position j.
                child = enterNode(field->value(), frame.key, j, ancestors);
            }
        } catch (const std::exception&) {
            // field j is skipped
        }
        ++stack.back().j;
        if (child)
            push(std::move(*child));
    }
    return m_tree.generation() == generation;
}

void SceneWalker::AddNodeItem(const NodeRef& node, const QString& parentKey, const QString& key)
{
    QString typeName;
    QString defName;
    try {
        typeName = node->typeName();
        defName = node->defName();
    } catch (const std::exception&) {
        typeName = QStringLiteral("Err");
        defName = QStringLiteral("ParNodeErr");
    }
    const QString text = defName.isEmpty() ? typeName : typeName + u' ' + defName;
    const int index = m_tree.add(parentKey, key, text);
    m_tree.setTag(index, node);
}

int SceneWalker::addAccessItem(const QString& prefix, const QString& nodeKey, const QString& fieldKey,
                               const QString& designator, const QString& fieldName)
{
    // Nothing here lets events run, so one pair of buffers serves every call without allocating.
    m_scratchKey.resize(0);
    m_scratchKey.append(prefix).append(fieldKey);
    m_scratchText.resize(0);
    m_scratchText.append(prefix).append(designator).append(u'_').append(fieldName);
    return m_tree.add(nodeKey, m_scratchKey, m_scratchText);
}

void SceneWalker::AddFieldItems(const NodeRef& node, int j, const QString& nodeKey, const QString& fieldKey)
{
    static const QString get = QStringLiteral("Get_");
    static const QString on = QStringLiteral("On_");
    static const QString set = QStringLiteral("Set_");
    try {
        const FieldInfo info = node->fieldInfo(j);
        const QString defName = node->defName();

        if (!defName.isEmpty()) {
            if (info.accessType == OutputOnly || info.accessType == InputOutput) {
                // The item exists before its field object is fetched: a failing fetch leaves it untagged.
                const int index = addAccessItem(get, nodeKey, fieldKey, defName, info.name);
                const FieldRef field = node->getField(info.name);
                m_tree.setTag(index, field);
                m_tree.setTag(addAccessItem(on, nodeKey, fieldKey, defName, info.name), field);
            }
            if (info.accessType == InputOnly || info.accessType == InputOutput) {
                const int index = addAccessItem(set, nodeKey, fieldKey, defName, info.name);
                m_tree.setTag(index, node->getField(info.name));
            }
            return;
        }

        if (m_checkAll() != 1) {
            const int index = m_tree.add(nodeKey, fieldKey, info.name);
            m_tree.setTag(index, node);
            return;
        }

        // Unnamed nodes borrow the DEF name of their nearest named ancestor; events run before every
        // step, and a rebuild meanwhile ends the search.
        const auto generation = m_tree.generation();
        const auto ancestor =
            m_tree.namedAncestor(m_tree.parent(m_tree.indexOfKey(nodeKey)), info.name, [&](int current) {
                if (m_tree.text(current) == u"File")
                    return false; // no named ancestor: no items
                m_events.processPendingEvents();
                return m_tree.generation() == generation;
            });
        if (!ancestor)
            return;
        const QString& path = ancestor->path;
        const int index = addAccessItem(get, nodeKey, fieldKey, path, info.name);
        const FieldRef field = node->getField(info.name);
        m_tree.setTag(index, field);
        m_tree.setTag(addAccessItem(set, nodeKey, fieldKey, path, info.name), field);
    } catch (const std::exception&) {
        // the items made so far stay; the walk goes on
    }
}

} // namespace vendrel
