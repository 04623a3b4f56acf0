#include "platform/XiteScene.h"

#include "CountingEventPump.h"
#include "core/FieldTypes.h"
#include "RecordingMessageBox.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"
#include "TreeDump.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

QJsonObject json(const char* text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

// A named Transform holding an unnamed Shape in "children" whose SFNode field holds a Material; the
// Material's own field list says it is reached again from itself (a cycle).
const char* const transformShape = R"({
  "defs": [
    [["translation", 7, "SFVec3f"], ["children", 7, "MFNode"], ["addChildren", 2, "MFNode"]],
    [["appearance", 7, "SFNode"], ["bboxSize", 1, "SFVec3f"]],
    [["diffuseColor", 7, "SFColor"], ["back", 4, "SFNode"], ["matrix", 7, "SFMatrix4f"]]
  ],
  "nodes": [
    ["Transform", "T1", 0, [[1, -1], [1]]],
    ["Shape", "", 1, [2]],
    ["Material", "M", 2, [2]]
  ],
  "roots": [0, -1]
})";

TEST(XiteScene, AnswersTheSceneAccessOperationsFromTheDescription)
{
    const auto scene = XiteScene::parse(json(transformShape));
    const NodeArrayRef roots = scene->executionContext()->rootNodes();
    ASSERT_EQ(roots->length(), 2);
    EXPECT_EQ(roots->item(1), nullptr);
    const NodeRef transform = roots->item(0);
    EXPECT_EQ(transform->typeName(), "Transform");
    EXPECT_EQ(transform->defName(), "T1");
    ASSERT_EQ(transform->fieldCount(), 3);
    const FieldInfo children = transform->fieldInfo(1);
    EXPECT_EQ(children.accessType, InputOutput);
    EXPECT_EQ(children.fieldType, MFNode);
    EXPECT_EQ(transform->fieldInfo(2).accessType, InputOnly);
    EXPECT_THROW(transform->fieldInfo(3), Failure);

    const FieldRef field = transform->getField(QStringLiteral("children"));
    EXPECT_EQ(field->getName(), "children");
    EXPECT_EQ(field->getType(), MFNode);
    EXPECT_THROW(field->value(), Failure);
    const NodeArrayRef array = field->getValue();
    ASSERT_EQ(array->length(), 2);
    EXPECT_EQ(array->item(0)->typeName(), "Shape");
    EXPECT_EQ(array->item(1), nullptr);
    EXPECT_THROW(array->item(2), Failure);
    EXPECT_THROW(transform->getField(QStringLiteral("nothing")), Failure);

    const NodeRef material = array->item(0)->getField(QStringLiteral("appearance"))->value();
    EXPECT_EQ(material->defName(), "M");
    EXPECT_EQ(material->fieldInfo(0).fieldType, SFColor);
    EXPECT_EQ(material->fieldInfo(1).accessType, OutputOnly);
    EXPECT_EQ(material->fieldInfo(2).fieldType, UnknownField) << "matrices are outside the type codes";
    EXPECT_THROW(material->getField(QStringLiteral("diffuseColor"))->getValue(), Failure);
    // Two references to one node are one node to the cycle guard.
    EXPECT_EQ(material->getField(QStringLiteral("back"))->value()->identity(), material->identity());
    EXPECT_NE(material->identity(), transform->identity());
    EXPECT_EQ(scene->fieldTotal(), 8);
}

TEST(XiteScene, TheWalkBuildsTheTreeAndStopsAtTheCycle)
{
    const auto scene = XiteScene::parse(json(transformShape));
    SceneTree tree;
    ModuleOrva orva;
    orva.context = scene->executionContext();
    test::RecordingMessageBox messages;
    test::CountingEventPump events;
    SceneWalker walker(tree, orva, messages, events, [] { return 1; });
    walker.BuildSceneTree();
    EXPECT_EQ(test::dumpTree(tree), QStringList({
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
                                        "Root_0_0_0 Material M",
                                        "Get_fRoot_0_0_0_0 Get_M_diffuseColor",
                                        "On_fRoot_0_0_0_0 On_M_diffuseColor",
                                        "Set_fRoot_0_0_0_0 Set_M_diffuseColor",
                                        "Get_fRoot_0_0_0_1 Get_M_back",
                                        "On_fRoot_0_0_0_1 On_M_back",
                                        "Root_0_0_0_1 Material M",
                                        "Get_fRoot_0_0_0_2 Get_M_matrix",
                                        "On_fRoot_0_0_0_2 On_M_matrix",
                                        "Set_fRoot_0_0_0_2 Set_M_matrix",
                                        "Get_fRoot_0_0_1 Get_T1_bboxSize_bboxSize",
                                        "Set_fRoot_0_0_1 Set_T1_bboxSize_bboxSize",
                                        "Set_fRoot_0_2 Set_T1_addChildren",
                                    }));
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST(XiteScene, TheFirstOfTwoFieldsWithOneNameIsTheOneFetched)
{
    const auto scene = XiteScene::parse(json(R"({"defs": [[["a", 7, "SFFloat"], ["a", 1, "SFNode"]]],
        "nodes": [["Script", "S", 0, [-1]]], "roots": [0]})"));
    EXPECT_EQ(scene->node(0)->getField(QStringLiteral("a"))->getType(), SFFloat);
}

TEST(XiteScene, MalformedDescriptionsAreRejectedWhole)
{
    const char* const bad[] = {
        R"({})",
        R"({"defs": [], "nodes": [], "roots": {}})",
        R"({"defs": [[["a", 3, "SFFloat"]]], "nodes": [["X", "", 0, []]], "roots": [0]})",   // access type
        R"({"defs": [[["a", 7.5, "SFFloat"]]], "nodes": [["X", "", 0, []]], "roots": [0]})", // fraction
        R"({"defs": [[["a", 7, 5]]], "nodes": [["X", "", 0, []]], "roots": [0]})",           // type not text
        R"({"defs": [[["a", 7]]], "nodes": [["X", "", 0, []]], "roots": [0]})", // short definition
        R"({"defs": [[]], "nodes": [["X", "", 1, []]], "roots": [0]})",         // field list
        R"({"defs": [[]], "nodes": [["X", "", 0, []]], "roots": [1]})",         // root out of range
        R"({"defs": [[]], "nodes": [["X", "", 0, []]], "roots": [1e300]})",
        R"({"defs": [[]], "nodes": [["X", 5, 0, []]], "roots": [0]})",                       // DEF not text
        R"({"defs": [[]], "nodes": [["X", "", 0, [1]]], "roots": [0]})",                     // extra link
        R"({"defs": [[["n", 7, "SFNode"]]], "nodes": [["X", "", 0, []]], "roots": [0]})",    // missing link
        R"({"defs": [[["n", 7, "SFNode"]]], "nodes": [["X", "", 0, [[0]]]], "roots": [0]})", // list for
                                                                                             // SFNode
        R"({"defs": [[["n", 7, "MFNode"]]], "nodes": [["X", "", 0, [0]]], "roots": [0]})",   // number for
                                                                                             // MFNode
        R"({"defs": [[["n", 7, "MFNode"]]], "nodes": [["X", "", 0, [[2]]]], "roots": [0]})", // element out of
                                                                                             // range
        R"({"defs": [[["n", 7, "MFNode"]]], "nodes": [["X", "", 0, [[-2]]]], "roots": [0]})",
        R"({"defs": [[]], "nodes": [["X", "", 0]], "roots": [0]})",
    };
    for (const char* text : bad)
        EXPECT_THROW(XiteScene::parse(json(text)), Failure) << text;
}

TEST(XiteScene, AccessTypeBitsOfXiteMapToTheCodes)
{
    EXPECT_EQ(XiteScene::accessTypeFromXite(1), InitializeOnly);
    EXPECT_EQ(XiteScene::accessTypeFromXite(2), InputOnly);
    EXPECT_EQ(XiteScene::accessTypeFromXite(4), OutputOnly);
    EXPECT_EQ(XiteScene::accessTypeFromXite(7), InputOutput);
    EXPECT_EQ(XiteScene::accessTypeFromXite(0), -1);
    EXPECT_EQ(XiteScene::accessTypeFromXite(3), -1);
}

} // namespace
