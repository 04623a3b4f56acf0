#include "SimFaults.h"

#include "core/Failure.h"

namespace vendrel {

void SimFaults::failAlways(const QString& op)
{
    m_rules.insert(op, 0);
}

void SimFaults::failOnCall(const QString& op, int nth)
{
    m_rules.insert(op, nth);
}

void SimFaults::check(const char* op)
{
    if (m_rules.isEmpty() && !m_counting)
        return;
    const QString name = QString::fromLatin1(op);
    const int call = ++m_calls[name];
    const auto rule = m_rules.constFind(name);
    if (rule != m_rules.cend() && (*rule == 0 || *rule == call))
        throw Failure(std::string("Simulated failure of ") + op);
}

} // namespace vendrel
