#include "scene/SceneTree.h"
#include "scene/OrvaListener.h"
#include "scene/SceneTreeObserver.h"
#include "sim/SimBrowser.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

TEST(SceneTreeTest, AddsFindsAndRefusesItems)
{
    SceneTree tree;
    EXPECT_EQ(tree.count(), 0);
    EXPECT_EQ(tree.add({}, u"Root", u"File"), 1);
    EXPECT_EQ(tree.add(u"Root", u"Root_0", u"Transform T1"), 2);
    EXPECT_EQ(tree.add(u"Root", u"Root_1", u"Shape"), 3);
    EXPECT_EQ(tree.add(u"Root_0", u"Get_fRoot_0_0", u"Get_T1_translation"), 4);

    EXPECT_THROW(tree.add(u"Root", u"Root_0", u"again"), Failure);   // key taken
    EXPECT_THROW(tree.add(u"Nowhere", u"Root_9", u"lost"), Failure); // unknown parent
    EXPECT_EQ(tree.count(), 4);

    EXPECT_EQ(tree.indexOfKey(u"Root_1"), 3);
    EXPECT_EQ(tree.indexOfKey(u"root_1"), 0);
    EXPECT_EQ(tree.key(4), u"Get_fRoot_0_0");
    EXPECT_EQ(tree.text(2), u"Transform T1");
    EXPECT_EQ(tree.parent(4), 2);
    EXPECT_EQ(tree.parent(1), 0);
    EXPECT_EQ(tree.childCount(0), 1);
    EXPECT_EQ(tree.childCount(1), 2);
    EXPECT_EQ(tree.child(1, 1), 3);
    EXPECT_EQ(tree.row(3), 1);
    EXPECT_EQ(tree.childCount(4), 0);

    EXPECT_THROW(tree.text(0), Failure);
    EXPECT_THROW(tree.checked(5), Failure);
    EXPECT_THROW(tree.child(1, 2), Failure);

    // Ticks are independent; one item is highlighted at a time.
    tree.setChecked(2, true);
    EXPECT_TRUE(tree.checked(2));
    EXPECT_FALSE(tree.checked(4));
    tree.setSelected(2, true);
    tree.setSelected(3, true);
    EXPECT_FALSE(tree.selected(2));
    EXPECT_EQ(tree.selectedIndex(), 3);

    const auto generation = tree.generation();
    tree.clear();
    EXPECT_EQ(tree.count(), 0);
    EXPECT_EQ(tree.indexOfKey(u"Root"), 0);
    EXPECT_EQ(tree.selectedIndex(), 0);
    EXPECT_NE(tree.generation(), generation);
    EXPECT_EQ(tree.add({}, u"Root", u"File"), 1);
}

TEST(SceneTreeTest, KeepsLongAndUnicodeTextsWhole)
{
    SceneTree tree;
    const QString longText(100000, u'x');
    const QString unicode = QStringLiteral("Get_Grüße_😀_translation");
    tree.add({}, u"Root", u"File");
    tree.add(u"Root", u"A", longText);
    tree.add(u"Root", unicode, unicode);
    tree.add(u"Root", u"", u"");
    EXPECT_EQ(tree.text(2), longText);
    EXPECT_EQ(tree.indexOfKey(unicode), 3);
    EXPECT_EQ(tree.text(3), unicode);
    EXPECT_EQ(tree.indexOfKey(u""), 4);
}

TEST(SceneTreeTest, HoldsAMillionItems)
{
    SceneTree tree;
    tree.add({}, u"Root", u"File");
    for (int i = 0; i < 1000; ++i) {
        const QString node = QStringLiteral("Root_%1").arg(i);
        tree.add(u"Root", node, QStringLiteral("Transform N%1").arg(i));
        for (int j = 0; j < 999; ++j)
            tree.add(node, QStringLiteral("Get_f%1_%2").arg(node).arg(j),
                     QStringLiteral("Get_N%1_f%2").arg(i).arg(j));
    }
    ASSERT_EQ(tree.count(), 1 + 1000 * 1000);
    EXPECT_EQ(tree.indexOfKey(u"Get_fRoot_999_998"), tree.count());
    EXPECT_EQ(tree.text(tree.count()), u"Get_N999_f998");
    EXPECT_EQ(tree.row(tree.count()), 998);
    EXPECT_EQ(tree.childCount(1), 1000);
}

class RecordingObserver : public SceneTreeObserver
{
public:
    void treeCleared() override { events.append("cleared"); }
    void itemAdded(int index) override { events.append(QStringLiteral("added %1").arg(index)); }
    void buildFinished() override { events.append("built"); }
    void checksChanged(int first, int last) override
    {
        events.append(QStringLiteral("checks %1-%2").arg(first).arg(last));
    }
    void selectionChanged(int index) override { events.append(QStringLiteral("selected %1").arg(index)); }
    void expandedChanged(int index) override { events.append(QStringLiteral("expanded %1").arg(index)); }
    QStringList events;
};

TEST(SceneTreeTest, TellsObserversAndGathersBuildsAndBatches)
{
    SceneTree tree;
    RecordingObserver observer;
    tree.addObserver(&observer);
    tree.add({}, u"Root", u"File");
    tree.beginBuild();
    tree.clear();
    tree.add({}, u"Root", u"File");
    tree.add(u"Root", u"Root_0", u"Shape");
    tree.add(u"Root", u"Root_1", u"Box");
    tree.setExpanded(1, true);
    tree.endBuild();
    {
        SceneTree::ChangeBatch batch(tree);
        tree.setChecked(3, true);
        tree.setChecked(2, true);
        tree.setChecked(2, true); // no change
    }
    tree.setChecked(1, true);
    tree.setSelected(1, true);
    tree.removeObserver(&observer);
    tree.setChecked(1, false);
    EXPECT_EQ(observer.events, QStringList({"added 1", "cleared", "expanded 1", "built", "checks 2-3",
                                            "checks 1-1", "selected 1"}));
}

TEST(OrvaListenerTest, LoadedAndFailedWorldsSetTheirFlags)
{
    OrvaListener listener;
    EXPECT_FALSE(listener.bWorldLoaded);
    for (int evnt : {1, -1, 42})
        listener.browserChanged(evnt);
    EXPECT_FALSE(listener.bWorldLoaded || listener.bLoadFailed);
    for (int evnt : {2, 3}) {
        listener.bLoadFailed = false;
        listener.browserChanged(evnt);
        EXPECT_TRUE(listener.bLoadFailed);
    }
    EXPECT_FALSE(listener.bWorldLoaded);
    listener.browserChanged(0);
    EXPECT_TRUE(listener.bWorldLoaded);
}

TEST(SimBrowserTest, ReportsLoadsThroughTheEventLoop)
{
    SimBrowser browser;
    OrvaListener listener;
    browser.addBrowserListener(&listener);
    browser.addWorld("good.wrl", "Shape { }");
    browser.addWorld("broken.wrl", "Shape {");
    EXPECT_THROW(browser.getExecutionContext(), Failure);

    browser.loadURL({"good.wrl"}, {});
    EXPECT_FALSE(listener.bWorldLoaded);
    QCoreApplication::processEvents();
    EXPECT_TRUE(listener.bWorldLoaded);
    EXPECT_EQ(browser.getExecutionContext()->rootNodes()->length(), 1);

    struct Last : X3DBrowserListener
    {
        void browserChanged(int evnt) override { last = evnt; }
        int last = -1;
    } events;
    browser.addBrowserListener(&events);
    for (const char* address : {"missing.wrl", "broken.wrl"}) {
        events.last = -1;
        browser.loadURL({address}, {});
        QCoreApplication::processEvents();
        EXPECT_EQ(events.last, 3);
        EXPECT_FALSE(browser.lastError().isEmpty());
    }
    EXPECT_EQ(browser.loadRequests(), QStringList({"good.wrl", "missing.wrl", "broken.wrl"}));
    browser.removeBrowserListener(&events);
    browser.removeBrowserListener(&listener);
}

} // namespace
