#include "SceneWalker.h"

#include "SceneTree.h"
#include "core/EventPump.h"
#include "core/FieldTypes.h"
#include "core/MessageBox.h"

#include <QLocale>

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
    m_timedOut = m_stoppedFull = false;
    m_nodes = 0;
    m_sinceProgress.start();
    m_sinceEvents.start();
    const auto generation = m_tree.generation();
    m_events.processPendingEvents();
    if (m_tree.generation() != generation)
        return; // a newer walk owns the tree now

    const int top = m_tree.add(0, m_tree.compose(u"Root"), m_tree.compose(u"File"));
    m_tree.setExpanded(top, true);

    const int count = roots->length();
    for (int i = 0; i < count && !m_timedOut && !m_stoppedFull; ++i) {
        try {
            WalkNode(roots->item(i), top, i);
        } catch (const std::exception&) {
            m_messages.warn(QStringLiteral("Set afd = node.getFieldDefinitions failed"));
            return;
        }
        if (m_tree.generation() != generation)
            return;
    }
    m_tree.setSelected(1, true);
}

bool SceneWalker::mayGoOn()
{
    if (m_timedOut || m_stoppedFull)
        return false;
    if (m_progress && (++m_steps & 0xff) == 0 && m_sinceProgress.hasExpired(100)) {
        m_progress(m_tree.count());
        m_sinceProgress.start();
    }
    if (m_deadline.hasExpired()) {
        m_timedOut = true;
        return false;
    }
    if (m_tree.full()) {
        m_stoppedFull = true;
        m_messages.warn(QStringLiteral("The tree stops at %1 items: the world lists more")
                            .arg(QLocale(QLocale::English).toString(m_tree.itemLimit())));
        return false;
    }
    return true;
}

void SceneWalker::WalkNode(const NodeRef& node, int parentIndex, int n)
{
    walk(node, parentIndex, n);
}

SceneTree::PartId SceneWalker::formNodeKey(SceneTree::PartId parentKey, int n, bool heldByField)
{
    return m_tree.compose({}, parentKey, QString((heldByField ? u"_f" : u"_") + QString::number(n)));
}

std::optional<SceneWalker::Frame> SceneWalker::enterNode(const NodeRef& node, int parentIndex, int n,
                                                         bool heldByField, const Designator& designator,
                                                         const Ancestors& ancestors)
{
    if (!node)
        return std::nullopt;
    SceneTree::PartId key;
    try {
        key = formNodeKey(m_tree.keyPart(parentIndex), n, heldByField);
    } catch (const std::exception&) {
        m_messages.warn(QStringLiteral("Dang it!"));
        return std::nullopt;
    }
    Frame frame;
    frame.index = AddNodeItem(node, parentIndex, key);
    ++m_nodes;
    frame.identity = node->identity();
    if (ancestors.contains(frame.identity))
        return std::nullopt; // its own ancestor: listed, but walking it again would never end
    try {
        frame.fieldCount = node->fieldCount();
    } catch (const std::exception&) {
        m_messages.warn(QStringLiteral("Dang it GNF!"));
        return std::nullopt;
    }
    frame.node = node;
    frame.key = key;
    frame.designator = designator;
    return frame;
}

const SceneWalker::Designator& SceneWalker::designatorBelow(Frame& frame)
{
    if (!frame.own) {
        Designator own;
        try {
            const QString defName = frame.node->defName();
            if (!defName.isEmpty())
                own = m_tree.compose(defName);
            else if (frame.designator)
                own = m_tree.compose({}, *frame.designator, QString(u'_' + m_tree.text(frame.index)));
        } catch (const std::exception&) {
            // an unreadable name: the nodes below get no field items
        }
        frame.own = own;
    }
    return *frame.own;
}

bool SceneWalker::walk(const NodeRef& node, int parentIndex, int n)
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
    if (!mayGoOn())
        return false;
    if (auto first = enterNode(node, parentIndex, n, false, std::nullopt, ancestors))
        push(std::move(*first));

    while (!stack.empty()) {
        if (m_tree.generation() != generation || !mayGoOn())
            return false;
        Frame& frame = stack.back();

        if (frame.inChildren) {
            if (frame.c < frame.childCount) {
                const int c = frame.c++;
                std::optional<Frame> child;
                try {
                    child = enterNode(frame.children->item(c), frame.index, c, false, designatorBelow(frame),
                                      ancestors);
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
            const SceneTree::PartId fieldKey =
                m_tree.compose(u"f", frame.key, QString(u'_' + QString::number(j)));
            AddFieldItems(frame.node, j, frame.index, fieldKey, frame.designator);
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
                    m_messages.warn(QStringLiteral("Dang it GF!"));
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
                child = enterNode(field->value(), frame.index, j, true, designatorBelow(frame), ancestors);
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

int SceneWalker::AddNodeItem(const NodeRef& node, int parentIndex, SceneTree::PartId key)
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
    const int index = m_tree.add(parentIndex, key, m_tree.compose(text));
    m_tree.setTag(index, node);
    return index;
}

void SceneWalker::AddFieldItems(const NodeRef& node, int j, int nodeIndex, SceneTree::PartId fieldKey,
                                const Designator& designator)
{
    static const QString get = QStringLiteral("Get_");
    static const QString on = QStringLiteral("On_");
    static const QString set = QStringLiteral("Set_");
    try {
        const FieldInfo info = node->fieldInfo(j);
        const QString defName = node->defName();
        // Access items: key prefix + field key, text prefix + the node's designation + "_" + field name.
        auto addAccessItem = [&](const QString& prefix, SceneTree::PartId named, const QString& tail) {
            return m_tree.add(nodeIndex, m_tree.compose(prefix, fieldKey),
                              m_tree.compose(prefix, named, tail));
        };

        if (!defName.isEmpty()) {
            const SceneTree::PartId name = m_tree.compose(defName);
            const QString tail = u'_' + info.name;
            if (info.accessType == OutputOnly || info.accessType == InputOutput) {
                // The item exists before its field object is fetched: a failing fetch leaves it untagged.
                const int index = addAccessItem(get, name, tail);
                const FieldRef field = node->getField(info.name);
                m_tree.setTag(index, field);
                m_tree.setTag(addAccessItem(on, name, tail), field);
            }
            if (info.accessType == InputOnly || info.accessType == InputOutput) {
                const int index = addAccessItem(set, name, tail);
                m_tree.setTag(index, node->getField(info.name));
            }
            return;
        }

        if (m_checkAll() != 1) {
            const int index = m_tree.add(nodeIndex, fieldKey, m_tree.compose(info.name));
            m_tree.setTag(index, node);
            return;
        }

        // Unnamed nodes borrow the DEF name of their nearest named ancestor. Events run first; a rebuild
        // meanwhile ends the call.
        if (!designator)
            return;
        // Now and then only: asking for events at each of a million fields would take longer than the walk.
        if (m_sinceEvents.hasExpired(eventsEveryMs)) {
            const auto generation = m_tree.generation();
            m_sinceEvents.start();
            m_events.processPendingEvents();
            if (m_tree.generation() != generation)
                return;
        }
        // The designation ends with the field name, and the text adds it once more.
        const QString tail = u'_' + info.name + u'_' + info.name;
        const int index = addAccessItem(get, *designator, tail);
        const FieldRef field = node->getField(info.name);
        m_tree.setTag(index, field);
        m_tree.setTag(addAccessItem(set, *designator, tail), field);
    } catch (const std::exception&) {
        // the items made so far stay; the walk goes on
    }
}

} // namespace vendrel
