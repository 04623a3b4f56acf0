#include "selection/TreeSearch.h"

#include "CountingEventPump.h"
#include "scene/SceneTree.h"
#include "TextTree.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vendrel;
using vendrel::test::fillTree;

namespace {

class TreeSearchTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // 1 File, 2 Transform T1, 3..5 its access items, 6 Transform T10, 7 Get_T10_rotation, 8 Shape
        fillTree(tree, {"Transform T1", "Get_T1_translation", "On_T1_translation", "Set_T1_translation",
                        "Transform T10", "Get_T10_rotation", "Shape"});
    }
    /// The highlighted item after each of `steps` searches for `s`.
    std::vector<int> steps(const QString& s, int count, MatchOptions options = {})
    {
        std::vector<int> highlights;
        for (int i = 0; i < count; ++i) {
            search.FindNext(s, options);
            highlights.push_back(tree.selectedIndex());
        }
        return highlights;
    }

    SceneTree tree;
    test::CountingEventPump events;
    TreeSearch search{tree, events};
};

TEST_F(TreeSearchTest, FindsEachMatchInIndexOrderFromAfterTheTopItemAndStopsAtTheEnd)
{
    EXPECT_EQ(steps("T1", 8), (std::vector<int>{2, 3, 4, 5, 6, 7, 7, 7}));
    EXPECT_EQ(search.SearchIndex(), 7);
    EXPECT_EQ(search.LastSearchText(), "T1");
    EXPECT_EQ(events.yields, 6) << "events run once per match, never without one";
    EXPECT_FALSE(search.FindNext("T1"));

    search.TreeView1_NodeClick(1);
    EXPECT_EQ(steps("T1", 1), (std::vector<int>{2})) << "a click on the top item starts over";
}

TEST_F(TreeSearchTest, TheTopItemIsNeverFoundFromTheStart)
{
    EXPECT_EQ(steps("File", 2), (std::vector<int>{1, 1}));
    EXPECT_EQ(search.SearchIndex(), 1) << "the catch-up step moved to the highlight";
}

TEST_F(TreeSearchTest, EmptyTextStepsThroughEveryItem)
{
    EXPECT_TRUE(search.TreeView1_KeyDown(TreeSearch::keyF3)); // F3 before any search
    EXPECT_EQ(tree.selectedIndex(), 2);
    EXPECT_EQ(steps("", 7), (std::vector<int>{3, 4, 5, 6, 7, 8, 8}));
}

TEST_F(TreeSearchTest, AClickThenF3FindsTheFirstMatchAfterTheClickedItem)
{
    steps("T1", 6);
    search.TreeView1_NodeClick(3);
    EXPECT_EQ(tree.selectedIndex(), 3);
    EXPECT_EQ(search.SearchIndex(), 3);
    EXPECT_TRUE(search.TreeView1_KeyDown(Qt::Key_F3, int(Qt::ShiftModifier)));
    EXPECT_EQ(tree.selectedIndex(), 4);
    EXPECT_FALSE(search.TreeView1_KeyDown(Qt::Key_F4));
    EXPECT_EQ(tree.selectedIndex(), 4);
}

TEST_F(TreeSearchTest, AHighlightAfterTheSearchIndexMovesTheSearchOnOneBeforeItDoesNot)
{
    search.FindNext("T1"); // 2
    tree.setSelected(5, true);
    search.FindNext("T1");
    EXPECT_EQ(tree.selectedIndex(), 6);

    tree.setSelected(1, true); // as after a rebuild
    search.FindNext("T1");
    EXPECT_EQ(tree.selectedIndex(), 7) << "the search continues after SearchIndex, not the highlight";
}

TEST_F(TreeSearchTest, NothingIsFoundBeyondTheEndOfASmallerTree)
{
    steps("T1", 6);
    fillTree(tree, {"Transform T1"});
    EXPECT_FALSE(search.FindNext("T1"));
    EXPECT_EQ(tree.selectedIndex(), 1);
    EXPECT_EQ(search.SearchIndex(), 7);
    search.resetSearchIndex(); // the Search dialog opened again
    EXPECT_TRUE(search.FindNext("T1"));
    EXPECT_EQ(tree.selectedIndex(), 2);
}

TEST(TreeSearchEmptyTree, F3DoesNothing)
{
    SceneTree tree;
    test::CountingEventPump events;
    TreeSearch search(tree, events);
    EXPECT_TRUE(search.TreeView1_KeyDown(TreeSearch::keyF3));
    EXPECT_EQ(search.SearchIndex(), 0);
    EXPECT_EQ(events.yields, 0);
}

TEST_F(TreeSearchTest, CaseSensitiveUnlessIgnoreCaseAndF3KeepsTheOptions)
{
    EXPECT_FALSE(search.FindNext("t1"));
    EXPECT_EQ(tree.selectedIndex(), 1);
    EXPECT_TRUE(search.FindNext("t1", {false, true}));
    EXPECT_EQ(tree.selectedIndex(), 2);
    search.FindAgain();
    EXPECT_EQ(tree.selectedIndex(), 3);
    EXPECT_EQ(search.lastOptions(), (MatchOptions{false, true}));

    search.TreeView1_NodeClick(1);
    search.FindNext("transform t10", {true, true});
    EXPECT_EQ(tree.selectedIndex(), 6);
    EXPECT_FALSE(search.FindAgain()) << "an exact match has no second hit";
    EXPECT_EQ(tree.selectedIndex(), 6);
}

TEST_F(TreeSearchTest, AnF3QueuedWhileEventsRunContinuesAfterTheNewMatch)
{
    bool nested = false;
    events.onYield = [&] {
        if (nested)
            return;
        nested = true;
        search.FindAgain(); // the queued F3
    };
    search.FindNext("T1");
    // The nested search found 3 after the highlighted 2; the outer one then stored its own 2.
    EXPECT_EQ(tree.selectedIndex(), 3);
    EXPECT_EQ(search.SearchIndex(), 2);
    events.onYield = nullptr;
    search.FindNext("T1");
    EXPECT_EQ(tree.selectedIndex(), 4) << "the catch-up step moved past the nested match";
}

TEST_F(TreeSearchTest, AClickOutsideTheTreeIsIgnored)
{
    search.TreeView1_NodeClick(99);
    EXPECT_EQ(search.SearchIndex(), 0);
    EXPECT_EQ(tree.selectedIndex(), 1);
}

} // namespace
