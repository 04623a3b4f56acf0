#pragma once

#include "selection/MenuState.h"

namespace vendrel {

/// The window's controls that act on the world shown, as the load command sets them: the world menu
/// entries and "Create SAI JavaScript".
class WorldControls : public MenuState
{
public:
    virtual void setScriptEnabled(bool enabled) = 0;
};

} // namespace vendrel
