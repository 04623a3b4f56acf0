#include "SimNode.h"

#include "SimScene.h"

namespace vendrel {

SimNode::SimNode(SimScene& scene, QString type, QString def)
    : m_scene(scene), m_type(std::move(type)), m_def(std::move(def))
{}

QString SimNode::typeName()
{
    m_faults.check("typeName");
    return m_type;
}

QString SimNode::defName()
{
    m_faults.check("defName");
    return m_def;
}

int SimNode::fieldCount()
{
    m_faults.check("fieldCount");
    return int(m_fields.size());
}

FieldInfo SimNode::fieldInfo(int j)
{
    m_faults.check("fieldInfo");
    if (j < 0 || j >= int(m_fields.size()))
        throw Failure("Field position out of range");
    SimField& f = *m_fields[std::size_t(j)];
    f.faults().check("info");
    return FieldInfo{f.access(), f.type(), f.name()};
}

FieldRef SimNode::getField(const QString& name)
{
    m_faults.check("getField");
    SimField* f = field(name);
    if (!f)
        throw Failure("No field named " + name.toStdString());
    f->faults().check("get");
    return m_scene.ref(f);
}

SimField& SimNode::addField(int access, int type, const QString& name)
{
    m_fields.push_back(std::make_unique<SimField>(m_scene, access, type, name));
    return *m_fields.back();
}

SimField* SimNode::field(QStringView name) const
{
    for (const auto& f : m_fields) {
        if (f->name() == name)
            return f.get();
    }
    return nullptr;
}

} // namespace vendrel
