#pragma once

namespace vendrel {

/// Lets pending window events run from inside a command. Whatever the user starts meanwhile runs to its
/// end nested inside the call, so callers must expect the world (and the scene tree) to have changed.
class EventPump
{
public:
    virtual ~EventPump() = default;
    virtual void processPendingEvents() = 0;
    /// Runs pending events; when there are none, sleeps until the next one arrives and runs it. For
    /// waits that must not keep a processor busy.
    virtual void waitForEvents() { processPendingEvents(); }
};

} // namespace vendrel
