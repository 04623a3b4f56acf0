#pragma once

#include "selection/MenuState.h"

#include <QString>

namespace vendrel {

/// The window's controls that act on the world shown, as the load command sets them: the world menu
/// entries and "Create SAI JavaScript"; and what the window shows of a load: its status line, and
/// whether a load is running (the busy cursor and "Stop").
class WorldControls : public MenuState
{
public:
    virtual void setScriptEnabled(bool enabled) = 0;
    /// Shows `text` at once, even while the caller keeps the event loop waiting.
    virtual void showStatus(const QString& text) { (void)text; }
    virtual void setLoading(bool loading) { (void)loading; }
};

} // namespace vendrel
