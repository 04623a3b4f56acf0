#pragma once

#include "BatchOptions.h"

namespace vendrel {

class EventPump;
class ModuleINI;
class SceneTree;

/// The ticks of the script command, set as the window's commands would set them.
class ScriptTicks
{
public:
    /// Ticks the items `options` ask for, only adding ticks: without --select, --get, --set and --on
    /// each run their "Select All" command; with --select, each name is ticked as the "Select" dialog
    /// ticks it, for the kinds those flags name; then a selections file ticks its items as "Load
    /// Selections..." does. Ticking nothing is fine. Returns false when the selections file could not be
    /// loaded (ticks set before stay); `error` (unless null) then says why, naming the file as given.
    static bool apply(SceneTree& tree, const BatchOptions& options, ModuleINI& ini, EventPump& events,
                      QString* error = nullptr);
};

} // namespace vendrel
