#pragma once

#include "core/EventPump.h"

namespace vendrel {

/// Runs the window events that are waiting now and returns; it never blocks for new ones.
class QtEventPump : public EventPump
{
public:
    void processPendingEvents() override;
    void waitForEvents() override;
};

} // namespace vendrel
