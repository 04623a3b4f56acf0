#pragma once

#include "core/EventPump.h"

#include <functional>

namespace vendrel::test {

/// Counts the times a command lets events run; `onYield` stands for whatever the user does meanwhile.
class CountingEventPump : public EventPump
{
public:
    void processPendingEvents() override
    {
        ++yields;
        if (onYield)
            onYield();
    }

    int yields = 0;
    std::function<void()> onYield;
};

} // namespace vendrel::test
