#include "selection/SelectionCommands.h"

#include "TextTree.h"
#include "WalkedWorld.h"
#include "selection/TreeSearch.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vendrel;

namespace {

using Items = std::vector<int>;

class SelectionCommandsTest : public testing::Test
{
protected:
    void SetUp() override { test::fillSampleTree(tree); }
    Items ticked() const
    {
        Items items;
        for (int i = 1; i <= tree.count(); ++i)
            if (tree.checked(i))
                items.push_back(i);
        return items;
    }

    SceneTree tree;
};

TEST_F(SelectionCommandsTest, BulkCommandsAddTicksByPrefixAndDeselectAllRemovesEvery)
{
    tree.setChecked(2, true); // the user's tick on a node item
    EXPECT_EQ(SelectAllGet(tree), 4);
    EXPECT_EQ(ticked(), (Items{2, 3, 7, 9, 12}));
    EXPECT_EQ(SelectAllSet(tree), 2);
    EXPECT_EQ(ticked(), (Items{2, 3, 5, 7, 9, 10, 12}));
    EXPECT_EQ(SelectAllOn(tree), 1);
    EXPECT_EQ(ticked(), (Items{2, 3, 4, 5, 7, 9, 10, 12}));
    EXPECT_EQ(SelectAllGet(tree), 4) << "counted whether ticked before or not";
    tree.setChecked(1, true);
    EXPECT_EQ(DeselectAll(tree), 9);
    EXPECT_EQ(ticked(), Items());

    SceneTree empty;
    SelectAllGet(empty);
    DeselectAll(empty);
    SelectEm(empty, "", 1, 1, 1);
    EXPECT_EQ(empty.count(), 0);
}

TEST_F(SelectionCommandsTest, SelectEmTicksByNameAndKindAndNeverUnticks)
{
    // clang-format off
    const struct { const char* name; int sets, gets, ons; MatchOptions options; Items ticked; } cases[] = {
        {"T1", 0, 1, 0, {}, {3, 7}},                  {"translation", 1, 0, 1, {}, {4, 5, 10}},
        {"Get_", 0, 1, 0, {}, {3, 7, 9, 12}},         {"Get_", 1, 0, 0, {}, {10}},
        {"", 0, 1, 0, {}, {3, 7, 9, 12}},             {"T1", 0, 0, 0, {}, {}},
        {"t1", 1, 1, 1, {}, {}},                      {"T10", 0, 2, 0, {}, {7}},
        {"T1", 0, -1, 0, {}, {3, 7}},                 {"Get_T1_translation", 1, 1, 1, {true, false}, {3}},
        {"T1", 1, 1, 1, {true, false}, {}},           {"get_t1_translation", 1, 1, 1, {true, true}, {3}},
        {"t1", 0, 1, 0, {false, true}, {3, 7}},
        {"lower", 0, 1, 0, {false, true}, {}}, // the kind prefix stays case-sensitive
    };
    // clang-format on
    for (const auto& c : cases) {
        DeselectAll(tree);
        EXPECT_EQ(SelectEm(tree, c.name, c.sets, c.gets, c.ons, c.options), int(c.ticked.size())) << c.name;
        EXPECT_EQ(ticked(), c.ticked) << c.name;
    }
    DeselectAll(tree);
    tree.setChecked(3, true);
    SelectEm(tree, "T10", 0, 1, 0);
    SelectEm(tree, "T10", 0, 1, 0);
    EXPECT_EQ(ticked(), (Items{3, 7}));
}

TEST(MatchOptionsTest, TextMatches)
{
    // clang-format off
    const struct { const char16_t *text, *wanted; MatchOptions options; bool matches; } cases[] = {
        {u"Get_ÄRGER_size", u"ärger", {false, true}, true}, {u"Get_ÄRGER_size", u"ärger", {}, false},
        {u"Set_ΣΟΦΙΑ", u"σοφια", {false, true}, true},      {u"Set_σοφιας", u"ΣΟΦΙΑΣ", {false, true}, true},
        {u"Ǆ", u"ǆ", {true, true}, true},                   {u"File", u"", {true, false}, false},
        {u"File", u"", {}, true},                           {u"", u"x", {}, false},
        {u"", u"", {}, false}, // an empty text contains nothing, not even the empty name
    };
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(textMatches(c.text, c.wanted, c.options), c.matches) << QStringView(c.text).toUtf8().data();
}

TEST(CheckAllClickTest, RebuildsWithTheNewShapeKeepsTheTicksOfItemsInBothAndTheSearchPosition)
{
    test::WalkedWorld world;
    TreeSearch search(world.tree, world.events);
    EXPECT_FALSE(CheckAll_Click(world.tree, world.walker)) << "no world loaded yet";
    EXPECT_EQ(world.tree.count(), 0);

    const QStringList withAll =
        world.walk("Transform T1 { io MFNode children [ Shape { ii SFBool b } ] }", 1);
    SelectAllGet(world.tree);
    search.TreeView1_NodeClick(3);
    ASSERT_EQ(test::tickedTexts(world.tree), QStringList({"Get_T1_children", "Get_T1_b_b"}));
    world.checkAll = 0;
    ASSERT_TRUE(CheckAll_Click(world.tree, world.walker));
    EXPECT_NE(test::dumpTree(world.tree), withAll);
    EXPECT_EQ(test::tickedTexts(world.tree), QStringList({"Get_T1_children"}));
    world.checkAll = 1;
    ASSERT_TRUE(CheckAll_Click(world.tree, world.walker));
    EXPECT_EQ(test::dumpTree(world.tree), withAll);
    EXPECT_EQ(test::tickedTexts(world.tree), QStringList({"Get_T1_children"})) << "the unnamed one's went";
    EXPECT_EQ(world.tree.selectedIndex(), 1);
    EXPECT_EQ(search.SearchIndex(), 3);
}

} // namespace
