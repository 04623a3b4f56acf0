#pragma once

#include <QWebEngineUrlRequestInterceptor>

#include <atomic>

namespace vendrel {

/// Keeps the page's requests inside the tool. A world is untrusted, and whatever it can read it could
/// send anywhere: so the page's own scheme, data: and blob: addresses pass, and every other request
/// (image, fetch, XHR, beacon, WebSocket, form, frame, script, navigation) is refused, except plain GETs
/// of http(s) material while the world itself came from the web.
class XiteRequestInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    /// Whether the world loaded from now on came from the web.
    void setWebWorld(bool web) { m_webWorld = web; }

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    std::atomic<bool> m_webWorld = false;
};

} // namespace vendrel
