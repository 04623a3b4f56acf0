#include "XitePage.h"

#include "XiteUrlSchemeHandler.h"

#include <QWebEngineSettings>

namespace vendrel {

XitePage::XitePage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{
    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::WebGLEnabled, true);
    s->setAttribute(QWebEngineSettings::Accelerated2dCanvasEnabled, true);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
}

bool XitePage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame)
{
    // The page itself, nothing else; subframes (an HTML link of a world opened in a frame) neither.
    return isMainFrame && url == XiteUrlSchemeHandler::pageUrl();
}

void XitePage::javaScriptAlert(const QUrl&, const QString& msg)
{
    emit consoleMessage(QStringLiteral("alert: ") + msg, InfoMessageLevel);
}

bool XitePage::javaScriptConfirm(const QUrl&, const QString& msg)
{
    emit consoleMessage(QStringLiteral("confirm: ") + msg, InfoMessageLevel);
    return false;
}

bool XitePage::javaScriptPrompt(const QUrl&, const QString& msg, const QString&, QString*)
{
    emit consoleMessage(QStringLiteral("prompt: ") + msg, InfoMessageLevel);
    return false;
}

void XitePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                        int lineNumber, const QString& sourceID)
{
    emit consoleMessage(sourceID + u':' + QString::number(lineNumber) + u' ' + message, level);
}

} // namespace vendrel
