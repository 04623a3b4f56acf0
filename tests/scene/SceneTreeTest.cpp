#include "scene/SceneTree.h"
#include "scene/OrvaListener.h"
#include "scene/SceneTreeObserver.h"

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

TEST(SceneTreeTest, AddsFindsAndRefusesItems)
{
    SceneTree tree;
    EXPECT_EQ(tree.add({}, u"Root", u"File"), 1);
    EXPECT_EQ(tree.add(u"Root", u"Root_0", u"Transform T1"), 2);
    EXPECT_EQ(tree.add(u"Root", u"Root_1", u"Shape"), 3);
    EXPECT_EQ(tree.add(u"Root_0", u"Get_fRoot_0_0", u"Get_T1_translation"), 4);
    EXPECT_THROW(tree.add(u"Root", u"Root_0", u"again"), Failure);   // key taken
    EXPECT_THROW(tree.add(u"Nowhere", u"Root_9", u"lost"), Failure); // unknown parent
    EXPECT_THROW(tree.text(0), Failure);
    EXPECT_THROW(tree.checked(5), Failure);
    EXPECT_THROW(tree.child(1, 2), Failure);
    EXPECT_EQ(QList<int>({tree.parent(4), tree.parent(1), tree.childCount(0), tree.childCount(1),
                          tree.child(1, 1), tree.row(3), tree.indexOfKey(u"root_1")}),
              QList<int>({2, 0, 1, 2, 3, 1, 0}));

    // Enough items, long and non-Latin texts and an empty key to grow the key index and the text blocks.
    const QString longText(100000, u'x');
    const QString unicode = QStringLiteral("Get_Grüße_😀_translation");
    tree.add(u"Root_1", unicode, longText);
    tree.add(u"Root_1", u"", unicode);
    for (int i = 0; i < 5000; ++i)
        tree.add(u"Root_1", QStringLiteral("k%1").arg(i), QStringLiteral("Get_N_f%1").arg(i));
    for (int i = 0; i < 5000; i += 7)
        ASSERT_EQ(tree.indexOfKey(QStringLiteral("k%1").arg(i)), 7 + i);
    EXPECT_EQ(QStringList({tree.key(2).toString(), tree.text(4).toString(),
                           tree.text(tree.indexOfKey(u"")).toString()}),
              QStringList({"Root_0", "Get_T1_translation", unicode}));
    EXPECT_EQ(tree.text(tree.indexOfKey(unicode)), longText);
    EXPECT_EQ(tree.child(3, 5001), tree.count());

    // Ticks are independent; one item is highlighted at a time.
    tree.setChecked(2, true);
    EXPECT_FALSE(tree.checked(4));
    tree.setSelected(2, true);
    tree.setSelected(3, true);
    EXPECT_FALSE(tree.selected(2));
    EXPECT_EQ(tree.selectedIndex(), 3);

    const auto generation = tree.generation();
    tree.clear();
    EXPECT_EQ(QList<int>({tree.count(), tree.indexOfKey(u"Root"), tree.selectedIndex()}),
              QList<int>({0, 0, 0}));
    EXPECT_NE(tree.generation(), generation);
    EXPECT_EQ(tree.add({}, u"Root", u"File"), 1);
}

class RecordingObserver : public SceneTreeObserver
{
public:
    void treeCleared() override { events.append("cleared"); }
    void itemAdded(int index) override { events.append("added " + QString::number(index)); }
    void buildFinished() override { events.append("built"); }
    void checksChanged(int first, int last) override
    {
        events.append(QString("checks %1-%2").arg(first).arg(last));
    }
    void selectionChanged(int index) override { events.append("selected " + QString::number(index)); }
    void expandedChanged(int index) override { events.append("expanded " + QString::number(index)); }
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
    QStringList flags; // loaded, failed
    for (const int evnt : {0, 2, 3, 1, 42}) {
        OrvaListener listener;
        listener.browserChanged(evnt);
        flags << QString("%1 %2").arg(listener.bWorldLoaded).arg(listener.bLoadFailed);
    }
    EXPECT_EQ(flags, QStringList({"1 0", "0 1", "0 1", "0 0", "0 0"}));
}

} // namespace
