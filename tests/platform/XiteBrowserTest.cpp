#include "platform/XiteBrowser.h"
#include "platform/XiteLoadError.h"

#include "CountingEventPump.h"
#include "RecordingMessageBox.h"
#include "SharedXiteBrowser.h"
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

class XiteBrowserTest : public test::SharedXiteBrowser
{
protected:
    void SetUp() override
    {
        SharedXiteBrowser::SetUp();
        if (!IsSkipped())
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

// A failed or stuck load leaves the world shown before it, page and scene; the next load works.
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
    ASSERT_EQ(waiter->load(world("xml.x3d"), 30000), Result::Loaded);
    for (const auto& row : rows) {
        const std::shared_ptr<XiteScene> shown = browser->scene();
        QWebEnginePage* const shownPage = browser->page();
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
        if (row.result == Result::Timeout)
            browser->cancelLoad();
        EXPECT_EQ(browser->scene(), shown) << row.world;
        EXPECT_NO_THROW(browser->getExecutionContext()) << row.world;
        EXPECT_TRUE(browser->page() == shownPage && view->page() == shownPage) << row.world;
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

// X_ITE's reasons for a failed load, said in words; unknown ones pass unchanged.
TEST(XiteLoadError, SaysWhatWentWrongAndWhere)
{
    const QString rows[][2] = {
        {"Couldn't load X3D file. Error: Couldn't parse X3D. No suitable file handler found for "
         "'file:///tmp/a%20b/notes.txt'.",
         "notes.txt is not a world X_ITE can read: it is neither VRML nor X3D (XML, JSON or classic "
         "encoding), "
         "or it is not well-formed"},
        {"Couldn't load X3D file. Error: Parser error at line 4:37 in 'file:///tmp/broken.wrl' children [ "
         "Shape { geometry Box { size 1 2 } } ^ Couldn't read value for field 'size'.",
         "Parse error in broken.wrl at line 4, column 37: Couldn't read value for field 'size'."},
        {"Couldn't load X3D file. TypeError: Failed to fetch vendrel://local/web/http/nohost.invalid/a.wrl",
         "Couldn't fetch http://nohost.invalid/a.wrl: Host nohost.invalid not found"},
        {"Couldn't load X3D file. TypeError: Failed to fetch "
         "vendrel://local/web/https/example.org:8443/w.x3d?v=1",
         "Couldn't fetch https://example.org:8443/w.x3d?v=1"},
        {"Couldn't find the file /tmp/missing.wrl", "Couldn't find the file /tmp/missing.wrl"},
    };
    const auto webFailure = [](const QUrl& web) {
        return web.host() == u"nohost.invalid" ? QStringLiteral("Host nohost.invalid not found") : QString();
    };
    for (const auto& [reason, words] : rows)
        EXPECT_EQ(XiteLoadError::inWords(reason, webFailure), words) << reason.toStdString();
}
