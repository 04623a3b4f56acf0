#pragma once

#include "SceneAccess.h"

namespace vendrel {

/// Remembers that the browser reported a world as loaded. Only event 0 sets the flag; nothing here
/// clears it, the load command does before it asks for a load.
class OrvaListener : public X3DBrowserListener
{
public:
    void browserChanged(int evnt) override;

    bool bWorldLoaded = false;
};

} // namespace vendrel
