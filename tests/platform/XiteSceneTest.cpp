#include "platform/XiteScene.h"

#include "core/FieldTypes.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

QJsonObject json(const char* text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

/// "name access type" per field, access as its code (0 initializeOnly ... 3 inputOutput).
QStringList fields(const NodeRef& node)
{
    QStringList list;
    for (int j = 0; j < node->fieldCount(); ++j) {
        const FieldInfo info = node->fieldInfo(j);
        list.append(info.name + u' ' + QString::number(info.accessType) + u' ' +
                    fieldTypeName(info.fieldType));
    }
    return list;
}

TEST(XiteScene, AnswersTheSceneAccessOperationsFromTheDescription)
{
    // A named Transform whose children are an unnamed Shape and an empty element; the Shape's node field
    // holds a Material whose own node field holds the Material again.
    const auto scene = XiteScene::parse(json(R"({
      "defs": [
        [["translation", 7, "SFVec3f"], ["children", 7, "MFNode"], ["addChildren", 2, "MFNode"]],
        [["appearance", 1, "SFNode"], ["bboxSize", 4, "SFVec3f"], ["appearance", 7, "SFFloat"]],
        [["diffuseColor", 7, "SFColor"], ["back", 7, "SFNode"], ["matrix", 7, "SFMatrix4f"]]
      ],
      "nodes": [["Transform", "T1", 0, [[1, -1], []]], ["Shape", "", 1, [2]], ["Material", "M", 2, [2]]],
      "roots": [0, -1]
    })"));
    const NodeArrayRef roots = scene->executionContext()->rootNodes();
    ASSERT_EQ(roots->length(), 2);
    EXPECT_EQ(roots->item(1), nullptr);
    const NodeRef transform = roots->item(0);
    EXPECT_EQ(transform->typeName() + u'/' + transform->defName(), "Transform/T1");
    EXPECT_EQ(fields(transform),
              QStringList({"translation 3 SFVec3f", "children 3 MFNode", "addChildren 1 MFNode"}));
    EXPECT_THROW(transform->fieldInfo(3), Failure);
    EXPECT_THROW(transform->getField(QStringLiteral("nothing")), Failure);

    const FieldRef children = transform->getField(QStringLiteral("children"));
    EXPECT_EQ(children->getName() + u' ' + fieldTypeName(children->getType()), "children MFNode");
    EXPECT_THROW(children->value(), Failure);
    const NodeArrayRef array = children->getValue();
    ASSERT_EQ(array->length(), 2);
    EXPECT_EQ(array->item(1), nullptr);
    EXPECT_THROW(array->item(2), Failure);

    const NodeRef shape = array->item(0);
    EXPECT_EQ(shape->typeName() + u'/' + shape->defName(), "Shape/");
    EXPECT_EQ(fields(shape),
              QStringList({"appearance 0 SFNode", "bboxSize 2 SFVec3f", "appearance 3 SFFloat"}));
    const NodeRef material = shape->getField(QStringLiteral("appearance"))->value(); // the first of that name
    EXPECT_EQ(fields(material), QStringList({"diffuseColor 3 SFColor", "back 3 SFNode", "matrix 3 "}));
    EXPECT_THROW(material->getField(QStringLiteral("diffuseColor"))->getValue(), Failure);
    // Two references to one node are one node to the cycle guard.
    EXPECT_EQ(material->getField(QStringLiteral("back"))->value()->identity(), material->identity());
    EXPECT_NE(material->identity(), transform->identity());
    EXPECT_EQ(scene->fieldTotal(), 9);
}

TEST(XiteScene, MalformedDescriptionsAreRejectedWhole)
{
    const char* const bad[] = {
        R"({})",
        R"({"defs": [], "nodes": [], "roots": {}})",
        R"({"defs": [[["a", 3, "SFFloat"]]], "nodes": [["X", "", 0, []]], "roots": [0]})",   // access type
        R"({"defs": [[["a", 7.5, "SFFloat"]]], "nodes": [["X", "", 0, []]], "roots": [0]})", // fraction
        R"({"defs": [[["a", 7, 5]]], "nodes": [["X", "", 0, []]], "roots": [0]})",           // type not text
        R"({"defs": [[["a", 7]]], "nodes": [["X", "", 0, []]], "roots": [0]})",              // short
        R"({"defs": [[]], "nodes": [["X", "", 1, []]], "roots": [0]})",                      // field list
        R"({"defs": [[]], "nodes": [["X", "", 0, []]], "roots": [1]})",                      // root range
        R"({"defs": [[]], "nodes": [["X", "", 0, []]], "roots": [1e300]})",
        R"({"defs": [[]], "nodes": [["X", 5, 0, []]], "roots": [0]})",                       // DEF not text
        R"({"defs": [[]], "nodes": [["X", "", 0, [1]]], "roots": [0]})",                     // extra link
        R"({"defs": [[["n", 7, "SFNode"]]], "nodes": [["X", "", 0, []]], "roots": [0]})",    // missing link
        R"({"defs": [[["n", 7, "SFNode"]]], "nodes": [["X", "", 0, [[0]]]], "roots": [0]})", // list, SFNode
        R"({"defs": [[["n", 7, "MFNode"]]], "nodes": [["X", "", 0, [0]]], "roots": [0]})",   // number, MF
        R"({"defs": [[["n", 7, "MFNode"]]], "nodes": [["X", "", 0, [[2]]]], "roots": [0]})", // element range
        R"({"defs": [[["n", 7, "MFNode"]]], "nodes": [["X", "", 0, [[-2]]]], "roots": [0]})",
        R"({"defs": [[]], "nodes": [["X", "", 0]], "roots": [0]})",
    };
    for (const char* text : bad)
        EXPECT_THROW(XiteScene::parse(json(text)), Failure) << text;
}

} // namespace
