#pragma once

#include "load/WorldControls.h"

namespace vendrel::test {

/// The window's world controls as the load command sets them: the menu entries all at once, as they
/// are set, "Create SAI JavaScript", the last status text and whether a load runs. The menus start
/// enabled, as the window makes them.
class RecordingWorldControls : public WorldControls
{
public:
    void setEnabled(WorldMenuEntry, bool enabled) override { ++calls, menus = enabled; }
    void setScriptEnabled(bool enabled) override { ++calls, script = enabled; }
    void showStatus(const QString& text) override { ++calls, status = text; }
    void setLoading(bool on) override { ++calls, loading = on; }

    QString status;
    bool loading = false;
    bool menus = true;
    bool script = false;
    int calls = 0;
};

} // namespace vendrel::test
