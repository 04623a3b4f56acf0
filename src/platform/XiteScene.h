#pragma once

#include "core/SceneAccess.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

namespace vendrel {

/// The loaded world as the page described it once X_ITE had initialized it: every node reachable from
/// the root nodes, with its type name, DEF name, field list and the nodes its SFNode and MFNode fields
/// hold. Every scene access operation is answered from it, without asking the page again.
///
/// The description comes from a page that runs the world's scripts, so it is read as untrusted input:
/// anything malformed (wrong types, references out of range, sizes beyond the limits) makes parse()
/// fail as a whole, never a partly read scene.
class XiteScene : public std::enable_shared_from_this<XiteScene>
{
public:
    struct FieldList
    {
        std::vector<FieldInfo> fields;
        QHash<QString, int> positions; ///< field name to its first position
        std::vector<int> linkSlot;     ///< per field: index into a node's links, or -1
    };
    struct Link
    {
        int node = -1;         ///< SFNode: the node held, -1 for none
        std::vector<int> list; ///< MFNode: the nodes held, -1 for empty elements
    };
    struct Node
    {
        QString typeName;
        QString defName;
        int fieldList = 0;
        std::vector<Link> links; ///< one per SFNode or MFNode field, in field order
    };

    /// Reads the description (the "scene" member of the page's message). Throws Failure with the reason
    /// when it is not a valid description.
    static std::shared_ptr<XiteScene> parse(const QJsonObject& description);

    const std::vector<Node>& nodes() const { return m_nodes; }
    const std::vector<FieldList>& fieldLists() const { return m_fieldLists; }
    const std::vector<int>& roots() const { return m_roots; }
    /// Number of fields over all nodes.
    qint64 fieldTotal() const;

    /// Scene access objects over this scene; they keep it alive.
    NodeRef node(int index);
    std::shared_ptr<ExecutionContext> executionContext();
    /// The number of `node` in this scene; -1 for a node of another scene or browser.
    int indexOf(const NodeRef& node) const;

    /// X_ITE's access type bits (1, 2, 4, 7) as access type codes; -1 for anything else.
    static int accessTypeFromXite(int bits);

    /// Limits on what a description may hold.
    static constexpr int maxNodes = 20'000'000;
    static constexpr int maxFieldsPerNode = 100'000;

private:
    std::vector<FieldList> m_fieldLists;
    std::vector<Node> m_nodes;
    std::vector<int> m_roots;
};

} // namespace vendrel
