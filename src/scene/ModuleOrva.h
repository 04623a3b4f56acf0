#pragma once

#include "core/SceneAccess.h"

#include <memory>

namespace vendrel {

/// The shared state of one run: the browser object and the execution context of the world loaded
/// last, kept after every load and read by the walk and the script generator.
struct ModuleOrva
{
    std::shared_ptr<Browser> browser;
    std::shared_ptr<ExecutionContext> context;
};

} // namespace vendrel
