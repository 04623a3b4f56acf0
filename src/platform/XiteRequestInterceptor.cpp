#include "XiteRequestInterceptor.h"

#include "XiteUrlSchemeHandler.h"

namespace vendrel {

void XiteRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QString scheme = info.requestUrl().scheme().toLower();
    if (scheme == QLatin1String(XiteUrlSchemeHandler::scheme()) || scheme == u"data" || scheme == u"blob")
        return;
    const bool webMaterial = m_webWorld && (scheme == u"http" || scheme == u"https") &&
                             info.requestMethod() == "GET" &&
                             info.navigationType() == QWebEngineUrlRequestInfo::NavigationTypeOther;
    if (!webMaterial)
        info.block(true);
}

} // namespace vendrel
