#pragma once

#include <QWebEnginePage>

namespace vendrel {

/// The web page that hosts X_ITE. It stays on its own address: a world cannot navigate it elsewhere,
/// open windows or raise dialogs (alert, confirm and prompt of world scripts are answered silently).
class XitePage : public QWebEnginePage
{
    Q_OBJECT
public:
    XitePage(QWebEngineProfile* profile, QObject* parent);

signals:
    /// Console output of the page and of the world's scripts; `level` as JavaScriptConsoleMessageLevel.
    void consoleMessage(const QString& message, int level);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;
};

} // namespace vendrel
