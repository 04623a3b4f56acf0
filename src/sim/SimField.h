#pragma once

#include "SimFaults.h"
#include "SimNodeArray.h"
#include "core/FieldValues.h"
#include "core/SceneAccess.h"

#include <QString>

#include <memory>

namespace vendrel {

class SimScene;
class SimNode;

/// A field of a simulated node. Fault operations: "info" (its field information), "get" (fetching it
/// by name), "getName", "getType", "value" (its SFNode or MFNode value).
class SimField : public SceneField
{
public:
    SimField(SimScene& scene, int access, int type, QString name);
    QString getName() override;
    int getType() override;
    NodeArrayRef getValue() override;
    NodeRef value() override;

    int access() const { return m_access; }
    int type() const { return m_type; }
    const QString& name() const { return m_name; }
    /// The node an SFNode field holds.
    void setNode(SimNode* node) { m_node = node; }
    SimNode* node() const { return m_node; }
    /// The node array of an MFNode field (made on first use).
    SimNodeArray& nodes();
    bool hasNodes() const { return m_nodes != nullptr; }
    SimFaults& faults() { return m_faults; }
    /// The value the browser tells for the field; each change counts one version up.
    void setLiveValue(FieldValueText value)
    {
        m_liveValue = std::move(value);
        ++m_liveVersion;
    }
    const FieldValueText& liveValue() const { return m_liveValue; }
    int liveVersion() const { return m_liveVersion; }

private:
    SimScene& m_scene;
    int m_access;
    int m_type;
    QString m_name;
    SimNode* m_node = nullptr;
    std::unique_ptr<SimNodeArray> m_nodes;
    SimFaults m_faults;
    FieldValueText m_liveValue;
    int m_liveVersion = 0;
};

} // namespace vendrel
