#pragma once

#include <QHash>
#include <QString>

namespace vendrel {

/// Which operations of one simulated object fail: always, or only on one call (counted from 1 per
/// object and operation). Calls are counted only while some rule is set or counting is switched on,
/// so large simulated scenes stay cheap.
class SimFaults
{
public:
    void failAlways(const QString& op);
    void failOnCall(const QString& op, int nth);
    /// Counts the call to `op` and throws Failure when a rule says this call fails.
    void check(const char* op);
    void countCalls(bool on) { m_counting = on; }
    int calls(const QString& op) const { return m_calls.value(op); }

private:
    QHash<QString, int> m_rules; // op -> 0 (always) or the failing call's number
    QHash<QString, int> m_calls;
    bool m_counting = false;
};

} // namespace vendrel
