#include "platform/XiteBrowser.h"

#include "CountingEventPump.h"
#include "RecordingMessageBox.h"
#include "WebEngineForTests.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteLoadWaiter.h"
#include "platform/XiteUrlSchemeHandler.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"

#include <QDir>
#include <QHash>
#include <QTimer>
#include <QWebEnginePage>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

using Result = XiteLoadWaiter::Result;
using test::world;

/// One browser and view for the whole suite: starting the web engine is the slow part.
class XiteBrowserTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return; // the offscreen platform has no WebGL
        browser = XiteBrowser::create();
        if (!browser)
            return;
        view = new X3DBrowserView(browser);
        view->resize(320, 240);
        view->show();
    }
    static void TearDownTestSuite()
    {
        delete view;
        view = nullptr;
        browser.reset();
    }
    void SetUp() override
    {
        if (!browser)
            GTEST_SKIP() << "needs a display with WebGL and the X_ITE files";
        waiter = std::make_unique<XiteLoadWaiter>(*browser);
    }
    void TearDown() override { waiter.reset(); }

    /// Loads the world and walks it with "All" ticked. The tree comes a line per node: its key and
    /// text, then for each field that has items its position and their kinds, e.g. "Root_0 Ball B: 1GOS 9GO".
    QStringList compactTree(const QString& address)
    {
        if (waiter->load(address, 30000) != Result::Loaded)
            return {QStringLiteral("not loaded: ") + browser->lastError()};
        SceneTree tree;
        ModuleOrva orva;
        orva.browser = browser;
        orva.context = browser->getExecutionContext();
        SceneWalker(tree, orva, messages, events, [] { return 1; }).BuildSceneTree();
        QStringList lines;
        QHash<QString, qsizetype> lineOfNode;
        QHash<qsizetype, QString> lastPosition;
        for (int i = 2; i <= tree.count(); ++i) {
            const QString key = tree.key(i);
            if (!key.contains(u"fRoot")) {
                lineOfNode.insert(key, lines.size());
                lines.append(key + u' ' + tree.text(i) + u':');
                continue;
            }
            const qsizetype line = lineOfNode.value(key.section(u'_', 1, -2).mid(1)); // "Get_fRoot_0_1"
            const QString position = key.section(u'_', -1);
            if (lastPosition.value(line) != position)
                lines[line] += u' ' + position;
            lastPosition.insert(line, position);
            lines[line] += key.front();
        }
        return lines;
    }

    static inline std::shared_ptr<XiteBrowser> browser;
    static inline X3DBrowserView* view = nullptr;
    std::unique_ptr<XiteLoadWaiter> waiter;
    test::RecordingMessageBox messages;
    test::CountingEventPump events;
};

TEST_F(XiteBrowserTest, WorldsOfEachEncodingWalkToTheirTrees)
{
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QStringLiteral(VENDREL_TEST_WORLDS))); // addresses are relative to it
    const struct
    {
        const char* world;
        QStringList tree;
    } rows[] = {
        // A prototype instance lists its interface, but no items for its initializeOnly field (2); its
        // node field leads to a script whose own field leads back: the ball is listed again, not walked.
        {"features.x3dv",
         {"Root_0 Ball B: 0GOS 1GOS 3GOS", "Root_0_f3 Script Loop: 0GOS 1GOS 2GOS 3GOS 4GOS 5GOS 8GOS",
          "Root_0_f3_f8 Ball B:"}},
        // A script's eventIn (8) gives Set_ only, its eventOut (9) Get_ and On_, its two fields nothing,
        // but the node they hold is walked under each.
        {"vrml97.wrl",
         {"Root_0 Script S: 0GOS 1GOS 2GOS 3GOS 4GOS 5GOS 8S 9GO", "Root_0_f10 WorldInfo W: 0GOS 1GOS 2GOS",
          "Root_0_f11 WorldInfo W: 0GOS 1GOS 2GOS"}},
        // inputOnly fields (5, 6) give Set_ only; the unnamed child borrows its parent's name.
        {"xml.x3d", {"Root_0 Group G: 0GOS 1GOS 2GOS 5S 6S 7GOS", "Root_0_0 WorldInfo: 0GS 1GS 2GS"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(compactTree(QString::fromUtf8(row.world)), row.tree) << row.world;
        EXPECT_EQ(browser->currentUrl(), QUrl::fromLocalFile(world(row.world)).toString());
    }
    QDir::setCurrent(before);
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join(u',').toStdString();
}

TEST_F(XiteBrowserTest, EachKindOfFailedLoadFailsAndTheNextLoadGetsAWorkingPage)
{
    const struct
    {
        const char* world;
        Result result;
        const char* reason;
        bool rendererEnds = false;
    } rows[] = {
        {"missing.wrl", Result::Failed, "missing.wrl"},
        {"vrml1.wrl", Result::Failed, ""}, // X_ITE reads no VRML 1.0
        {"notaworld.x3d", Result::Failed, ""},
        {"wedge.x3dv", Result::Timeout, ""}, // its script never returns: the page stops answering
        {"xml.x3d", Result::Failed, "renderer", true},
    };
    struct : X3DBrowserListener
    {
        void browserChanged(int evnt) override { last = evnt; }
        int last = -1;
    } heard;
    browser->addBrowserListener(&heard);
    for (const auto& row : rows) {
        if (row.rendererEnds) {
            QTimer::singleShot(0, browser.get(), [] {
                emit browser->page()->renderProcessTerminated(QWebEnginePage::CrashedTerminationStatus, 139);
            });
        }
        EXPECT_EQ(waiter->load(world(row.world), row.result == Result::Timeout ? 3000 : 30000), row.result)
            << row.world;
        if (row.result == Result::Failed) {
            const QString reason = browser->lastError();
            EXPECT_EQ(heard.last, 3) << row.world;
            EXPECT_TRUE(!reason.isEmpty() && reason.contains(row.reason))
                << row.world << ": " << reason.toStdString();
        }
        EXPECT_THROW(browser->getExecutionContext(), Failure);
        EXPECT_EQ(waiter->load(world("xml.x3d"), 30000), Result::Loaded) << "after " << row.world;
        EXPECT_EQ(heard.last, 0);
        EXPECT_EQ(view->page(), browser->page()) << "the view shows the page in use";
    }
    browser->removeBrowserListener(&heard);
}

TEST_F(XiteBrowserTest, AHostileWorldReadsNoFilesAndCannotSpeakForThePage)
{
    QStringList console;
    const auto connection = QObject::connect(browser.get(), &XiteBrowser::consoleMessage,
                                             [&console](const QString& message) { console.append(message); });
    const QStringList tree = compactTree(world("hostile.x3dv"));
    waiter->waitForEvent(2000); // let its late attempts run
    QObject::disconnect(connection);

    EXPECT_EQ(tree, QStringList({"Root_0 Script Evil: 0GOS 1GOS 2GOS 3GOS 4GOS 5GOS 8GO"}))
        << "its forged scene was not taken";
    EXPECT_EQ(console.filter(QStringLiteral("LEAK:")).join(u'\n').toStdString(), "");
    EXPECT_EQ(console.filter(QStringLiteral("alert: blocking?")).size(), 1) << "answered, not shown";
    EXPECT_GT(browser->rejectedReports(), 0) << "its forged reports reached the bridge and were dropped";
    EXPECT_EQ(browser->page()->url(), XiteUrlSchemeHandler::pageUrl()) << "the page stays where it is";
    EXPECT_EQ(compactTree(world("features.x3dv")).value(0), "Root_0 Ball B: 0GOS 1GOS 3GOS")
        << "the next world loads in a clean page";
}

} // namespace
