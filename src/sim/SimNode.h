#pragma once

#include "core/SceneAccess.h"
#include "SimFaults.h"
#include "SimField.h"

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

namespace vendrel {

class SimScene;

/// A node of a simulated scene. Fault operations: "typeName", "defName", "fieldCount", "fieldInfo",
/// "getField".
class SimNode : public SceneNode
{
public:
    SimNode(SimScene& scene, QString type, QString def);
    QString typeName() override;
    QString defName() override;
    int fieldCount() override;
    FieldInfo fieldInfo(int j) override;
    FieldRef getField(const QString& name) override;

    SimField& addField(int access, int type, const QString& name);
    /// The first field with this name; null when there is none.
    SimField* field(QStringView name) const;
    const std::vector<std::unique_ptr<SimField>>& fields() const { return m_fields; }
    const QString& type() const { return m_type; }
    const QString& def() const { return m_def; }
    SimFaults& faults() { return m_faults; }

private:
    SimScene& m_scene;
    QString m_type;
    QString m_def;
    std::vector<std::unique_ptr<SimField>> m_fields;
    SimFaults m_faults;
};

} // namespace vendrel
