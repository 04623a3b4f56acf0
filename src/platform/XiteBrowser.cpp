#include "XiteBrowser.h"

#include "XiteBridge.h"
#include "XiteLoadError.h"
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
constexpr int progressCode = -1; // delivered as loadProgress, not as an event

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

QStringList XiteBrowser::worldFiles() const
{
    return m_shown && m_shown->handler ? m_shown->handler->servedFiles() : QStringList();
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
    // A page ready before the first load, so that it starts at once.
    browser->m_shown = browser->makePage();
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
    dropPage(m_loading);
    dropPage(m_shown);
}

std::unique_ptr<XiteBrowser::Page> XiteBrowser::makePage()
{
    auto made = std::make_unique<Page>();
    Page* page = made.get();
    // A profile of its own per page: no storage on disk, and a renderer process of its own, so a fresh
    // page never shares the renderer of one that stopped answering.
    page->profile = new QWebEngineProfile(this);
    page->web = std::make_shared<WebAccess>(m_webAccess);
    page->handler = new XiteUrlSchemeHandler(m_webFolder, page->web, page->profile);
    auto* interceptor = new XiteRequestInterceptor(
        page->web,
        [this, page](const QString& host) {
            // While a load runs, the question is about its world only.
            if (m_loading && page != m_loading.get())
                return;
            // Told later, so a listener may ask the user and load again.
            QTimer::singleShot(0, this, [this, host] {
                const std::vector<X3DBrowserListener*> listeners = m_listeners;
                for (X3DBrowserListener* listener : listeners) {
                    if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
                        listener->webRefused(host);
                }
            });
        },
        page->profile);
    page->profile->setUrlRequestInterceptor(interceptor);
    page->profile->installUrlSchemeHandler(XiteUrlSchemeHandler::scheme(), page->handler);

    page->page = new XitePage(page->profile, this);
    page->bridge = new XiteBridge([this, page](const QString& message) { receive(page, message); }, this);
    page->channel = new QWebChannel(this);
    page->channel->registerObject(QStringLiteral("vendrelBridge"), page->bridge);
    page->page->setWebChannel(page->channel);

    connect(page->page, &XitePage::consoleMessage, this, [this, page](const QString& message, int level) {
        emit consoleMessage(message, level, page == m_loading.get());
    });
    connect(page->page, &QWebEnginePage::renderProcessTerminated, this,
            [this, page](QWebEnginePage::RenderProcessTerminationStatus, int code) {
                page->ready = false;
                page->dead = true;
                if (page == m_loading.get())
                    fail(QStringLiteral("The page's renderer ended (exit code %1)").arg(code));
            });
    openPage(*page);
    return made;
}

void XiteBrowser::openPage(Page& page)
{
    // A new page with a new secret: nothing a world left running in the old page (timers, patched
    // objects, spies on the channel) reaches the next world's page.
    page.token = QString::number(QRandomGenerator::system()->generate64(), 36) +
                 QString::number(QRandomGenerator::system()->generate64(), 36);
    QWebEngineScript script;
    script.setName(QStringLiteral("vendrel"));
    script.setSourceCode(QString(m_pageScript).replace(QLatin1String("/*@TOKEN@*/"), page.token));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    QWebEngineScriptCollection& scripts = page.page->scripts();
    scripts.clear();
    scripts.insert(script);
    page.ready = false;
    page.dead = false;
    page.scene.reset();
    page.context.reset();
    page.page->load(XiteUrlSchemeHandler::pageUrl());
}

void XiteBrowser::dropPage(std::unique_ptr<Page>& page)
{
    if (!page)
        return;
    if (page.get() == m_shown.get())
        m_valueRequest = {};
    emit pageDropped(page->page);
    page->page->disconnect(this);
    // The page before its profile: a profile must outlive its pages.
    delete page->page;
    delete page->channel;
    delete page->bridge;
    page->profile->deleteLater();
    page.reset();
}

void XiteBrowser::endLoadPage()
{
    if (!m_loading)
        return;
    if (m_shown) {
        dropPage(m_loading);
    } else {
        // Nothing was shown: the page stays as the one shown, with no world.
        m_shown = std::move(m_loading);
        m_shown->scene.reset();
        m_shown->context.reset();
    }
    emit pageReplaced(m_shown->page);
}

QWebEnginePage* XiteBrowser::page() const
{
    if (m_loading)
        return m_loading->page;
    return m_shown ? m_shown->page : nullptr;
}

QWebEnginePage* XiteBrowser::pageBelow() const
{
    return m_loading && m_shown ? m_shown->page : nullptr;
}

bool XiteBrowser::isReady() const
{
    const Page* top = m_loading ? m_loading.get() : m_shown.get();
    return top && top->ready;
}

void XiteBrowser::restart()
{
    if (m_state == State::Loading)
        fail(QStringLiteral("The load was abandoned"));
    dropPage(m_loading);
    dropPage(m_shown);
    m_shown = makePage();
    emit pageReplaced(m_shown->page);
}

void XiteBrowser::allowWebHost(const QString& host)
{
    // The world asked for last: the one a load brings, else the one shown.
    if (Page* page = m_loading ? m_loading.get() : m_shown.get())
        page->web->allow(host);
}

void XiteBrowser::cancelLoad()
{
    if (m_state != State::Loading)
        return;
    ++m_serial; // whatever the page still reports is about nothing asked for
    m_state = m_shown && m_shown->scene ? State::Loaded : State::Idle;
    m_pending = false;
    endLoadPage();
}

void XiteBrowser::loadURL(const QStringList& url, const QStringList&)
{
    if (url.isEmpty())
        throw Failure("No address to load");
    const QString address = url.first();
    m_lastError.clear();
    ++m_serial;
    m_state = State::Loading;
    m_requestTime = QDateTime::currentMSecsSinceEpoch();

    QString worldFile;
    bool web = false;
    if (isWebAddress(address)) {
        m_currentUrl = address;
        // Fetched by the tool and served under the page's origin: the server needs no CORS headers.
        m_pageTarget = WebAccess::throughGate(QUrl(address)).toString(QUrl::FullyEncoded);
        web = true; // a world from the web reads no local files
    } else {
        const QUrl asUrl(address);
        const QString path =
            asUrl.isLocalFile() && address.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)
                ? asUrl.toLocalFile()
                : QFileInfo(address).absoluteFilePath();
        m_currentUrl = QUrl::fromLocalFile(path).toString();
        if (!QFileInfo(path).isFile()) {
            // The page of a load before this one, if any, goes with it.
            m_pending = false;
            endLoadPage();
            m_state = State::Loading;
            fail(QStringLiteral("Couldn't find the file ") + path);
            return;
        }
        worldFile = path;

        m_pageTarget = XiteUrlSchemeHandler::fileUrl(path).toString(QUrl::FullyEncoded);
    }
    // The load before this one has not answered: its world may hold the page in a script that never
    // returns, and a page that does not answer cannot be navigated. A fresh one always can.
    dropPage(m_loading);
    if (m_shown && !m_shown->scene && !m_shown->dead) {
        m_loading = std::move(m_shown); // a page with no world is used as it is
        if (m_loading->serial)
            openPage(*m_loading); // its own load failed: it starts afresh
    } else {
        m_loading = makePage();
    }
    m_loading->serial = m_serial;
    m_loading->handler->setWorld(worldFile);
    m_loading->web->setWorld(web ? address : worldFile, web);
    m_pending = true; // goes out once the new page is ready
    emit pageReplaced(m_loading->page);
    sendPendingLoad();
}

void XiteBrowser::sendPendingLoad()
{
    if (!m_pending || !m_loading || !m_loading->ready || m_state != State::Loading)
        return;
    m_pending = false;
    if (m_loading->bridge)
        emit m_loading->bridge->loadRequested(m_serial, m_pageTarget);
}

std::shared_ptr<ExecutionContext> XiteBrowser::getExecutionContext()
{
    if (!m_shown || !m_shown->context)
        throw Failure("No world is loaded");
    return m_shown->context;
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
    const XiteUrlSchemeHandler* handler = m_loading ? m_loading->handler : nullptr;
    m_lastError = XiteLoadError::inWords(reason.left(maxReasonSize), [handler](const QUrl& web) {
        return handler ? handler->failureOf(web) : QString();
    });
    endLoadPage();
    deliver(3);
}

void XiteBrowser::deliver(int code, int detail)
{
    // Never inside the call that caused it, so a listener may load again or remove itself. What a load
    // that a newer request has replaced meanwhile did is not news to anyone.
    const int serial = m_serial;
    QMetaObject::invokeMethod(
        this,
        [this, code, detail, serial] {
            if (code != 1 && serial != m_serial)
                return;
            const std::vector<X3DBrowserListener*> listeners = m_listeners;
            for (X3DBrowserListener* listener : listeners) {
                if (std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
                    continue;
                if (code == progressCode)
                    listener->loadProgress(detail);
                else
                    listener->browserChanged(code);
            }
        },
        Qt::QueuedConnection);
}

void XiteBrowser::requestValue(const NodeRef& node, const QString& fieldName, bool sinceLast, Answer answer)
{
    const int index = m_shown && m_shown->scene ? m_shown->scene->indexOf(node) : -1;
    if (index < 0 || !m_shown->bridge)
        throw Failure("The node is not in the world shown now");
    m_valueRequest = {++m_lastValueRequest, index, fieldName, std::move(answer)};
    emit m_shown->bridge->valueRequested(m_shown->serial, m_valueRequest.id, index, fieldName, sinceLast);
}

void XiteBrowser::receiveValue(const QJsonObject& report)
{
    // Only the answer to the open request, about the node and field it named.
    if (!m_valueRequest.answer || report.value(u"request") != QJsonValue(m_valueRequest.id) ||
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
    receive(m_loading ? m_loading.get() : m_shown.get(), message);
}

void XiteBrowser::receive(Page* from, const QString& message)
{
    auto drop = [this] {
        ++m_rejected;
    };
    if (!from || message.size() > maxReportSize)
        return drop();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return drop();
    const QJsonObject report = document.object();
    if (report.value(u"token").toString() != from->token)
        return drop(); // not from the page's own script
    const QJsonValue serialValue = report.value(u"serial");
    const QString kind = report.value(u"kind").toString();
    if (!serialValue.isDouble())
        return drop();
    const double serial = serialValue.toDouble();

    if (kind == u"ready") {
        if (from->ready)
            return drop();
        from->ready = true;
        sendPendingLoad();
        return;
    }
    // Values come from the world shown, everything else from the load in progress, about itself.
    if (kind == u"value") {
        if (from != m_shown.get() || !from->scene || serial != double(from->serial))
            return drop();
        return receiveValue(report);
    }
    if (from != m_loading.get() || serial != double(m_serial) || m_state != State::Loading || m_pending)
        return drop();

    if (kind == u"initialized") {
        try {
            from->scene = XiteScene::parse(report.value(u"scene").toObject());
        } catch (const std::exception& e) {
            from->scene.reset();
            return fail(QString::fromUtf8(e.what()));
        }
        from->context = from->scene->executionContext();
        // The page tells when X_ITE had the world initialized, by the same clock; the rest (describing
        // the scene, handing it over, reading it) is our own share of the load.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        qint64 initializedAt = qint64(report.value(u"initializedAt").toDouble());
        if (initializedAt < m_requestTime || initializedAt > now)
            initializedAt = now;
        m_lastLoadMs = initializedAt - m_requestTime;
        m_lastSceneMs = now - initializedAt;
        m_state = State::Loaded;
        // The new world takes the place of the old one, whose page goes.
        dropPage(m_shown);
        m_shown = std::move(m_loading);
        deliver(0);
        return;
    }
    if (kind == u"failed") {
        // Our page's addresses mean nothing to the user: local files are named by their file URLs.
        QString reason = report.value(u"reason").toString().left(maxReasonSize);
        reason.replace(QLatin1String("vendrel://local/file/"), QLatin1String("file:///"));
        return fail(reason.isEmpty() ? QStringLiteral("X_ITE couldn't load the world") : reason);
    }
    if (kind == u"progress") {
        const QJsonValue files = report.value(u"files");
        if (!files.isDouble() || files.toDouble() < 0 || files.toDouble() > 1e9)
            return drop();
        deliver(progressCode, files.toInt());
        return;
    }
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
