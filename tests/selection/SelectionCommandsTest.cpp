#include "selection/SelectionCommands.h"

#include "CountingEventPump.h"
#include "RecordingMessageBox.h"
#include "scene/SceneTree.h"
#include "scene/SceneTreeObserver.h"
#include "scene/SceneWalker.h"
#include "sim/SimScene.h"
#include "TextTree.h"
#include "selection/TreeSearch.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vendrel;
using vendrel::test::fillTree;
using vendrel::test::tickedTexts;

namespace {

class SelectionCommandsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        fillTree(tree, {"Transform T1", "Get_T1_translation", "On_T1_translation", "Set_T1_translation",
                        "Transform T10", "Get_T10_rotation", "Transform Get_x", "Get_Get_x_translation",
                        "Set_Get_x_translation", "get_lower", "Get_"});
    }
    QStringList selectEm(const char* name, int sets, int gets, int ons, MatchOptions options = {})
    {
        DeselectAll(tree);
        SelectEm(tree, QString::fromUtf8(name), sets, gets, ons, options);
        return tickedTexts(tree);
    }

    SceneTree tree;
};

TEST_F(SelectionCommandsTest, BulkCommandsOnlyAddTicksOfTheirPrefixAndDeselectAllRemovesEvery)
{
    tree.setChecked(2, true); // the user's tick on a node item
    SelectAllGet(tree);
    EXPECT_EQ(tickedTexts(tree), QStringList({"Transform T1", "Get_T1_translation", "Get_T10_rotation",
                                              "Get_Get_x_translation", "Get_"}));
    SelectAllSet(tree);
    EXPECT_EQ(tickedTexts(tree),
              QStringList({"Transform T1", "Get_T1_translation", "Set_T1_translation", "Get_T10_rotation",
                           "Get_Get_x_translation", "Set_Get_x_translation", "Get_"}));
    SelectAllOn(tree);
    EXPECT_TRUE(tree.checked(4));
    EXPECT_FALSE(tree.checked(8)) << "the node item Transform Get_x is not a getter";
    EXPECT_FALSE(tree.checked(11)) << "get_ is no match for Get_";

    tree.setChecked(1, true);
    DeselectAll(tree);
    EXPECT_TRUE(tickedTexts(tree).isEmpty());
}

TEST_F(SelectionCommandsTest, SelectEmTicksByNameAndKind)
{
    EXPECT_EQ(selectEm("T1", 0, 1, 0), QStringList({"Get_T1_translation", "Get_T10_rotation"}));
    EXPECT_EQ(selectEm("translation", 1, 0, 1),
              QStringList({"On_T1_translation", "Set_T1_translation", "Set_Get_x_translation"}));
    EXPECT_EQ(selectEm("Get_", 0, 1, 0),
              QStringList({"Get_T1_translation", "Get_T10_rotation", "Get_Get_x_translation", "Get_"}));
    EXPECT_EQ(selectEm("Get_", 1, 0, 0), QStringList({"Set_Get_x_translation"}));
    EXPECT_EQ(selectEm("", 0, 1, 0),
              QStringList({"Get_T1_translation", "Get_T10_rotation", "Get_Get_x_translation", "Get_"}));
    EXPECT_EQ(selectEm("T1", 0, 0, 0), QStringList());
    EXPECT_EQ(selectEm("", 0, 0, 0), QStringList());
    EXPECT_EQ(selectEm("t1", 1, 1, 1), QStringList()) << "case-sensitive by default";
    EXPECT_EQ(selectEm("T10", 0, 2, 0), QStringList({"Get_T10_rotation"})) << "any non-zero flag is on";
    EXPECT_EQ(selectEm("T1", 0, -1, 0), QStringList({"Get_T1_translation", "Get_T10_rotation"}));
}

TEST_F(SelectionCommandsTest, SelectEmNeverUnticksAndARepeatChangesNothing)
{
    tree.setChecked(3, true);
    SelectEm(tree, "T10", 0, 1, 0);
    SelectEm(tree, "T10", 0, 1, 0);
    EXPECT_EQ(tickedTexts(tree), QStringList({"Get_T1_translation", "Get_T10_rotation"}));
}

TEST_F(SelectionCommandsTest, ExactMatchComparesTheWholeTextAndIgnoreCaseFoldsCase)
{
    EXPECT_EQ(selectEm("Get_T1_translation", 1, 1, 1, {true, false}), QStringList({"Get_T1_translation"}));
    EXPECT_EQ(selectEm("T1", 1, 1, 1, {true, false}), QStringList());
    EXPECT_EQ(selectEm("get_t1_translation", 1, 1, 1, {true, false}), QStringList());
    EXPECT_EQ(selectEm("get_t1_translation", 1, 1, 1, {true, true}), QStringList({"Get_T1_translation"}));
    EXPECT_EQ(selectEm("t1", 0, 1, 0, {false, true}),
              QStringList({"Get_T1_translation", "Get_T10_rotation"}));
    // Case folding only widens the name test: the kind prefix stays case-sensitive.
    EXPECT_EQ(selectEm("lower", 0, 1, 0, {false, true}), QStringList());
}

TEST(MatchOptionsTest, IgnoreCaseFoldsBeyondAscii)
{
    EXPECT_TRUE(textMatches(u"Get_ÄRGER_size", u"ärger", {false, true}));
    EXPECT_FALSE(textMatches(u"Get_ÄRGER_size", u"ärger", {}));
    EXPECT_TRUE(textMatches(u"Set_ΣΟΦΙΑ", u"σοφια", {false, true}));
    EXPECT_TRUE(textMatches(u"Set_σοφιας", u"ΣΟΦΙΑΣ", {false, true})) << "final sigma folds like sigma";
    EXPECT_TRUE(textMatches(u"Ǆ", u"ǆ", {true, true}));
}

TEST(MatchOptionsTest, EmptyTextsFollowTheClassicRule)
{
    EXPECT_TRUE(textMatches(u"File", u"", {}));
    EXPECT_FALSE(textMatches(u"", u"", {}));
    EXPECT_FALSE(textMatches(u"", u"x", {}));
    EXPECT_FALSE(textMatches(u"File", u"", {true, false}));
}

class TickCounter : public SceneTreeObserver
{
public:
    void checksChanged(int first, int last) override { calls.push_back({first, last}); }
    std::vector<std::pair<int, int>> calls;
};

TEST_F(SelectionCommandsTest, BulkCommandsTellTheViewOnce)
{
    TickCounter counter;
    tree.addObserver(&counter);
    SelectAllGet(tree);
    DeselectAll(tree);
    SelectEm(tree, "T1", 1, 1, 1);
    tree.removeObserver(&counter);
    EXPECT_EQ(counter.calls, (std::vector<std::pair<int, int>>{{3, 12}, {3, 12}, {3, 7}}));
}

TEST(SelectionCommandsEmptyTree, EveryCommandIsANoOp)
{
    SceneTree tree;
    SelectAllGet(tree);
    SelectAllSet(tree);
    SelectAllOn(tree);
    DeselectAll(tree);
    SelectEm(tree, "", 1, 1, 1);
    EXPECT_EQ(tree.count(), 0);
}

class RecordingMenus : public MenuState
{
public:
    void setEnabled(WorldMenuEntry entry, bool enabled) override { calls.push_back({entry, enabled}); }
    std::vector<std::pair<WorldMenuEntry, bool>> calls;
};

TEST(EnableMenusTest, SetsTheSevenWorldEntriesInMenuOrder)
{
    RecordingMenus menus;
    EnableMenus(menus, false);
    EnableMenus(menus, true);
    using E = WorldMenuEntry;
    const std::vector<E> order{E::FileSaveSel,  E::LoadSelections, E::FindName,   E::SelectAllOn,
                               E::SelectAllGet, E::SelectAllSet,   E::DeselectAll};
    ASSERT_EQ(menus.calls.size(), 14u);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(menus.calls[i], std::make_pair(order[i], false));
        EXPECT_EQ(menus.calls[i + 7], std::make_pair(order[i], true));
    }
}

TEST(CheckAllClickTest, RebuildsWithTheNewShapeDropsTicksAndKeepsTheSearchPosition)
{
    SceneTree tree;
    ModuleOrva orva;
    test::RecordingMessageBox messages;
    test::CountingEventPump events;
    int all = 1;
    SceneWalker walker(tree, orva, messages, events, [&all] { return all; });
    TreeSearch search(tree, events);

    EXPECT_FALSE(CheckAll_Click(walker)) << "no world loaded yet";
    EXPECT_EQ(tree.count(), 0);

    orva.context = SimScene::parse(u"Transform T1 { io SFVec3f translation io MFNode children [ "
                                   u"Shape { io SFNode geometry NULL } ] }");
    ASSERT_TRUE(CheckAll_Click(walker));
    const int withAll = tree.count();
    SelectAllGet(tree);
    search.TreeView1_NodeClick(3);

    all = 0;
    ASSERT_TRUE(CheckAll_Click(walker));
    EXPECT_NE(tree.count(), withAll);
    all = 1;
    ASSERT_TRUE(CheckAll_Click(walker));
    EXPECT_EQ(tree.count(), withAll);
    EXPECT_TRUE(tickedTexts(tree).isEmpty());
    EXPECT_EQ(tree.selectedIndex(), 1);
    EXPECT_EQ(search.SearchIndex(), 3);
}

} // namespace
