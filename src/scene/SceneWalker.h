#pragma once

#include "ModuleOrva.h"
#include "core/SceneAccess.h"

#include "SceneTree.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

namespace vendrel {

class MessageBox;
class EventPump;

/// Turns the loaded world into the scene tree: `BuildSceneTree` rebuilds the whole tree from the root
/// nodes, `WalkNode` visits one node, its fields and the nodes below it, `AddNodeItem` and `AddFieldItems`
/// make the items. Failures are handled where they happen, with the messages users know; only a failure to
/// reach the world at all goes back to the command.
///
/// The walk keeps its own stack, so a deeply nested world cannot exhaust the program's; and it does not
/// walk into a node that is its own ancestor. If the tree is rebuilt while the walk lets events run (the
/// user clicked "All" again), the older walk stops and leaves the tree to the newer one. It also stops
/// when the tree is full (saying so) or its deadline has passed.
class SceneWalker
{
public:
    /// `checkAll` reads the "All" box: 1 ticked, 0 unticked, 2 grayed; it may throw Failure.
    SceneWalker(SceneTree& tree, ModuleOrva& orva, MessageBox& messages, EventPump& events,
                std::function<int()> checkAll);
    virtual ~SceneWalker() = default;

    /// Clears the tree and walks every root node of the kept execution context. Throws Failure when
    /// there is no context, the root nodes cannot be had, or the top item cannot be made.
    void BuildSceneTree();

    /// A walk started after this stops when `deadline` has passed; timedOut() then says so.
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }
    bool timedOut() const { return m_timedOut; }
    /// While a walk runs, `progress` hears the number of items about every tenth of a second; it must not
    /// let events run.
    void setProgress(std::function<void(int items)> progress) { m_progress = std::move(progress); }
    const SceneTree& tree() const { return m_tree; }
    /// The node items the last walk made.
    int nodeCount() const { return m_nodes; }

    /// Adds `node` (null: nothing) as child n of the item `parentIndex`, with the key parentKey_n, then
    /// its fields and the nodes below them. Throws Failure only when the node's own item cannot be added.
    void WalkNode(const NodeRef& node, int parentIndex, int n);

    /// Adds the node's item: type name and DEF name ("Err ParNodeErr" when they cannot be read), tagged
    /// with the node, and returns its index. Throws Failure when the item cannot be added.
    int AddNodeItem(const NodeRef& node, int parentIndex, SceneTree::PartId key);

    /// How the fields of an unnamed node are addressed: the nearest named ancestor's DEF name and the
    /// texts of the unnamed node items passed on the way, joined with "_"; empty when there is no named
    /// ancestor or its name could not be read.
    using Designator = std::optional<SceneTree::PartId>;

    /// Adds the items of field j of the node item `nodeIndex`; `designator` addresses the node's fields
    /// when it has no DEF name. Never throws: a failure ends the call and keeps the items already made.
    void AddFieldItems(const NodeRef& node, int j, int nodeIndex, SceneTree::PartId fieldKey,
                       const Designator& designator);

protected:
    /// The node's key: the parent's, "_" and n; a node held by the SFNode field at position n has "_f"
    /// and n, so that it never takes the key of child n of the same node.
    virtual SceneTree::PartId formNodeKey(SceneTree::PartId parentKey, int n, bool heldByField);

private:
    struct Frame
    {
        NodeRef node;
        int index = 0;
        SceneTree::PartId key = 0;
        Designator designator;         // for this node's fields
        std::optional<Designator> own; // for the fields of the unnamed nodes below, once asked

        quintptr identity = 0;
        int fieldCount = 0;
        int j = 0;
        NodeArrayRef children;
        int childCount = 0;
        int c = 0;
        bool inChildren = false;
    };
    using Ancestors = std::unordered_set<quintptr>;

    std::optional<Frame> enterNode(const NodeRef& node, int parentIndex, int n, bool heldByField,
                                   const Designator& designator, const Ancestors& ancestors);
    bool walk(const NodeRef& node, int parentIndex, int n);
    /// The designator the unnamed nodes below the frame's node use.
    const Designator& designatorBelow(Frame& frame);
    /// False, once, when the walk must end: the tree is full or the deadline has passed.
    bool mayGoOn();

    SceneTree& m_tree;
    ModuleOrva& m_orva;
    MessageBox& m_messages;
    EventPump& m_events;
    std::function<int()> m_checkAll;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    bool m_timedOut = false;
    bool m_stoppedFull = false;
    int m_nodes = 0;
    unsigned m_steps = 0; // of the walk, to look at the clock only now and then
    std::function<void(int)> m_progress;
    QElapsedTimer m_sinceProgress;
};

} // namespace vendrel
