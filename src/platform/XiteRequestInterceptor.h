#pragma once

#include <QWebEngineUrlRequestInterceptor>

#include <functional>
#include <memory>

namespace vendrel {

class WebAccess;

/// Keeps the page's requests inside the tool. A world is untrusted, and whatever it can read it could
/// send anywhere: so the page's own scheme, data: and blob: addresses pass; plain GETs of http(s)
/// material go to the tool's gate when WebAccess allows their host; every other request (image, fetch,
/// XHR, beacon, WebSocket, form, frame, script or navigation elsewhere) is refused.
class XiteRequestInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    /// `refused` hears the host of every web request refused for want of the user's leave.
    XiteRequestInterceptor(std::shared_ptr<const WebAccess> access,
                           std::function<void(const QString&)> refused, QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    std::shared_ptr<const WebAccess> m_access;
    std::function<void(const QString&)> m_refused;
};

} // namespace vendrel
