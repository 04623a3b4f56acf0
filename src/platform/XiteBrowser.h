#pragma once

#include "WebAccess.h"
#include "XiteScene.h"
#include "core/FieldValues.h"
#include "core/SceneAccess.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QJsonObject;
class QWebChannel;
class QWebEnginePage;
class QWebEngineProfile;

namespace vendrel {

class XiteBridge;
class XitePage;
class XiteRequestInterceptor;
class XiteUrlSchemeHandler;

/// The browser object of the embedded X3D browser: X_ITE in web pages of our own. Each load goes to a page
/// of its own, beside the page of the world shown; once X_ITE reports the world initialized, the page sends
/// one description of the whole scene, the new page takes the old one's place and every scene access
/// operation is then answered from the description, synchronously. A load that fails or is cancelled
/// drops its page: the world shown before stays, page, scene and all. Listener events (0 initialized,
/// 1 shut down, 2 connection error, 3 load failed) arrive later on the UI thread, never inside the call
/// that caused them; event 0 comes only once the description is complete.
///
/// Reports from the pages are untrusted (the world's scripts run there): a report that is malformed,
/// answers an older request or comes when none is expected is dropped, and counted.
///
/// Needs prepareWebEngine() before the QApplication, and a view that shows the pages for X_ITE to run
/// (X3DBrowserView); a hidden page gets no frames and never finishes a load.
class XiteBrowser : public QObject, public Browser, public FieldValues
{
    Q_OBJECT
public:
    /// The browser, or null when it cannot be made (the X_ITE files are missing); `why` gets the reason.
    static std::shared_ptr<XiteBrowser> create(QString* why = nullptr);
    ~XiteBrowser() override;

    /// The folder with the page and the X_ITE files: beside the program (../share/x3d-vendrel/web) or
    /// in the build tree; "" when neither has them.
    static QString webFolder();
    /// The version of X_ITE the program was built with, e.g. "15.0.1".
    static QString xiteVersion();

    void loadURL(const QStringList& url, const QStringList& parameter) override;
    std::shared_ptr<ExecutionContext> getExecutionContext() override;
    void addBrowserListener(X3DBrowserListener* listener) override;
    void removeBrowserListener(X3DBrowserListener* listener) override;
    QString lastError() const override { return m_lastError; }

    /// The address of the last load request as the browser took it: an http(s) address unchanged, a
    /// local path as a file URL.
    QString currentUrl() const { return m_currentUrl; }
    /// The local files the page of the world shown has read so far (real paths): its world file and
    /// the material it reached; empty for a world from the web.
    QStringList worldFiles() const;
    /// The scene of the world shown; null before the first world loaded.
    std::shared_ptr<XiteScene> scene() const { return m_shown ? m_shown->scene : nullptr; }
    /// Milliseconds from the last completed load's request to X_ITE reporting the world initialized.
    qint64 lastLoadMs() const { return m_lastLoadMs; }
    /// Milliseconds from there until the scene's description was read: describing the scene in the
    /// page, handing it over and reading it.
    qint64 lastSceneMs() const { return m_lastSceneMs; }
    /// Reports of the page that were dropped as invalid or out of turn.
    int rejectedReports() const { return m_rejected; }
    /// Whether the page is up and has reported X_ITE ready.
    bool isReady() const;

    /// The page on top: the page of the load in progress, else the page of the world shown.
    QWebEnginePage* page() const;
    /// The page of the world shown while a load runs in another; null when there is none.
    QWebEnginePage* pageBelow() const;
    /// Drops the pages, and with them a renderer that stopped answering, and starts a fresh one; a load
    /// in progress ends (event 3). The view follows through pageReplaced.
    void restart();
    /// Gives up the load in progress, however stuck its page is: its page goes, the world shown before
    /// stays, and no event comes of it.
    void cancelLoad() override;

    /// Hands a report to the browser as if the page on top had posted it (its bridge calls this).
    void receive(const QString& message);

    /// Lets the world shown now reach `host` through the tool for the rest of the session; a reload shows
    /// what it fetches from there.
    void allowWebHost(const QString& host) override;
    /// Lets every world reach every web host (the batch tool's --allow-network).
    void allowAllWeb() { m_webAccess.allowAll(); }

    /// Values are read in the page, which watches the field asked about last. One request is open at a
    /// time: a newer one replaces it, and its answer is dropped unless it names the request, node and
    /// field asked for.
    FieldValues* fieldValues() override { return this; }
    void requestValue(const NodeRef& node, const QString& fieldName, bool sinceLast, Answer answer) override;

signals:
    /// `page` is now the page on top; the one below it, if any, is pageBelow().
    void pageReplaced(QWebEnginePage* page);
    /// `page` is about to be deleted.
    void pageDropped(QWebEnginePage* page);
    /// Console output of a page and of its world's scripts; `level` as QWebEnginePage's
    /// JavaScriptConsoleMessageLevel (0 info, 1 warning, 2 error); `loading`: from the page of the load in
    /// progress rather than of the world shown.
    void consoleMessage(const QString& message, int level, bool loading);

private:
    /// One page of X_ITE with all it needs: a profile (and so a renderer) of its own, the handler that
    /// serves it, the bridge it reports through with the secret of its reports, and the world it shows.
    struct Page
    {
        QWebEngineProfile* profile = nullptr;
        XiteUrlSchemeHandler* handler = nullptr;
        XitePage* page = nullptr;
        QWebChannel* channel = nullptr;
        QPointer<XiteBridge> bridge; // the page could ask for its deletion
        QString token;
        std::shared_ptr<WebAccess> web; // the hosts its world may reach
        bool ready = false;
        bool dead = false;
        int serial = 0; // of the load it is for
        std::shared_ptr<XiteScene> scene;
        std::shared_ptr<ExecutionContext> context;
    };

    explicit XiteBrowser(QString webFolder);
    std::unique_ptr<Page> makePage();
    void openPage(Page& page);
    void dropPage(std::unique_ptr<Page>& page);
    /// The load's page goes; the shown page stays, or the load's page becomes it when there is none.
    void endLoadPage();
    void sendPendingLoad();
    void fail(const QString& reason);
    void deliver(int code, int detail = 0);
    void receive(Page* from, const QString& message);
    void receiveValue(const QJsonObject& report);

    enum class State
    {
        Idle,
        Loading,
        Loaded,
        Failed,
    };

    QString m_webFolder;
    QString m_pageScript;
    std::unique_ptr<Page> m_shown;   // the world shown, or a page with none
    std::unique_ptr<Page> m_loading; // the load in progress

    State m_state = State::Idle; // of the latest load
    int m_serial = 0;
    bool m_pending = false;
    QString m_pageTarget;
    QString m_worldFile;   // the local world whose files the loading page may read
    WebAccess m_webAccess; // the session's leaves, which every page's copy shares
    QString m_currentUrl;
    QString m_lastError;
    qint64 m_requestTime = 0; // ms since the epoch
    qint64 m_lastLoadMs = 0;
    qint64 m_lastSceneMs = 0;
    int m_rejected = 0;

    struct ValueRequest
    {
        int id = 0;
        int node = -1;
        QString field;
        Answer answer;
    };
    ValueRequest m_valueRequest;
    int m_lastValueRequest = 0;

    std::vector<X3DBrowserListener*> m_listeners;
};

} // namespace vendrel
