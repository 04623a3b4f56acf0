#pragma once

#include "core/EventPump.h"

#include <functional>

namespace vendrel::test {

/// Counts the times a command lets events run, and apart from them the waits (which must not keep a
/// processor busy); `onYield` stands for whatever the user does meanwhile.
class CountingEventPump : public EventPump
{
public:
    void processPendingEvents() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
    void waitForEvents() override
    {
        ++waits;
        processPendingEvents();
    }

    int yields = 0;
    int waits = 0;
    std::function<void()> onYield;
};

} // namespace vendrel::test
