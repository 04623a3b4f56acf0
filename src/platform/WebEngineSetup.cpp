#include "WebEngineSetup.h"

#include "XiteUrlSchemeHandler.h"

#include <QByteArray>
#include <QWebEngineUrlScheme>

#include <unistd.h>

namespace vendrel {

void prepareWebEngine()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;

    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    auto add = [&flags](const char* flag) {
        if (!flags.contains(flag))
            flags.append(flags.isEmpty() ? "" : " ").append(flag);
    };
    add("--ignore-gpu-blocklist");
    if (::geteuid() == 0)
        add("--no-sandbox");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);

    // CORS-enabled, so X_ITE's fetch() may read from it. Not a secure scheme: a secure page could not
    // fetch the parts of a world that comes from a plain http address.
    QWebEngineUrlScheme scheme(XiteUrlSchemeHandler::scheme());
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

} // namespace vendrel
