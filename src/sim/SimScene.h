#pragma once

#include "core/SceneAccess.h"
#include "SimFaults.h"
#include "SimNode.h"
#include "SimNodeArray.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace vendrel {

/// A simulated loaded world: the execution context and everything in it, for tests, benchmarks and
/// tools. Every reference it hands out keeps the whole scene alive. Build it with the methods below or
/// from a compact description:
///
///     # a comment
///     !rootNodes                          faults of the scene, before the first node: !rootNodes,
///                                         and of the root array: !length, !item=C
///     Transform T1 {                      a node: type, optional DEF name, optional faults, fields
///       io SFVec3f translation            a field: access (ii, in, out, io), type, name, faults
///       io MFNode children [              an MFNode value; faults after "]": !length, !item=C
///         Shape { io SFNode appearance Appearance { } }
///         NULL                            an empty element
///       ]
///       ii SFNode metadata USE T1         an SFNode value: a node, NULL or USE of a DEF name
///     }
///
/// Faults are written "!op" (every call fails) or "!op@N" (only the Nth call); names with blanks or
/// other special characters can be written in double quotes. Type names outside the X3D field types
/// give the type code 0.
class SimScene : public ExecutionContext, public std::enable_shared_from_this<SimScene>
{
    struct Private
    {};

public:
    static std::shared_ptr<SimScene> create();
    /// Throws Failure, naming the line, when the description is not well formed.
    static std::shared_ptr<SimScene> parse(QStringView description);

    explicit SimScene(Private);

    NodeArrayRef rootNodes() override;

    SimNode& addNode(const QString& type, const QString& def = {});
    void addRoot(SimNode* node) { m_roots.append(node); }
    SimNodeArray& roots() { return m_roots; }
    SimFaults& faults() { return m_faults; }
    /// The first node with this DEF name; null when there is none.
    SimNode* findByDef(QStringView def) const;
    int nodeCount() const { return int(m_nodes.size()); }

    NodeRef ref(SimNode* node);
    FieldRef ref(SimField* field);
    NodeArrayRef ref(SimNodeArray* array);

private:
    std::vector<std::unique_ptr<SimNode>> m_nodes;
    SimNodeArray m_roots{*this};
    SimFaults m_faults;
};

} // namespace vendrel
