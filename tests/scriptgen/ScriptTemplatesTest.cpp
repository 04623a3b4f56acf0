#include "scriptgen/ScriptTemplates.h"
#include "core/FieldTypes.h"
#include "ScriptText.h"

#include <gtest/gtest.h>

#include <map>

using namespace vendrel;
using vendrel::test::crlfLines;

TEST(ScriptTemplatesTest, EventInNameAddsSetUnlessTheNameHoldsIt)
{
    EXPECT_EQ(ScriptTemplates::MakeEventInName("translation"), "set_translation");
    EXPECT_EQ(ScriptTemplates::MakeEventInName("set_fraction"), "set_fraction");
    EXPECT_EQ(ScriptTemplates::MakeEventInName("reset_time"), "reset_time");
    EXPECT_EQ(ScriptTemplates::MakeEventInName("Set_x"), "set_Set_x");
    EXPECT_EQ(ScriptTemplates::MakeEventInName(""), "set_");
}

TEST(ScriptTemplatesTest, ListenerFunctionAndSetupBlock)
{
    EXPECT_EQ(ScriptTemplates::MakeListenerFunction("OnT1translation", "T1translation_observer"),
              crlfLines({
                  "function OnT1translation(f, t)",
                  "{",
                  "    f = T1translation_observer.field.getValue(); // ignore one passed (mozilla activex "
                  "plugin bug), use our copy",
                  "    if (f)",
                  "    {",
                  "        // PLACE  YOUR CODE HERE",
                  "    }",
                  "}",
              }));
    EXPECT_EQ(
        ScriptTemplates::MakeListenerSetup("T1", "translation", "T1translation_observer", "OnT1translation"),
        crlfLines({
            "            node = context.getNode(\"T1\");",
            "            field = node.getField(\"translation\");",
            "            T1translation_observer = new Object;",
            "            T1translation_observer.readableFieldChanged = OnT1translation;",
            "            T1translation_observer.field = field;",
            "            field.addFieldEventListener(T1translation_observer);",
        }));
}

TEST(ScriptTemplatesTest, GettersReadTheNamedNodeOrTheDocumentOrReturnTheField)
{
    EXPECT_EQ(ScriptTemplates::MakeGetter("GetT1translation", "T1", "", "translation"),
              crlfLines({
                  "function GetT1translation()",
                  "{",
                  "    node = context.getNode(\"T1\");",
                  "    field = node.getField(\"translation\");",
                  "    return field.getValue();",
                  "}",
              }));
    EXPECT_EQ(ScriptTemplates::MakeGetter("GetA_Bxx", "A_B_x", "A.x", "x"),
              crlfLines({
                  "function GetA_Bxx()",
                  "{",
                  "    return GetDOMValue(\"A.x\");",
                  "}",
              }));
    EXPECT_EQ(ScriptTemplates::MakeFieldGetter("GetM1diffuseColor", "M1", "diffuseColor"),
              crlfLines({
                  "function GetM1diffuseColor()",
                  "{",
                  "    node = context.getNode(\"M1\");",
                  "    field = node.getField(\"diffuseColor\");",
                  "    return field;",
                  "}",
              }));
    // Names go in unescaped, quotes and all.
    EXPECT_EQ(ScriptTemplates::MakeGetter("Get\"q\"f", "\"q\"", "", "f"),
              crlfLines({
                  "function Get\"q\"f()",
                  "{",
                  "    node = context.getNode(\"\"q\"\");",
                  "    field = node.getField(\"f\");",
                  "    return field.getValue();",
                  "}",
              }));
}

TEST(ScriptTemplatesTest, SingleValueSetters)
{
    const auto single = [](const QString& params, const QString& call) {
        return crlfLines({"function Set_M1_speed" + params, "{", call, "}", ""});
    };
    EXPECT_EQ(ScriptTemplates::MakeSetter("M1", "speed"),
              single("(v)", "   setNodeEventIn(\"M1\", \"set_speed\", v);"));
    EXPECT_EQ(ScriptTemplates::MakeSetterRGB("M1", "speed"),
              single("(r,g,b)", "   setNodeEventInRGB(\"M1\", \"set_speed\", r, g, b);"));
    EXPECT_EQ(ScriptTemplates::MakeSetterArray("M1", "speed"),
              single("(arr)", "   setNodeEventInArray(\"M1\", \"set_speed\", arr);"));
    EXPECT_EQ(ScriptTemplates::MakeSetterRot("M1", "speed"),
              single("(x,y,z,a)", "   setNodeEventInRot(\"M1\", \"set_speed\", x, y, z, a);"));
    EXPECT_EQ(ScriptTemplates::MakeSetterXY("M1", "speed"),
              single("(x,y)", "   setNodeEventInXY(\"M1\", \"set_speed\", x, y);"));
    EXPECT_EQ(ScriptTemplates::MakeSetterXYZ("M1", "speed"),
              single("(x,y,z)", "   setNodeEventInXYZ(\"M1\", \"set_speed\", x, y, z);"));
    // A field named like an event-in keeps its name in the call.
    EXPECT_EQ(ScriptTemplates::MakeSetter("TS", "set_fraction"),
              crlfLines({"function Set_TS_set_fraction(v)", "{",
                         "   setNodeEventIn(\"TS\", \"set_fraction\", v);", "}", ""}));
}

TEST(ScriptTemplatesTest, ElementSettersReplaceOneElementAndEndWithoutAnEmptyLine)
{
    EXPECT_EQ(ScriptTemplates::MakeElementSetterRot("O1", "keyValue"),
              crlfLines({
                  "function Set_O1_keyValue(i,x,y,z,a)",
                  "{",
                  "    var mf;",
                  "    node = context.getNode(\"O1\");",
                  "    field = node.getField(\"keyValue\");",
                  "    mf = field.get1Value(i);",
                  "    mf.x = x;",
                  "    mf.y = y;",
                  "    mf.z = z;",
                  "    mf.a = a;",
                  "    field.set1Value(i,mf);",
                  "}",
              }));
    EXPECT_EQ(ScriptTemplates::MakeElementSetterVec3("C1", "point"),
              crlfLines({
                  "function Set_C1_point(i,x,y,z)",
                  "{",
                  "    var mf;",
                  "    node = context.getNode(\"C1\");",
                  "    field = node.getField(\"point\");",
                  "    mf = field.get1Value(i);",
                  "    mf.x = x;",
                  "    mf.y = y;",
                  "    mf.z = z;",
                  "    field.set1Value(i,mf);",
                  "}",
              }));
}

TEST(ScriptTemplatesTest, TypeCodeChoosesTheSetter)
{
    using T = ScriptTemplates;
    const std::map<int, T::SetterTemplate> expected = {
        {SFBool, &T::MakeSetter},
        {SFDouble, &T::MakeSetter},
        {SFFloat, &T::MakeSetter},
        {SFInt32, &T::MakeSetter},
        {SFString, &T::MakeSetter},
        {SFTime, &T::MakeSetter},
        {SFColor, &T::MakeSetterRGB},
        {MFFloat, &T::MakeSetterArray},
        {MFInt32, &T::MakeSetterArray},
        {MFString, &T::MakeSetterArray},
        {SFRotation, &T::MakeSetterRot},
        {SFVec2f, &T::MakeSetterXY},
        {SFVec2d, &T::MakeSetterXY},
        {SFVec3f, &T::MakeSetterXYZ},
        {SFVec3d, &T::MakeSetterXYZ},
        {MFRotation, &T::MakeElementSetterRot},
        {MFVec3f, &T::MakeElementSetterVec3},
        {MFVec3d, &T::MakeElementSetterVec3},
    };
    for (int code = -1; code <= 32; ++code) {
        const auto it = expected.find(code);
        EXPECT_EQ(T::SetterFor(code), it == expected.end() ? nullptr : it->second) << "type code " << code;
    }
    // Spelled out: the codes that never get a setter.
    for (int code : {0, 2, 4, 5, 6, 8, 11, 12, 15, 16, 22, 24, 26})
        EXPECT_EQ(T::SetterFor(code), nullptr) << "type code " << code;
}
