#pragma once

#include "core/SceneAccess.h"

#include <functional>

namespace vendrel {

/// Remembers what the browser reported about the world it was asked for: event 0 (loaded) sets
/// `bWorldLoaded`, events 2 and 3 (the connection or the load failed) set `bLoadFailed`. Nothing here
/// clears them; the load command does before it asks for a load.
class OrvaListener : public X3DBrowserListener
{
public:
    void browserChanged(int evnt) override;
    void webRefused(const QString& host) override
    {
        if (onWebRefused)
            onWebRefused(host);
    }

    void loadProgress(int files) override
    {
        if (onLoadProgress)
            onLoadProgress(files);
    }

    bool bWorldLoaded = false;
    bool bLoadFailed = false;
    std::function<void(const QString&)> onWebRefused;
    std::function<void(int)> onLoadProgress;
};

} // namespace vendrel
