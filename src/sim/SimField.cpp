#include "SimField.h"

#include "SimScene.h"

namespace vendrel {

SimField::SimField(SimScene& scene, int access, int type, QString name)
    : m_scene(scene), m_access(access), m_type(type), m_name(std::move(name))
{}

QString SimField::getName()
{
    m_faults.check("getName");
    return m_name;
}

int SimField::getType()
{
    m_faults.check("getType");
    return m_type;
}

NodeArrayRef SimField::getValue()
{
    m_faults.check("value");
    if (!m_nodes)
        throw Failure("Field " + m_name.toStdString() + " holds no node array");
    return m_scene.ref(m_nodes.get());
}

NodeRef SimField::value()
{
    m_faults.check("value");
    return m_scene.ref(m_node);
}

SimNodeArray& SimField::nodes()
{
    if (!m_nodes)
        m_nodes = std::make_unique<SimNodeArray>(m_scene);
    return *m_nodes;
}

} // namespace vendrel
