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
    EXPECT_EQ(QStringList({tree.key(2), tree.text(4), tree.text(tree.indexOfKey(u""))}),
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

// Keys and texts built from earlier parts are the same strings as given whole: found, compared and refused
// alike, however they were split; and the tree takes no item past its limit.
TEST(SceneTreeTest, ComposedKeysAndTheItemLimit)
{
    SceneTree tree;
    const auto root = tree.compose(u"Root");
    tree.add(0, root, tree.compose(u"File"));
    int parent = 1;
    auto key = root;
    for (int depth = 0; depth < 3000; ++depth) {
        key = tree.compose({}, key, u"_0");
        parent = tree.add(parent, key, tree.compose(u"Get_", tree.textPart(parent), u"_x"));
    }
    const QString deepKey = QStringLiteral("Root") + QStringLiteral("_0").repeated(3000);
    EXPECT_EQ(tree.indexOfKey(deepKey), tree.count());
    EXPECT_EQ(tree.key(tree.count()), deepKey);
    EXPECT_EQ(tree.text(3), u"Get_Get_File_x_x");
    EXPECT_EQ(tree.indexOfKey(QString(deepKey.chopped(1) + u'1')), 0);
    EXPECT_EQ(tree.indexOfKey(u"Root_0_0"), 3);
    EXPECT_THROW(tree.add(u"Root", u"Root_0_0", u"again"), Failure);
    EXPECT_THROW(tree.add(1, tree.compose(u"Ro", tree.compose(u"ot"), u"_0"), 0), Failure); // split otherwise
    tree.add(1, tree.compose(u"Ro", tree.compose(u"ot_"), u"0f"), 0);
    EXPECT_EQ(tree.indexOfKey(u"Root_0f"), tree.count());

    tree.setItemLimit(tree.count() + 1);
    tree.add(u"Root", u"last", u"fits");
    EXPECT_TRUE(tree.full());
    EXPECT_THROW(tree.add(u"Root", u"more", u"does not fit"), Failure);
    tree.clear();
    EXPECT_EQ(tree.itemLimit(), 3003);
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
