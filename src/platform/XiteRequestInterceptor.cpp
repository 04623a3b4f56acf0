#include "XiteRequestInterceptor.h"

#include "WebAccess.h"
#include "XiteUrlSchemeHandler.h"

namespace vendrel {

XiteRequestInterceptor::XiteRequestInterceptor(std::shared_ptr<const WebAccess> access,
                                               std::function<void(const QString&)> refused, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), m_access(std::move(access)), m_refused(std::move(refused))
{}

void XiteRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl();
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String(XiteUrlSchemeHandler::scheme()) || scheme == u"data" || scheme == u"blob")
        return;
    const auto type = info.resourceType();
    const bool material = (scheme == u"http" || scheme == u"https") && info.requestMethod() == "GET" &&
                          type != QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
                          type != QWebEngineUrlRequestInfo::ResourceTypeSubFrame &&
                          type != QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadMainFrame &&
                          type != QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadSubFrame;
    if (material && m_access->allows(url.host())) {
        info.redirect(WebAccess::throughGate(url));
        return;
    }
    info.block(true);
    if (material && m_refused)
        m_refused(url.host());
}

} // namespace vendrel
