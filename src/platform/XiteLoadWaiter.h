#pragma once

#include "core/SceneAccess.h"

#include <QString>

#include <functional>

class QEventLoop;

namespace vendrel {

/// Loads one world and waits for the browser's answer without blocking the event loop, for at most a
/// given time: for the batch tool and the browser's tests, which need the time limit and no window.
class XiteLoadWaiter : public X3DBrowserListener
{
public:
    enum class Result
    {
        Loaded,
        Failed,
        Timeout,
    };

    explicit XiteLoadWaiter(Browser& browser);
    ~XiteLoadWaiter() override;
    XiteLoadWaiter(const XiteLoadWaiter&) = delete;
    XiteLoadWaiter& operator=(const XiteLoadWaiter&) = delete;

    /// Asks for `address` and runs events until event 0 (Loaded), 3 or 2 (Failed) or `timeoutMs`.
    Result load(const QString& address, int timeoutMs);
    /// Runs events until the next event code or the time is up; -1 on timeout.
    int waitForEvent(int timeoutMs);

    void browserChanged(int evnt) override;
    void webRefused(const QString& host) override
    {
        if (onWebRefused)
            onWebRefused(host);
    }

    /// Hears the host of every web request refused for want of the user's leave.
    std::function<void(const QString&)> onWebRefused;

private:
    Browser& m_browser;
    int m_lastEvent = -1;
    bool m_waitingForLoad = false;
    bool m_done = false;
    Result m_result = Result::Timeout;
    QEventLoop* m_loop = nullptr;
};

} // namespace vendrel
