#pragma once

#include "ModuleOrva.h"
#include "core/SceneAccess.h"

#include <QString>

#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

namespace vendrel {

class SceneTree;
class MessageBox;
class EventPump;

/// Turns the loaded world into the scene tree: `BuildSceneTree` rebuilds the whole tree from the root
/// nodes, `WalkNode` visits one node, its fields and the nodes below it, `AddNodeItem` and `AddFieldItems`
/// make the items. Failures are handled where they happen, with the messages users know; only a failure to
/// reach the world at all goes back to the command.
///
/// The walk keeps its own stack, so a deeply nested world cannot exhaust the program's; and it does not
/// walk into a node that is its own ancestor. If the tree is rebuilt while the walk lets events run (the
/// user clicked "All" again), the older walk stops and leaves the tree to the newer one.
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

    /// Adds `node` (null: nothing) under the item keyed `parentKey` with the key parentKey_n, then its
    /// fields and the nodes below them. Throws Failure only when the node's own item cannot be added.
    void WalkNode(const NodeRef& node, const QString& parentKey, int n);

    /// Adds the node's item: type name and DEF name ("Err ParNodeErr" when they cannot be read), tagged
    /// with the node. Throws Failure when the item cannot be added.
    void AddNodeItem(const NodeRef& node, const QString& parentKey, const QString& key);

    /// Adds the items of field j of the node keyed `nodeKey`. Never throws: a failure ends the call and
    /// keeps the items already made.
    void AddFieldItems(const NodeRef& node, int j, const QString& nodeKey, const QString& fieldKey);

protected:
    /// The node's key: parentKey, "_" and n.
    virtual QString formNodeKey(const QString& parentKey, int n);

private:
    struct Frame
    {
        NodeRef node;
        QString key;
        quintptr identity = 0;
        int fieldCount = 0;
        int j = 0;
        NodeArrayRef children;
        int childCount = 0;
        int c = 0;
        bool inChildren = false;
    };
    using Ancestors = std::unordered_set<quintptr>;

    std::optional<Frame> enterNode(const NodeRef& node, const QString& parentKey, int n,
                                   const Ancestors& ancestors);
    bool walk(const NodeRef& node, const QString& parentKey, int n);
    int addAccessItem(const QString& prefix, const QString& nodeKey, const QString& fieldKey,
                      const QString& designator, const QString& fieldName);

    SceneTree& m_tree;
    ModuleOrva& m_orva;
    MessageBox& m_messages;
    EventPump& m_events;
    std::function<int()> m_checkAll;
    QString m_scratchKey;
    QString m_scratchText;
};

} // namespace vendrel
