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

/// The browser object of the embedded X3D browser: X_ITE in a web page of our own. A load request goes
/// to the page; once X_ITE reports the world initialized, the page sends one description of the whole
/// scene, and every scene access operation is then answered from it, synchronously. Listener events
/// (0 initialized, 1 shut down, 2 connection error, 3 load failed) arrive later on the UI thread, never
/// inside the call that caused them; event 0 comes only once the description is complete.
///
/// Reports from the page are untrusted (the world's scripts run there): a report that is malformed,
/// answers an older request or comes when none is expected is dropped, and counted.
///
/// Needs prepareWebEngine() before the QApplication, and a view that shows page() for X_ITE to run
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
    /// The scene of the world loaded last; null before the first load or after a failed one.
    std::shared_ptr<XiteScene> scene() const { return m_scene; }
    /// Milliseconds from the last completed load's request to X_ITE reporting the world initialized.
    qint64 lastLoadMs() const { return m_lastLoadMs; }
    /// Milliseconds from there until the scene's description was read: describing the scene in the
    /// page, handing it over and reading it.
    qint64 lastSceneMs() const { return m_lastSceneMs; }
    /// Reports of the page that were dropped as invalid or out of turn.
    int rejectedReports() const { return m_rejected; }
    /// Whether the page is up and has reported X_ITE ready.
    bool isReady() const { return m_ready; }

    QWebEnginePage* page() const;
    /// Drops the page, and with it a renderer that stopped answering, and starts a fresh one; a load in
    /// progress ends (event 3). The view follows through pageReplaced.
    void restart();

    /// Hands a report to the browser as if the page had posted it (the bridge calls this).
    void receive(const QString& message);

    /// Lets the world shown now reach `host` through the tool for the rest of the session; a reload shows
    /// what it fetches from there.
    void allowWebHost(const QString& host) override { m_webAccess.allow(host); }
    /// Lets every world reach every web host (the batch tool's --allow-network).
    void allowAllWeb() { m_webAccess.allowAll(); }

    /// Values are read in the page, which watches the field asked about last. One request is open at a
    /// time: a newer one replaces it, and its answer is dropped unless it names the request, node and
    /// field asked for.
    FieldValues* fieldValues() override { return this; }
    void requestValue(const NodeRef& node, const QString& fieldName, bool sinceLast, Answer answer) override;

signals:
    void pageReplaced(QWebEnginePage* page);
    /// A local world asked for material from `host`, which the user has not allowed for it.
    void webRefused(const QString& host);
    /// Console output of the page and of the world's scripts.
    void consoleMessage(const QString& message);

private:
    explicit XiteBrowser(QString webFolder);
    void makePage();
    void openPage();
    void dropPage();
    void sendPendingLoad();
    void fail(const QString& reason);
    void deliver(int code);
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
    QWebEngineProfile* m_profile = nullptr;
    XiteUrlSchemeHandler* m_handler = nullptr;
    XiteRequestInterceptor* m_interceptor = nullptr;
    XitePage* m_page = nullptr;
    QWebChannel* m_channel = nullptr;
    QPointer<XiteBridge> m_bridge; // the page could ask for its deletion
    QString m_token;
    bool m_ready = false;
    bool m_pageDead = false;

    State m_state = State::Idle;
    int m_serial = 0;
    bool m_pending = false;
    QString m_pageTarget;
    QString m_worldFile; // the local world whose files the page may read
    WebAccess m_webAccess;
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

    std::shared_ptr<XiteScene> m_scene;
    std::shared_ptr<ExecutionContext> m_context;
    std::vector<X3DBrowserListener*> m_listeners;
};

} // namespace vendrel
