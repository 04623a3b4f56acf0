#include "SimNodeArray.h"

#include "SimScene.h"

namespace vendrel {

int SimNodeArray::length()
{
    m_faults.check("length");
    return int(m_elements.size());
}

NodeRef SimNodeArray::item(int i)
{
    m_faults.check("item");
    if (i < 0 || i >= int(m_elements.size()))
        throw Failure("Node array index out of range");
    if (m_failing.contains(i))
        throw Failure("Simulated failure of element " + std::to_string(i));
    return m_scene.ref(m_elements[std::size_t(i)]);
}

} // namespace vendrel
