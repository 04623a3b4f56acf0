#include "sim/SimScene.h"
#include "core/FieldTypes.h"

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

TEST(SimSceneTest, ReadsNodesFieldsValuesAndFaults)
{
    auto scene = SimScene::parse(uR"(
        !item=1 !rootNodes@2
        Transform T1 !defName@2 {           # a comment
          io SFVec3f translation !getType
          inputOutput MFNode children [ "Odd Type" "DEF \"q\"" { } NULL USE T1 ] !length@1
          eventIn SFNode set_child Box { }
          ii SFMatrix3f matrix
        }
        USE T1
    )");
    ASSERT_EQ(scene->nodeCount(), 3);
    EXPECT_NO_THROW(scene->rootNodes());
    EXPECT_THROW(scene->rootNodes(), Failure);
    const NodeArrayRef roots = scene->rootNodes();
    ASSERT_EQ(roots->length(), 2);
    EXPECT_THROW(roots->item(1), Failure);

    SimNode* t1 = scene->findByDef(u"T1");
    ASSERT_TRUE(t1);
    EXPECT_EQ(roots->item(0).get(), t1);
    EXPECT_EQ(t1->defName(), "T1");
    EXPECT_THROW(t1->defName(), Failure);
    EXPECT_EQ(t1->defName(), "T1");
    ASSERT_EQ(t1->fieldCount(), 4);

    const FieldInfo children = t1->fieldInfo(1);
    EXPECT_EQ(children.accessType, InputOutput);
    EXPECT_EQ(children.fieldType, MFNode);
    EXPECT_EQ(children.name, "children");
    EXPECT_EQ(t1->fieldInfo(2).accessType, InputOnly);
    EXPECT_EQ(t1->fieldInfo(3).fieldType, UnknownField);
    EXPECT_THROW(t1->fieldInfo(4), Failure);
    EXPECT_THROW(t1->getField("nothing"), Failure);
    EXPECT_THROW(t1->getField("translation")->getType(), Failure);

    const NodeArrayRef elements = t1->getField("children")->getValue();
    EXPECT_THROW(elements->length(), Failure);
    ASSERT_EQ(elements->length(), 3);
    EXPECT_EQ(elements->item(0)->typeName(), "Odd Type");
    EXPECT_EQ(elements->item(0)->defName(), "DEF \"q\"");
    EXPECT_FALSE(elements->item(1));
    EXPECT_EQ(elements->item(2)->identity(), t1->identity());
    EXPECT_EQ(t1->getField("set_child")->value()->typeName(), "Box");
    EXPECT_THROW(t1->getField("translation")->getValue(), Failure);
}

TEST(SimSceneTest, NamesTheLineOfADescriptionItCannotRead)
{
    const std::vector<std::pair<const char*, const char*>> broken = {
        {"Shape {\n  io SFBool", "line 2"},
        {"Shape {\n\n  xx SFBool on }", "line 3: expected an access type"},
        {"Shape { io SFNode n USE Nobody }", "line 1: USE of \"Nobody\""},
        {"Shape !nonsense { }", "is no fault"},
        {"Group { io MFNode children [ Box { } ] !item=x }", "needs an element number"},
        {"Shape \"open { }", "no closing quote"},
        {"} ", "expected a node type"},
    };
    for (const auto& [text, message] : broken) {
        SCOPED_TRACE(text);
        try {
            SimScene::parse(QString::fromUtf8(text));
            ADD_FAILURE() << "no failure";
        } catch (const Failure& failure) {
            EXPECT_NE(std::string(failure.what()).find(message), std::string::npos) << failure.what();
        }
    }
}

TEST(SimSceneTest, ReferencesKeepTheSceneAlive)
{
    NodeRef box;
    {
        auto scene =
            SimScene::parse(u"Group { io MFNode children [ Box { ii SFNode self USE B } ] } Box B { }");
        box = scene->rootNodes()->item(0)->getField("children")->getValue()->item(0);
    }
    EXPECT_EQ(box->getField("self")->value()->defName(), "B");
}

TEST(FieldTypesTest, CodesAndNamesMatch)
{
    EXPECT_EQ(fieldTypeCode(u"SFBool"), 1);
    EXPECT_EQ(fieldTypeCode(u"SFNode"), 15);
    EXPECT_EQ(fieldTypeCode(u"MFVec3f"), 30);
    EXPECT_EQ(fieldTypeCode(u"SFVec4f"), 0);
    EXPECT_EQ(fieldTypeCode(u"sfbool"), 0);
    for (int code = 1; code <= 30; ++code)
        EXPECT_EQ(fieldTypeCode(fieldTypeName(code)), code);
    EXPECT_EQ(fieldTypeName(0), "");
    EXPECT_EQ(accessTypeCode(u"exposedField"), InputOutput);
    EXPECT_EQ(accessTypeCode(u"eventOut"), OutputOnly);
    EXPECT_EQ(accessTypeCode(u"other"), -1);
}

} // namespace
