#pragma once

#include "EventPump.h"
#include "MessageBox.h"

namespace vendrel::bench {

/// Nobody reads messages during a measurement.
class NoMessages : public MessageBox
{
public:
    void show(const QString&) override {}
};

/// Nobody works a window during a measurement: there are no events worth letting run.
class NoEvents : public EventPump
{
public:
    void processPendingEvents() override {}
};

} // namespace vendrel::bench
