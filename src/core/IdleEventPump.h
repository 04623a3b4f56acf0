#pragma once

#include "EventPump.h"

namespace vendrel {

/// The event pump where nobody works a window (the batch tool, measurements): there are never pending
/// events worth letting run.
class IdleEventPump : public EventPump
{
public:
    void processPendingEvents() override {}
};

} // namespace vendrel
