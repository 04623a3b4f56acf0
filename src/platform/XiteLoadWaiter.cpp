#include "XiteLoadWaiter.h"

#include <QEventLoop>
#include <QTimer>

namespace vendrel {

XiteLoadWaiter::XiteLoadWaiter(Browser& browser) : m_browser(browser)
{
    m_browser.addBrowserListener(this);
}

XiteLoadWaiter::~XiteLoadWaiter()
{
    m_browser.removeBrowserListener(this);
}

void XiteLoadWaiter::browserChanged(int evnt)
{
    m_lastEvent = evnt;
    if (m_waitingForLoad) {
        if (evnt == 0) {
            m_result = Result::Loaded;
        } else if (evnt == 2 || evnt == 3) {
            m_result = Result::Failed;
        } else {
            return; // the old world shutting down
        }
    }
    m_done = true;
    if (m_loop)
        m_loop->quit();
}

XiteLoadWaiter::Result XiteLoadWaiter::load(const QString& address, int timeoutMs)
{
    m_waitingForLoad = true;
    m_result = Result::Timeout;
    m_done = false;
    try {
        m_browser.loadURL({address}, {});
    } catch (const std::exception&) {
        m_waitingForLoad = false;
        return Result::Failed;
    }
    waitForEvent(timeoutMs);
    m_waitingForLoad = false;
    return m_result;
}

int XiteLoadWaiter::waitForEvent(int timeoutMs)
{
    if (!m_waitingForLoad)
        m_done = false;
    m_lastEvent = -1;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    m_loop = &loop;
    if (!m_done)
        loop.exec();
    m_loop = nullptr;
    return m_done ? m_lastEvent : -1;
}

} // namespace vendrel
