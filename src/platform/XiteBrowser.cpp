#include "XiteBrowser.h"

#include "XiteBridge.h"
#include "XitePage.h"
#include "XiteRequestInterceptor.h"
#include "XiteUrlSchemeHandler.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QWebChannel>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <algorithm>
#include <limits>

namespace vendrel {

namespace {

constexpr qsizetype maxReportSize = 1'000'000'000; // characters
constexpr qsizetype maxReasonSize = 2'000;

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool hasPage(const QString& folder)
{
    return QFileInfo::exists(folder + QStringLiteral("/index.html")) &&
           QFileInfo::exists(folder + QStringLiteral("/vendrel.js")) &&
           QFileInfo::exists(folder + QStringLiteral("/x_ite/x_ite.min.js"));
}

bool isWebAddress(const QString& address)
{
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

} // namespace

QString XiteBrowser::webFolder()
{
    const QStringList candidates = {
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/x3d-vendrel/web"),
        QStringLiteral(VENDREL_WEB_BUILD_DIR),
    };
    for (const QString& folder : candidates) {
        if (hasPage(folder))
            return QDir(folder).absolutePath();
    }
    return {};
}

QString XiteBrowser::xiteVersion()
{
    return QStringLiteral(VENDREL_XITE_VERSION);
}

std::shared_ptr<XiteBrowser> XiteBrowser::create(QString* why)
{
    const QString folder = webFolder();
    if (folder.isEmpty()) {
        if (why)
            *why = QStringLiteral("The X_ITE files are missing");
        return nullptr;
    }
    std::shared_ptr<XiteBrowser> browser(new XiteBrowser(folder));
    if (browser->m_pageScript.isEmpty()) {
        if (why)
            *why = QStringLiteral("The page script is missing");
        return nullptr;
    }
    browser->makePage();
    return browser;
}

XiteBrowser::XiteBrowser(QString webFolder) : m_webFolder(std::move(webFolder))
{
    const QString pageScript = readText(m_webFolder + QStringLiteral("/vendrel.js"));
    if (pageScript.contains(QLatin1String("/*@TOKEN@*/")))
        m_pageScript = pageScript;
}

XiteBrowser::~XiteBrowser()
{
    m_listeners.clear();
    dropPage();
}

void XiteBrowser::makePage()
{
    // A profile of its own per page: no storage on disk, and a renderer process of its own, so a fresh
    // page never shares the renderer of one that stopped answering.
    m_profile = new QWebEngineProfile(this);
    m_handler = new XiteUrlSchemeHandler(m_webFolder, m_webAccess, m_profile);
    m_handler->setWorld(m_worldFile);
    m_interceptor = new XiteRequestInterceptor(
        m_webAccess,
        [this](const QString& host) {
            emit webRefused(host);
            // Told later, so a listener may ask the user and load again.
            QTimer::singleShot(0, this, [this, host] {
                const std::vector<X3DBrowserListener*> listeners = m_listeners;
                for (X3DBrowserListener* listener : listeners) {
                    if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
                        listener->webRefused(host);
                }
            });
        },
        m_profile);
    m_profile->setUrlRequestInterceptor(m_interceptor);
    m_profile->installUrlSchemeHandler(XiteUrlSchemeHandler::scheme(), m_handler);

    m_page = new XitePage(m_profile, this);
    m_bridge = new XiteBridge([this](const QString& message) { receive(message); }, this);
    m_channel = new QWebChannel(this);
    m_channel->registerObject(QStringLiteral("vendrelBridge"), m_bridge);
    m_page->setWebChannel(m_channel);

    connect(m_page, &XitePage::consoleMessage, this, &XiteBrowser::consoleMessage);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus, int code) {
                m_ready = false;
                m_pageDead = true;
                fail(QStringLiteral("The page's renderer ended (exit code %1)").arg(code));
            });
    emit pageReplaced(m_page);
    openPage();
}

void XiteBrowser::openPage()
{
    // A new page with a new secret: nothing a world left running in the old page (timers, patched
    // objects, spies on the channel) reaches the next world's page.
    m_token = QString::number(QRandomGenerator::system()->generate64(), 36) +
              QString::number(QRandomGenerator::system()->generate64(), 36);
    QWebEngineScript script;
    script.setName(QStringLiteral("vendrel"));
    script.setSourceCode(QString(m_pageScript).replace(QLatin1String("/*@TOKEN@*/"), m_token));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    QWebEngineScriptCollection& scripts = m_page->scripts();
    scripts.clear();
    scripts.insert(script);
    m_ready = false;
    m_pageDead = false;
    m_page->load(XiteUrlSchemeHandler::pageUrl());
}

void XiteBrowser::dropPage()
{
    if (!m_page)
        return;
    m_ready = false;
    m_page->disconnect(this);
    // The page before its profile: a profile must outlive its pages.
    delete m_page;
    m_page = nullptr;
    delete m_channel;
    m_channel = nullptr;
    delete m_bridge;
    m_bridge = nullptr;
    m_profile->deleteLater();
    m_profile = nullptr;
    m_handler = nullptr;
}

QWebEnginePage* XiteBrowser::page() const
{
    return m_page;
}

void XiteBrowser::restart()
{
    if (m_state == State::Loading)
        fail(QStringLiteral("The load was abandoned"));
    dropPage();
    makePage();
}

void XiteBrowser::loadURL(const QStringList& url, const QStringList&)
{
    if (url.isEmpty())
        throw Failure("No address to load");
    const QString address = url.first();
    // The load before this one has not answered: its world may hold the page in a script that never
    // returns, and a page that does not answer cannot be navigated. A fresh one always can.
    const bool unanswered = m_state == State::Loading;
    m_scene.reset();
    m_context.reset();
    m_valueRequest = {};
    m_lastError.clear();
    ++m_serial;
    m_state = State::Loading;
    m_requestTime = QDateTime::currentMSecsSinceEpoch();

    if (isWebAddress(address)) {
        m_currentUrl = address;
        // Fetched by the tool and served under the page's origin: the server needs no CORS headers.
        m_pageTarget = WebAccess::throughGate(QUrl(address)).toString(QUrl::FullyEncoded);
        m_worldFile.clear(); // a world from the web reads no local files
        m_webAccess.setWorld(address, true);
    } else {
        const QUrl asUrl(address);
        const QString path =
            asUrl.isLocalFile() && address.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)
                ? asUrl.toLocalFile()
                : QFileInfo(address).absoluteFilePath();
        m_currentUrl = QUrl::fromLocalFile(path).toString();
        if (!QFileInfo(path).isFile()) {
            fail(QStringLiteral("Couldn't find the file ") + path);
            return;
        }
        m_worldFile = path;
        m_webAccess.setWorld(path, false);
        m_pageTarget = XiteUrlSchemeHandler::fileUrl(path).toString(QUrl::FullyEncoded);
    }
    if (m_pageDead || unanswered) {
        dropPage(); // a new profile, and so a new renderer
        makePage();
    } else {
        openPage();
    }
    m_handler->setWorld(m_worldFile);
    m_pending = true; // goes out once the new page is ready
}

void XiteBrowser::sendPendingLoad()
{
    if (!m_pending || !m_ready || m_state != State::Loading)
        return;
    m_pending = false;
    if (m_bridge)
        emit m_bridge->loadRequested(m_serial, m_pageTarget);
}

std::shared_ptr<ExecutionContext> XiteBrowser::getExecutionContext()
{
    if (!m_context)
        throw Failure("No world is loaded");
    return m_context;
}

void XiteBrowser::addBrowserListener(X3DBrowserListener* listener)
{
    if (listener && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void XiteBrowser::removeBrowserListener(X3DBrowserListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void XiteBrowser::fail(const QString& reason)
{
    if (m_state != State::Loading)
        return;
    m_state = State::Failed;
    m_pending = false;
    m_lastError = reason.left(maxReasonSize);
    deliver(3);
}

void XiteBrowser::deliver(int code)
{
    // Never inside the call that caused it, so a listener may load again or remove itself. The outcome
    // of a load that a newer request has replaced meanwhile is not news to anyone.
    const int serial = m_serial;
    QMetaObject::invokeMethod(
        this,
        [this, code, serial] {
            if ((code == 0 || code == 3) && serial != m_serial)
                return;
            const std::vector<X3DBrowserListener*> listeners = m_listeners;
            for (X3DBrowserListener* listener : listeners) {
                if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
                    listener->browserChanged(code);
            }
        },
        Qt::QueuedConnection);
}

void XiteBrowser::requestValue(const NodeRef& node, const QString& fieldName, bool sinceLast, Answer answer)
{
    const int index = m_scene && m_state == State::Loaded ? m_scene->indexOf(node) : -1;
    if (index < 0 || !m_bridge)
        throw Failure("The node is not in the world shown now");
    m_valueRequest = {++m_lastValueRequest, index, fieldName, std::move(answer)};
    emit m_bridge->valueRequested(m_serial, m_valueRequest.id, index, fieldName, sinceLast);
}

void XiteBrowser::receiveValue(const QJsonObject& report)
{
    // Only the answer to the open request, about the node and field it named.
    if (m_state != State::Loaded || !m_valueRequest.answer ||
        report.value(u"request") != QJsonValue(m_valueRequest.id) ||
        report.value(u"node") != QJsonValue(m_valueRequest.node) ||
        report.value(u"field") != QJsonValue(m_valueRequest.field)) {
        ++m_rejected;
        return;
    }
    FieldValueText value;
    value.unchanged = report.value(u"unchanged").toBool();
    const QJsonValue error = report.value(u"error");
    value.readable = error.isUndefined();
    value.text =
        (value.readable ? report.value(u"text") : error).toString().left(FieldValueText::maxText + 1);
    const QJsonValue elements = report.value(u"elements");
    const QJsonValue shown = report.value(u"shown");
    if (elements.isDouble() && shown.isDouble()) {
        const double count = elements.toDouble();
        value.elements = count >= 0 && count <= std::numeric_limits<int>::max() ? int(count) : 0;
        value.shown = std::clamp(shown.toInt(), 0, std::min(value.elements, FieldValueText::maxElements));
    }
    const Answer answer = std::move(m_valueRequest.answer);
    m_valueRequest = {};
    answer(value);
}

void XiteBrowser::receive(const QString& message)
{
    auto drop = [this] {
        ++m_rejected;
    };
    if (message.size() > maxReportSize)
        return drop();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return drop();
    const QJsonObject report = document.object();
    if (report.value(u"token").toString() != m_token)
        return drop(); // not from our page's own script
    const QJsonValue serialValue = report.value(u"serial");
    const QString kind = report.value(u"kind").toString();
    if (!serialValue.isDouble())
        return drop();
    const double serial = serialValue.toDouble();

    if (kind == u"ready") {
        if (m_ready)
            return drop();
        m_ready = true;
        sendPendingLoad();
        return;
    }
    if (serial != double(m_serial))
        return drop(); // an older load's report, or a forged one

    if (kind == u"initialized") {
        if (m_state != State::Loading || m_pending)
            return drop();
        try {
            m_scene = XiteScene::parse(report.value(u"scene").toObject());
        } catch (const std::exception& e) {
            m_scene.reset();
            return fail(QString::fromUtf8(e.what()));
        }
        m_context = m_scene->executionContext();
        // The page tells when X_ITE had the world initialized, by the same clock; the rest (describing
        // the scene, handing it over, reading it) is our own share of the load.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        qint64 initializedAt = qint64(report.value(u"initializedAt").toDouble());
        if (initializedAt < m_requestTime || initializedAt > now)
            initializedAt = now;
        m_lastLoadMs = initializedAt - m_requestTime;
        m_lastSceneMs = now - initializedAt;
        m_state = State::Loaded;
        deliver(0);
        return;
    }
    if (kind == u"failed") {
        if (m_state != State::Loading || m_pending)
            return drop();
        // Our page's addresses mean nothing to the user: local files are named by their file URLs.
        QString reason = report.value(u"reason").toString().left(maxReasonSize);
        reason.replace(QLatin1String("vendrel://local/file/"), QLatin1String("file:///"));
        return fail(reason.isEmpty() ? QStringLiteral("X_ITE couldn't load the world") : reason);
    }
    if (kind == u"value")
        return receiveValue(report);
    if (kind == u"event") {
        const QJsonValue code = report.value(u"code");
        if (code != QJsonValue(1) && code != QJsonValue(2))
            return drop(); // 0 and 3 come only with their reports above
        deliver(code.toInt());
        return;
    }
    drop();
}

} // namespace vendrel
