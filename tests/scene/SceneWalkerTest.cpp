#include "scene/SceneWalker.h"
#include "CountingEventPump.h"
#include "core/FieldTypes.h"
#include "RecordingMessageBox.h"
#include "scene/SceneTree.h"
#include "sim/SimScene.h"
#include "TreeDump.h"

#include <gtest/gtest.h>

using namespace vendrel;
using vendrel::test::dumpTree;

namespace {

const char* const shapeInTransform = R"(
    Transform T1 {
      io SFVec3f translation
      io MFNode children [
        Shape {
          io SFNode appearance Appearance {
            io SFNode material Material { io SFColor diffuseColor  ii SFFloat shininess }
          }
        }
      ]
    }
)";

class SceneWalkerTest : public testing::Test
{
protected:
    std::shared_ptr<SimScene> load(const char* description)
    {
        auto scene = SimScene::parse(QString::fromUtf8(description));
        orva.context = scene;
        return scene;
    }
    QStringList build(int all)
    {
        checkAll = all;
        walker.BuildSceneTree();
        return dumpTree(tree);
    }

    SceneTree tree;
    ModuleOrva orva;
    test::RecordingMessageBox messages;
    test::CountingEventPump events;
    int checkAll = 0;
    SceneWalker walker{tree, orva, messages, events, [this] {
                           return checkAll;
                       }};
};

TEST_F(SceneWalkerTest, UnnamedNodesBorrowTheNameOfTheirNearestNamedAncestorWhenAllIsTicked)
{
    load(shapeInTransform);
    EXPECT_EQ(build(1), QStringList({
                            "Root File",
                            "Root_0 Transform T1",
                            "Get_fRoot_0_0 Get_T1_translation",
                            "On_fRoot_0_0 On_T1_translation",
                            "Set_fRoot_0_0 Set_T1_translation",
                            "Get_fRoot_0_1 Get_T1_children",
                            "On_fRoot_0_1 On_T1_children",
                            "Set_fRoot_0_1 Set_T1_children",
                            "Root_0_0 Shape",
                            "Get_fRoot_0_0_0 Get_T1_appearance_appearance",
                            "Set_fRoot_0_0_0 Set_T1_appearance_appearance",
                            "Root_0_0_0 Appearance",
                            "Get_fRoot_0_0_0_0 Get_T1_Shape_material_material",
                            "Set_fRoot_0_0_0_0 Set_T1_Shape_material_material",
                            "Root_0_0_0_0 Material",
                            "Get_fRoot_0_0_0_0_0 Get_T1_Shape_Appearance_diffuseColor_diffuseColor",
                            "Set_fRoot_0_0_0_0_0 Set_T1_Shape_Appearance_diffuseColor_diffuseColor",
                            // no access test for borrowed names: initializeOnly fields get both items too
                            "Get_fRoot_0_0_0_0_1 Get_T1_Shape_Appearance_shininess_shininess",
                            "Set_fRoot_0_0_0_0_1 Set_T1_Shape_Appearance_shininess_shininess",
                        }));
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_TRUE(tree.selected(1));
    EXPECT_TRUE(tree.expanded(1));
    // One yield after clearing, then one per ancestor step: 1 + 2 + 3 for the three unnamed nodes' fields
    // (two fields of Material).
    EXPECT_EQ(events.yields, 1 + 1 + 2 + 3 + 3);

    // Tags: node items hold their node, access items the field of their own node.
    const int material = tree.indexOfKey(u"Root_0_0_0_0");
    const int getColor = tree.indexOfKey(u"Get_fRoot_0_0_0_0_0");
    ASSERT_TRUE(tree.tagNode(material));
    EXPECT_EQ(tree.tagNode(material)->typeName(), "Material");
    ASSERT_TRUE(tree.tagField(getColor));
    EXPECT_EQ(tree.tagField(getColor)->getName(), "diffuseColor");
    EXPECT_EQ(tree.tagField(getColor)->getType(), SFColor);
    EXPECT_EQ(tree.tagField(getColor), tree.tagField(getColor + 1));
    for (int i = 1; i <= tree.count(); ++i)
        EXPECT_FALSE(tree.checked(i));
}

TEST_F(SceneWalkerTest, UnnamedNodesListPlainFieldItemsUnlessAllIsTicked)
{
    load(shapeInTransform);
    const QStringList plain = {
        "Root File",
        "Root_0 Transform T1",
        "Get_fRoot_0_0 Get_T1_translation",
        "On_fRoot_0_0 On_T1_translation",
        "Set_fRoot_0_0 Set_T1_translation",
        "Get_fRoot_0_1 Get_T1_children",
        "On_fRoot_0_1 On_T1_children",
        "Set_fRoot_0_1 Set_T1_children",
        "Root_0_0 Shape",
        "fRoot_0_0_0 appearance",
        "Root_0_0_0 Appearance",
        "fRoot_0_0_0_0 material",
        "Root_0_0_0_0 Material",
        "fRoot_0_0_0_0_0 diffuseColor",
        "fRoot_0_0_0_0_1 shininess",
    };
    EXPECT_EQ(build(0), plain);
    EXPECT_EQ(tree.tagNode(tree.indexOfKey(u"fRoot_0_0_0_0_1")),
              tree.tagNode(tree.indexOfKey(u"Root_0_0_0_0")));
    // The grayed state counts as not ticked.
    EXPECT_EQ(build(2), plain);
    // Rebuilding drops the old items (and their ticks).
    tree.setChecked(3, true);
    EXPECT_EQ(build(0), plain);
    EXPECT_FALSE(tree.checked(3));
}

TEST_F(SceneWalkerTest, AccessTypeDecidesTheAccessItemsOfNamedNodes)
{
    load(R"(
        TimeSensor Clock {
          io SFTime cycleInterval
          out SFFloat fraction_changed
          in SFTime set_startTime
          ii SFBool hidden
        }
        Group { io MFNode children [ Transform Child { } ] }   # unnamed root: its fields get nothing
        Group { ii SFNode node NULL in SFNode sink Shape { } io MFNode addChildren [ Shape { } ] }
    )");
    EXPECT_EQ(build(1), QStringList({
                            "Root File",
                            "Root_0 TimeSensor Clock",
                            "Get_fRoot_0_0 Get_Clock_cycleInterval",
                            "On_fRoot_0_0 On_Clock_cycleInterval",
                            "Set_fRoot_0_0 Set_Clock_cycleInterval",
                            "Get_fRoot_0_1 Get_Clock_fraction_changed",
                            "On_fRoot_0_1 On_Clock_fraction_changed",
                            "Set_fRoot_0_2 Set_Clock_set_startTime",
                            "Root_1 Group",
                            "Root_1_0 Transform Child",
                            // An empty SFNode, an inputOnly SFNode and an MFNode other than children
                            // are not walked.
                            "Root_2 Group",
                        }));
}

TEST_F(SceneWalkerTest, KeysFollowPositionsInRootsChildrenAndFields)
{
    load(R"(
        WorldInfo { }
        Group {
          ii SFString name
          io MFNode children [ NULL Transform { } NULL Shape { io SFNode geometry Box { } } ]
          ii SFNode proxy Sphere { }
        }
    )");
    EXPECT_EQ(build(0),
              QStringList({
                  "Root File", "Root_0 WorldInfo", "Root_1 Group", "fRoot_1_0 name", "fRoot_1_1 children",
                  "Root_1_1 Transform", // an empty element keeps its place in the count
                  "Root_1_3 Shape", "fRoot_1_3_0 geometry", "Root_1_3_0 Box", "fRoot_1_2 proxy",
                  "Root_1_2 Sphere", // an SFNode's number is its field's position
              }));
}

TEST_F(SceneWalkerTest, ANodeWhoseKeyIsTakenIsLeftOutWithItsSubtree)
{
    // children[1] and the SFNode at field position 1 would both be Root_0_1.
    load(R"(
        Group {
          io MFNode children [ Shape { } Transform { } ]
          ii SFNode proxy Billboard { io MFNode children [ Box { } ] }
          ii SFString after
        }
    )");
    EXPECT_EQ(build(0), QStringList({
                            "Root File",
                            "Root_0 Group",
                            "fRoot_0_0 children",
                            "Root_0_0 Shape",
                            "Root_0_1 Transform",
                            "fRoot_0_1 proxy",
                            "fRoot_0_2 after",
                        }));
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_TRUE(tree.selected(1));
}

TEST_F(SceneWalkerTest, SharedNodesAreListedOncePerUseAndCyclesAreCut)
{
    load(R"(
        Group {
          io MFNode children [ Shape S { ii SFNode geometry Box { } } USE S ]
        }
        Script Loop { ii SFNode self USE Loop  ii SFNode other Group { ii SFNode back USE Loop } }
    )");
    EXPECT_EQ(build(0), QStringList({
                            "Root File",
                            "Root_0 Group",
                            "fRoot_0_0 children",
                            "Root_0_0 Shape S",
                            "Root_0_0_0 Box",
                            "Root_0_1 Shape S",
                            "Root_0_1_0 Box",
                            "Root_1 Script Loop",
                            "Root_1_0 Script Loop", // its own ancestor: listed, not walked again
                            "Root_1_1 Group",
                            "fRoot_1_1_0 back",
                            "Root_1_1_0 Script Loop",
                        }));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(SceneWalkerTest, EmptyWorldGivesTheTopItemAlone)
{
    load("");
    EXPECT_EQ(build(1), QStringList({"Root File"}));
    EXPECT_TRUE(tree.selected(1));
}

TEST_F(SceneWalkerTest, DeepChainsDoNotExhaustTheStack)
{
    // Keys grow with depth, so the chain's nodes are named and their links initializeOnly: node items only.
    auto scene = SimScene::create();
    SimNode* parent = &scene->addNode("Transform", "Top");
    scene->addRoot(parent);
    for (int depth = 0; depth < 10000; ++depth) {
        SimNode* node = &scene->addNode("Group", "N");
        if (depth % 2 == 0)
            parent->addField(InitializeOnly, MFNode, "children").nodes().append(node);
        else
            parent->addField(InitializeOnly, SFNode, "proxy").setNode(node);
        parent = node;
    }
    orva.context = scene;
    build(1);
    ASSERT_EQ(tree.count(), 1 + 1 + 10000);
    EXPECT_EQ(tree.text(tree.count()), u"Group N");
    EXPECT_EQ(tree.key(tree.count()).size(), QStringView(u"Root_0").size() + 2 * 10000);
    EXPECT_TRUE(tree.selected(1));
}

// ---- failures ------------------------------------------------------------------------------------

TEST_F(SceneWalkerTest, UnreadableNodeNamesShowAsErr)
{
    load(R"(Transform T1 !typeName { io SFVec3f translation }
            Transform T2 !defName@1 { io SFVec3f translation })");
    EXPECT_EQ(build(0), QStringList({
                            "Root File",
                            "Root_0 Err ParNodeErr",
                            "Get_fRoot_0_0 Get_T1_translation",
                            "On_fRoot_0_0 On_T1_translation",
                            "Set_fRoot_0_0 Set_T1_translation",
                            "Root_1 Err ParNodeErr",
                            "Get_fRoot_1_0 Get_T2_translation",
                            "On_fRoot_1_0 On_T2_translation",
                            "Set_fRoot_1_0 Set_T2_translation",
                        }));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(SceneWalkerTest, UnreadableFieldCountKeepsTheNodeItemAndSaysGNF)
{
    load(
        R"(Group { io MFNode children [ Shape !fieldCount { io SFNode geometry Box { } } Transform { } ] })");
    EXPECT_EQ(build(0), QStringList({
                            "Root File",
                            "Root_0 Group",
                            "fRoot_0_0 children",
                            "Root_0_0 Shape",
                            "Root_0_1 Transform",
                        }));
    EXPECT_EQ(messages.messages, QStringList({"Dang it GNF!"}));
}

TEST_F(SceneWalkerTest, AFailingFieldIsSkippedAndTheOthersAreWalked)
{
    load(R"(
        Transform T {
          io SFVec3f a
          io SFVec3f b !info
          io SFNode c !value Shape { }
          io SFNode d !get Shape { }
          io SFVec3f e
          io SFNode f Box { }
        }
    )");
    EXPECT_EQ(build(0), QStringList({
                            "Root File",
                            "Root_0 Transform T",
                            "Get_fRoot_0_0 Get_T_a",
                            "On_fRoot_0_0 On_T_a",
                            "Set_fRoot_0_0 Set_T_a",
                            // b: no information, no items
                            "Get_fRoot_0_2 Get_T_c",
                            "On_fRoot_0_2 On_T_c",
                            "Set_fRoot_0_2 Set_T_c",
                            // d: the field object cannot be had, so Get_ stays untagged and alone
                            "Get_fRoot_0_3 Get_T_d",
                            "Get_fRoot_0_4 Get_T_e",
                            "On_fRoot_0_4 On_T_e",
                            "Set_fRoot_0_4 Set_T_e",
                            "Get_fRoot_0_5 Get_T_f",
                            "On_fRoot_0_5 On_T_f",
                            "Set_fRoot_0_5 Set_T_f",
                            "Root_0_5 Box",
                        }));
    EXPECT_FALSE(tree.tag(tree.indexOfKey(u"Get_fRoot_0_3")));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(SceneWalkerTest, FieldItemFailuresEndOnlyThatFieldsItems)
{
    load(R"(
        Transform T !defName@2 { io SFVec3f a  io SFVec3f b }
        Transform { io MFNode children [ Shape { ii SFNode geometry Box { } } ] }
        Transform U { io MFNode children [ Shape { io SFVec3f x !get } ] }
    )");
    checkAll = 1;
    walker.BuildSceneTree();
    EXPECT_EQ(dumpTree(tree), QStringList({
                                  "Root File",
                                  "Root_0 Transform T",
                                  // DEF name read fails for field a only
                                  "Get_fRoot_0_1 Get_T_b",
                                  "On_fRoot_0_1 On_T_b",
                                  "Set_fRoot_0_1 Set_T_b",
                                  "Root_1 Transform",
                                  "Root_1_0 Shape",
                                  "Root_1_0_0 Box",
                                  "Root_2 Transform U",
                                  "Get_fRoot_2_0 Get_U_children",
                                  "On_fRoot_2_0 On_U_children",
                                  "Set_fRoot_2_0 Set_U_children",
                                  "Root_2_0 Shape",
                                  "Get_fRoot_2_0_0 Get_U_x_x",
                              }));
    EXPECT_TRUE(messages.messages.isEmpty());

    // "All" that cannot be read, or an ancestor whose name cannot be read, give no items either.
    load(R"(Transform U { io MFNode children [ Shape { io SFVec3f x } ] })");
    checkAll = 1;
    SceneWalker unreadable(tree, orva, messages, events, []() -> int { throw Failure("no box"); });
    unreadable.BuildSceneTree();
    EXPECT_EQ(tree.count(), 6);
    load(R"(Transform U !defName@3 { io MFNode children [ Shape { io SFVec3f x } ] })");
    build(1);
    EXPECT_EQ(tree.count(), 6);
}

TEST_F(SceneWalkerTest, ChildrenThatCannotBeReadSayGFAndEndTheNode)
{
    for (const char* children :
         {"io MFNode children !get [ Shape { } ]", "io MFNode children !value [ Shape { } ]",
          "io MFNode children [ Shape { } ] !length", "io SFString children"}) {
        SCOPED_TRACE(children);
        messages.messages.clear();
        load(QStringLiteral("Group { ii SFBool before %1 ii SFBool after } Shape { }")
                 .arg(children)
                 .toUtf8()
                 .constData());
        EXPECT_EQ(build(0), QStringList({"Root File", "Root_0 Group", "fRoot_0_0 before",
                                         "fRoot_0_1 children", "Root_1 Shape"}));
        EXPECT_EQ(messages.messages, QStringList({"Dang it GF!"}));
    }
}

TEST_F(SceneWalkerTest, AFailingChildIsSkippedAndItsSiblingsKeepTheirNumbers)
{
    load(R"(Group { io MFNode children [ Shape { } Box { } Sphere { } ] !item=1 })");
    EXPECT_EQ(build(0), QStringList({"Root File", "Root_0 Group", "fRoot_0_0 children", "Root_0_0 Shape",
                                     "Root_0_2 Sphere"}));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(SceneWalkerTest, AFailingRootNodeStopsTheWalk)
{
    load(R"(!item=1  Shape { } Box { } Sphere { })");
    EXPECT_EQ(build(0), QStringList({"Root File", "Root_0 Shape"}));
    EXPECT_EQ(messages.messages, QStringList({"Set afd = node.getFieldDefinitions failed"}));
    EXPECT_EQ(tree.selectedIndex(), 0);
}

TEST_F(SceneWalkerTest, FailuresToReachTheWorldGoToTheCommand)
{
    load("Shape { }");
    build(0);
    load("!rootNodes Box { }");
    EXPECT_THROW(walker.BuildSceneTree(), Failure);
    EXPECT_EQ(dumpTree(tree), QStringList({"Root File", "Root_0 Shape"})); // untouched
    load("!length Box { }");
    EXPECT_THROW(walker.BuildSceneTree(), Failure);
    orva.context.reset();
    EXPECT_THROW(walker.BuildSceneTree(), Failure);
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST_F(SceneWalkerTest, AKeyThatCannotBeFormedSaysDangIt)
{
    class FailingKeys : public SceneWalker
    {
    public:
        using SceneWalker::SceneWalker;

    protected:
        QString formNodeKey(const QString& parentKey, int n) override
        {
            if (n == 1)
                throw Failure("no key");
            return SceneWalker::formNodeKey(parentKey, n);
        }
    };
    load("Group { io MFNode children [ Shape { } Box { } Sphere { } ] }");
    FailingKeys failing(tree, orva, messages, events, [] { return 0; });
    failing.BuildSceneTree();
    EXPECT_EQ(dumpTree(tree), QStringList({"Root File", "Root_0 Group", "fRoot_0_0 children",
                                           "Root_0_0 Shape", "Root_0_2 Sphere"}));
    EXPECT_EQ(messages.messages, QStringList({"Dang it!"}));
}

TEST_F(SceneWalkerTest, ARebuildWhileTheWalkLetsEventsRunWins)
{
    load(shapeInTransform);
    const QStringList whole = build(1);
    bool nested = false;
    events.yields = 0;
    events.onYield = [&] {
        if (events.yields == 3 && !nested) {
            nested = true;
            walker.BuildSceneTree(); // the user clicked "All" meanwhile
        }
    };
    build(1);
    EXPECT_TRUE(nested);
    EXPECT_EQ(dumpTree(tree), whole);
    EXPECT_TRUE(messages.messages.isEmpty());
}

} // namespace
