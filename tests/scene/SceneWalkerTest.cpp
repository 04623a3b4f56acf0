#include "scene/SceneWalker.h"
#include "WalkedWorld.h"
#include "core/FieldTypes.h"

#include <QThread>

#include <gtest/gtest.h>

using namespace vendrel;
using vendrel::test::dumpTree;

namespace {

const char* const shapeInTransform = "Transform T1 { io SFVec3f translation  io MFNode children [ Shape {"
                                     " io SFNode appearance Appearance { io SFNode material Material {"
                                     " io SFColor c  ii SFFloat s } } } ] }";

// clang-format off
const QStringList namedTransform = {"Root File", "Root_0 Transform T1", "Get_fRoot_0_0 Get_T1_translation",
    "On_fRoot_0_0 On_T1_translation", "Set_fRoot_0_0 Set_T1_translation", "Get_fRoot_0_1 Get_T1_children",
    "On_fRoot_0_1 On_T1_children", "Set_fRoot_0_1 Set_T1_children", "Root_0_0 Shape"};

struct WalkCase { const char* name; const char* world; int all; QStringList tree, messages = {}; };
// clang-format on

using SceneWalkerTest = testing::TestWithParam<WalkCase>;

// The items, keys, texts, tags and order a walk makes, and how it goes on after a failure.
TEST_P(SceneWalkerTest, WalksTheWorldIntoItems)
{
    const WalkCase& c = GetParam();
    test::WalkedWorld world;
    EXPECT_EQ(world.walk(c.world, c.all), c.tree);
    EXPECT_EQ(world.messages.messages, c.messages);
    const SceneTree& tree = world.tree;
    EXPECT_EQ(tree.selectedIndex(), c.messages.contains("Set afd = node.getFieldDefinitions failed") ? 0 : 1);
    EXPECT_TRUE(tree.expanded(1));
    // Node items hold their node, field items their node's, access items their field (if it could be had).
    for (int i = 2; i <= tree.count(); ++i) {
        EXPECT_FALSE(tree.checked(i));
        if (tree.key(i).startsWith(u'f'))
            EXPECT_EQ(tree.tagNode(i), tree.tagNode(tree.parent(i)));
        else if (tree.key(i).startsWith(u"Root_"))
            EXPECT_TRUE(tree.tagNode(i));
        else
            EXPECT_TRUE(!tree.tag(i) || tree.tagField(i));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, SceneWalkerTest, testing::Values(
    // Unnamed nodes borrow their nearest named ancestor's name, and every field gets Get_ and Set_.
    WalkCase{"BorrowedNames", shapeInTransform, 1, namedTransform + QStringList{
        "Get_fRoot_0_0_0 Get_T1_appearance_appearance", "Set_fRoot_0_0_0 Set_T1_appearance_appearance",
        "Root_0_0_f0 Appearance", "Get_fRoot_0_0_f0_0 Get_T1_Shape_material_material",
        "Set_fRoot_0_0_f0_0 Set_T1_Shape_material_material", "Root_0_0_f0_f0 Material",
        "Get_fRoot_0_0_f0_f0_0 Get_T1_Shape_Appearance_c_c", "Set_fRoot_0_0_f0_f0_0 Set_T1_Shape_Appearance_c_c",
        "Get_fRoot_0_0_f0_f0_1 Get_T1_Shape_Appearance_s_s",
        "Set_fRoot_0_0_f0_f0_1 Set_T1_Shape_Appearance_s_s"}},
    // "All" unticked or grayed: plain field items, whatever the access type.
    WalkCase{"PlainFieldItems", shapeInTransform, 0, namedTransform + QStringList{"fRoot_0_0_0 appearance",
        "Root_0_0_f0 Appearance", "fRoot_0_0_f0_0 material", "Root_0_0_f0_f0 Material", "fRoot_0_0_f0_f0_0 c",
        "fRoot_0_0_f0_f0_1 s"}},
    WalkCase{"GrayedAll", "Group { ii SFBool b }", 2, {"Root File", "Root_0 Group", "fRoot_0_0 b"}},
    // Unnamed roots' fields get nothing; empty or inputOnly SFNodes, MFNodes but children are not walked.
    WalkCase{"AccessTypes",
        "TimeSensor Clock { io SFTime cycle  out SFFloat fraction  in SFTime start  ii SFBool no }"
        "  Group { io MFNode children [ Transform Child { } ] }"
        "  Group { ii SFNode node NULL  in SFNode sink Shape { }  io MFNode addChildren [ Shape { } ] }", 1,
        {"Root File", "Root_0 TimeSensor Clock", "Get_fRoot_0_0 Get_Clock_cycle",
         "On_fRoot_0_0 On_Clock_cycle", "Set_fRoot_0_0 Set_Clock_cycle", "Get_fRoot_0_1 Get_Clock_fraction",
         "On_fRoot_0_1 On_Clock_fraction", "Set_fRoot_0_2 Set_Clock_start", "Root_1 Group",
         "Root_1_0 Transform Child", "Root_2 Group"}},
    // Empty elements keep their place in the count; an SFNode's number is its field's position.
    WalkCase{"KeysFollowPositions", "WorldInfo { }  Group { ii SFString name  io MFNode children"
        " [ NULL Transform { } NULL Shape { io SFNode geometry Box { } } ]  ii SFNode p Sphere { } }", 0,
        {"Root File", "Root_0 WorldInfo", "Root_1 Group", "fRoot_1_0 name", "fRoot_1_1 children",
         "Root_1_1 Transform", "Root_1_3 Shape", "fRoot_1_3_0 geometry", "Root_1_3_f0 Box", "fRoot_1_2 p",
         "Root_1_f2 Sphere"}},
    // children[1] and the SFNode at field position 1 (metadata comes first in real worlds) both stay.
    WalkCase{"FieldAndChildKeysApart", "Group { io MFNode children [ Shape { } Transform { } ]"
        "  ii SFNode proxy Billboard { io MFNode children [ Box { } ] }  ii SFString after }", 0,
        {"Root File", "Root_0 Group", "fRoot_0_0 children", "Root_0_0 Shape", "Root_0_1 Transform",
         "fRoot_0_1 proxy", "Root_0_f1 Billboard", "fRoot_0_f1_0 children", "Root_0_f1_0 Box",
         "fRoot_0_2 after"}},
    // A node used twice is listed twice; one that is its own ancestor is listed, not walked again.
    WalkCase{"SharedNodesAndCycles", "Group { io MFNode children [ Shape S { ii SFNode g Box { } } USE S ] }"
        "  Script Loop { ii SFNode self USE Loop  ii SFNode other Group { ii SFNode back USE Loop } }", 0,
        {"Root File", "Root_0 Group", "fRoot_0_0 children", "Root_0_0 Shape S", "Root_0_0_f0 Box",
         "Root_0_1 Shape S", "Root_0_1_f0 Box", "Root_1 Script Loop", "Root_1_f0 Script Loop", "Root_1_f1 Group",
         "fRoot_1_f1_0 back", "Root_1_f1_f0 Script Loop"}},
    WalkCase{"EmptyWorld", "", 1, {"Root File"}},
    WalkCase{"UnreadableNames", "Transform T1 !typeName { io SFVec3f a }  Transform T2 !defName@1 { }", 0,
        {"Root File", "Root_0 Err ParNodeErr", "Get_fRoot_0_0 Get_T1_a", "On_fRoot_0_0 On_T1_a",
         "Set_fRoot_0_0 Set_T1_a", "Root_1 Err ParNodeErr"}},
    WalkCase{"UnreadableFieldCount",
        "Group { io MFNode children [ Shape !fieldCount { io SFNode g Box { } } Transform { } ] }", 0,
        {"Root File", "Root_0 Group", "fRoot_0_0 children", "Root_0_0 Shape", "Root_0_1 Transform"},
        {"Dang it GNF!"}},
    // b has no information, c's value fails, d's field object cannot be had (its Get_ stays alone).
    WalkCase{"FailingFieldsAreSkipped",
        "Transform T { io SFVec3f a  io SFVec3f b !info  io SFNode c !value Shape { }"
        "  io SFNode d !get Shape { }  io SFNode f Box { } }", 0,
        {"Root File", "Root_0 Transform T", "Get_fRoot_0_0 Get_T_a", "On_fRoot_0_0 On_T_a",
         "Set_fRoot_0_0 Set_T_a", "Get_fRoot_0_2 Get_T_c", "On_fRoot_0_2 On_T_c", "Set_fRoot_0_2 Set_T_c",
         "Get_fRoot_0_3 Get_T_d", "Get_fRoot_0_4 Get_T_f", "On_fRoot_0_4 On_T_f", "Set_fRoot_0_4 Set_T_f",
         "Root_0_f4 Box"}},
    // A DEF name failing for a only, a field failing after Get_, an unreadable ancestor (V's third reading).
    WalkCase{"FieldItemFailures", "Transform T !defName@2 { io SFVec3f a  io SFVec3f b }"
        "  Transform U { ii SFNode s Shape { io SFVec3f x !get } }"
        "  Transform V !defName@3 { ii SFNode s Shape { io SFVec3f y } }", 1,
        {"Root File", "Root_0 Transform T", "Get_fRoot_0_1 Get_T_b", "On_fRoot_0_1 On_T_b",
         "Set_fRoot_0_1 Set_T_b", "Root_1 Transform U", "Root_1_f0 Shape", "Get_fRoot_1_f0_0 Get_U_x_x",
         "Root_2 Transform V", "Root_2_f0 Shape"}},
    // An "All" box that cannot be read gives unnamed nodes no field items.
    WalkCase{"UnreadableAll", "Transform U { ii SFNode s Shape { io SFVec3f x } }", -1,
        {"Root File", "Root_0 Transform U", "Root_0_f0 Shape"}},
    // Children that cannot be read end their node's fields; the walk goes on with the next node.
    WalkCase{"UnreadableChildren",
        "Group { ii SFBool a  io MFNode children !get [ Box { } ]  ii SFBool b } Shape { }", 0,
        {"Root File", "Root_0 Group", "fRoot_0_0 a", "fRoot_0_1 children", "Root_1 Shape"}, {"Dang it GF!"}},
    WalkCase{"ChildrenWithoutLength", "Group { io MFNode children [ Box { } ] !length  ii SFBool b }", 0,
        {"Root File", "Root_0 Group", "fRoot_0_0 children"}, {"Dang it GF!"}},
    WalkCase{"FailingChildIsSkipped", "Group { io MFNode children [ Shape { } Box { } Sphere { } ] !item=1 }",
        0, {"Root File", "Root_0 Group", "fRoot_0_0 children", "Root_0_0 Shape", "Root_0_2 Sphere"}},
    WalkCase{"FailingRootStopsTheWalk", "!item=1  Shape { } Box { } Sphere { }", 0,
        {"Root File", "Root_0 Shape"}, {"Set afd = node.getFieldDefinitions failed"}}),
    [](const testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST(SceneWalkerYields, NowAndThenAndANewerWalkWins)
{
    test::WalkedWorld world;
    const QByteArray withUnnamedRoot = QByteArray(shapeInTransform) + "  Group { ii SFBool b }";
    const QStringList plain = world.walk(withUnnamedRoot, 0);
    world.events.yields = 0;
    world.walk(withUnnamedRoot, 1);
    EXPECT_EQ(world.events.yields, 1) << "once after clearing; a quick walk needs no more";
    // Events that take their time: the walk lets events run again at each field of an unnamed node below a
    // named one, where it may find a newer walk has begun.
    world.events.yields = 0;
    world.events.onYield = [&] {
        QThread::msleep(SceneWalker::eventsEveryMs + 1);
    };
    world.walker.BuildSceneTree();
    EXPECT_EQ(world.events.yields, 1 + 4);
    world.events.yields = 0;
    world.events.onYield = [&] {
        QThread::msleep(SceneWalker::eventsEveryMs + 1);
        if (world.events.yields == 2 && world.checkAll == 1) {
            world.checkAll = 0; // the user clicked "All" meanwhile
            world.walker.BuildSceneTree();
        }
    };
    world.walker.BuildSceneTree();
    EXPECT_EQ(world.checkAll, 0);
    EXPECT_EQ(dumpTree(world.tree), plain);
}

TEST(SceneWalkerFailures, WhatTheWalkCannotHandleItself)
{
    test::WalkedWorld world;
    world.walk("Shape { }");
    // The world cannot be reached: the command hears of it, and a tree it did not clear stays.
    world.orva.context = SimScene::parse(u"!rootNodes Box { }");
    EXPECT_THROW(world.walker.BuildSceneTree(), Failure);
    EXPECT_EQ(dumpTree(world.tree), QStringList({"Root File", "Root_0 Shape"}));
    world.orva.context = SimScene::parse(u"!length Box { }");
    EXPECT_THROW(world.walker.BuildSceneTree(), Failure);
    world.orva.context.reset();
    EXPECT_THROW(world.walker.BuildSceneTree(), Failure);

    struct FailingKeys : SceneWalker
    {
        using SceneWalker::SceneWalker;
        SceneTree::PartId formNodeKey(SceneTree::PartId parentKey, int n, bool heldByField) override
        {
            return n == 1 ? throw Failure("no key") : SceneWalker::formNodeKey(parentKey, n, heldByField);
        }
    };
    world.orva.context = SimScene::parse(u"Group { io MFNode children [ Shape { } Box { } Sphere { } ] }");
    FailingKeys failing(world.tree, world.orva, world.messages, world.events, [] { return 0; });
    failing.BuildSceneTree();
    EXPECT_EQ(dumpTree(world.tree), QStringList({"Root File", "Root_0 Group", "fRoot_0_0 children",
                                                 "Root_0_0 Shape", "Root_0_2 Sphere"}));
    EXPECT_EQ(world.messages.messages, QStringList({"Dang it!"}));
}

// A deep chain costs stack and key length linear in its depth; a walk stops at the item limit, saying so,
// and at its deadline.
TEST(SceneWalkerBounds, DeepChainsAndTheLimitsOfAWalk)
{
    // Named nodes linked by initializeOnly children and SFNode fields in turn: node items only.
    test::WalkedWorld world;
    auto scene = SimScene::create();
    SimNode* node = &scene->addNode("Transform", "Top");
    scene->addRoot(node);
    for (int depth = 0; depth < 10000; ++depth) {
        SimNode* child = &scene->addNode("Group", "N");
        if (depth % 2)
            node->addField(InitializeOnly, SFNode, "p").setNode(child);
        else
            node->addField(InitializeOnly, MFNode, "children").nodes().append(child);
        node = child;
    }
    world.orva.context = scene;
    world.walker.BuildSceneTree();
    ASSERT_EQ(world.tree.count(), 1 + 1 + 10000);
    EXPECT_EQ(world.tree.key(world.tree.count()).size(), QStringView(u"Root_0").size() + 5 * 5000);
    EXPECT_FALSE(world.walker.timedOut());

    // Node items only, and access items in groups of three: the limit cuts both where it falls.
    const struct
    {
        std::shared_ptr<SimScene> world;
        int limit;
    } limits[] = {{scene, 100}, {SimScene::parse(QString::fromUtf8(shapeInTransform)), 4}};
    for (const auto& row : limits) {
        world.messages.messages.clear();
        world.tree.setItemLimit(row.limit);
        world.orva.context = row.world;
        world.checkAll = 1;
        world.walker.BuildSceneTree();
        EXPECT_EQ(world.tree.count(), row.limit);
        EXPECT_EQ(
            world.messages.messages,
            QStringList(QStringLiteral("The tree stops at %1 items: the world lists more").arg(row.limit)));
    }
    world.tree.setItemLimit(SceneTree::defaultItemLimit);
    world.messages.messages.clear();
    world.orva.context = scene;
    world.walker.setDeadline(QDeadlineTimer(0));
    world.walker.BuildSceneTree();
    EXPECT_TRUE(world.walker.timedOut());
    EXPECT_EQ(world.tree.count(), 1);
    EXPECT_TRUE(world.messages.messages.isEmpty());
}

} // namespace
