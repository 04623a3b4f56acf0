#pragma once

#include "core/IdleEventPump.h"
#include "core/MessageBox.h"

namespace vendrel::bench {

/// Nobody reads messages during a measurement.
class NoMessages : public MessageBox
{
public:
    void show(const QString&) override {}
};

} // namespace vendrel::bench
