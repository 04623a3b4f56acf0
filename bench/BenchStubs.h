#pragma once

#include "core/IdleEventPump.h"
#include "core/MessageBox.h"

namespace vendrel::bench {

/// Nobody reads messages during a measurement.
class NoMessages : public MessageBox
{
public:
    void show(const QString&) override {}
    bool ask(const QString&) override { return false; }
};

} // namespace vendrel::bench
