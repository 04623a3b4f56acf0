#include "selection/TreeSearch.h"

#include "CountingEventPump.h"
#include "TextTree.h"
#include "scene/SceneTree.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace vendrel;
using vendrel::test::fillTree;

namespace {

class TreeSearchTest : public testing::Test
{
protected:
    void SetUp() override { test::fillSampleTree(tree); }
    /// The highlighted item after each of `count` searches for `s`.
    std::vector<int> steps(const char* s, std::size_t count, MatchOptions options = {})
    {
        std::vector<int> highlights;
        while (highlights.size() < count) {
            search.FindNext(s, options);
            highlights.push_back(tree.selectedIndex());
        }
        return highlights;
    }

    SceneTree tree;
    test::CountingEventPump events;
    TreeSearch search{tree, events};
};

TEST_F(TreeSearchTest, FindNextHighlightsEachMatchInIndexOrderAndStopsAtTheEnd)
{
    // clang-format off
    const struct { const char* text; MatchOptions options; std::vector<int> highlights; } cases[] = {
        {"T1", {}, {2, 3, 4, 5, 6, 7, 7, 7}}, {"", {}, {2, 3, 4}}, {"t1", {false, true}, {2, 3}},
        {"t1", {}, {1}},                      // case-sensitive
        {"File", {}, {1, 1}},                 // the top item is never found from the start
        {"transform t10", {true, true}, {6, 6}}, // an exact match has no second hit
    };
    // clang-format on
    for (const auto& c : cases) {
        search.TreeView1_NodeClick(1); // starts over
        EXPECT_EQ(steps(c.text, c.highlights.size(), c.options), c.highlights) << c.text;
    }
    search.TreeView1_NodeClick(1);
    events.yields = 0;
    EXPECT_EQ(steps("T1", 7).back(), 7);
    EXPECT_FALSE(search.FindNext("T1"));
    EXPECT_EQ(search.SearchIndex(), 7);
    EXPECT_EQ(search.LastSearchText(), "T1");
    EXPECT_EQ(events.yields, 6) << "events run once per match, never without one";
}

TEST_F(TreeSearchTest, F3SearchesAgainWithTheSameOptionsAfterTheClickedItem)
{
    EXPECT_TRUE(search.TreeView1_KeyDown(TreeSearch::keyF3)); // before any search: every item matches
    EXPECT_EQ(tree.selectedIndex(), 2);
    search.FindNext("t1", {false, true});
    EXPECT_EQ(tree.selectedIndex(), 3);
    search.TreeView1_NodeClick(5);
    EXPECT_EQ(search.SearchIndex(), 5);
    EXPECT_TRUE(search.TreeView1_KeyDown(Qt::Key_F3, int(Qt::ShiftModifier)));
    EXPECT_EQ(tree.selectedIndex(), 6);
    EXPECT_FALSE(search.TreeView1_KeyDown(Qt::Key_F4));
    EXPECT_EQ(tree.selectedIndex(), 6);
    search.TreeView1_NodeClick(99); // outside the tree: ignored
    EXPECT_EQ(search.SearchIndex(), 6);
    tree.clear();
    events.yields = 0;
    EXPECT_TRUE(search.TreeView1_KeyDown(TreeSearch::keyF3)); // in an empty tree: nothing to find
    EXPECT_EQ(events.yields, 0);
}

TEST_F(TreeSearchTest, TheSearchGoesOnAfterTheLaterOfItsPositionAndTheHighlight)
{
    search.FindNext("T1"); // 2
    tree.setSelected(5, true);
    search.FindNext("T1");
    EXPECT_EQ(tree.selectedIndex(), 6);
    tree.setSelected(1, true); // as after a rebuild
    search.FindNext("T1");
    EXPECT_EQ(tree.selectedIndex(), 7);

    // Nothing is found beyond the end of a smaller tree, until the Search dialog opens again.
    fillTree(tree, {"Transform T1"});
    EXPECT_FALSE(search.FindNext("T1"));
    EXPECT_EQ(tree.selectedIndex(), 1);
    search.resetSearchIndex();
    EXPECT_TRUE(search.FindNext("T1"));
    EXPECT_EQ(tree.selectedIndex(), 2);
}

// The nested search finds 3 after the highlighted 2; the outer one then stores its own 2.
TEST_F(TreeSearchTest, AnF3QueuedWhileEventsRunContinuesAfterTheNewMatch)
{
    bool queued = true;
    events.onYield = [&] {
        if (std::exchange(queued, false))
            search.FindAgain(); // the queued F3
    };
    search.FindNext("T1");
    EXPECT_EQ(tree.selectedIndex(), 3);
    EXPECT_EQ(search.SearchIndex(), 2);
    search.FindNext("T1");
    EXPECT_EQ(tree.selectedIndex(), 4) << "the catch-up step moved past the nested match";
}

} // namespace
