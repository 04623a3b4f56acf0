#pragma once

#include <QString>

#include <sys/types.h>

namespace vendrel {

/// A virtual X display (Xvfb) for a run without one. The embedded browser needs a window system with
/// WebGL: the offscreen platform has none, so without a display the tool starts Xvfb and points DISPLAY
/// at it for its own run. Stopped when the object goes.
class VirtualDisplay
{
public:
    VirtualDisplay() = default;
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    /// Starts Xvfb unless DISPLAY is set. Returns false, with the reason, when it cannot.
    bool ensure(QString* error);
    bool started() const { return m_pid > 0; }

private:
    pid_t m_pid = -1;
};

} // namespace vendrel
