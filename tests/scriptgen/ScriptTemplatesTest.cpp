#include "scriptgen/ScriptTemplates.h"
#include "ScriptText.h"
#include "core/FieldTypes.h"

#include <gtest/gtest.h>

using namespace vendrel;
using namespace vendrel::test;
using T = ScriptTemplates;

TEST(ScriptTemplatesTest, EveryTemplateWritesItsFunction)
{
    const std::pair<QString, QString> cases[] = {
        {T::MakeSetter("M1", "speed"), setterText("M1", "speed", "v", "setNodeEventIn")},
        {T::MakeSetter("TS", "set_time"), setterText("TS", "set_time", "v", "setNodeEventIn", "set_time")},
        {T::MakeSetterRGB("M1", "speed"), setterText("M1", "speed", "r,g,b", "setNodeEventInRGB")},
        {T::MakeSetterArray("M1", "speed"), setterText("M1", "speed", "arr", "setNodeEventInArray")},
        {T::MakeSetterRot("M1", "speed"), setterText("M1", "speed", "x,y,z,a", "setNodeEventInRot")},
        {T::MakeSetterXY("M1", "speed"), setterText("M1", "speed", "x,y", "setNodeEventInXY")},
        {T::MakeSetterXYZ("M1", "speed"), setterText("M1", "speed", "x,y,z", "setNodeEventInXYZ")},
        {T::MakeElementSetterVec3("C1", "point"), elementSetterText("C1", "point")},
        {T::MakeElementSetterRot("O1", "keyValue"), elementSetterText("O1", "keyValue", true)},
        {T::MakeGetter("GetT1translation", "T1", "", "translation"), getterText("T1", "translation")},
        {T::MakeGetter("GetA_B_xx", "A_B_x", "A.x", "x"), getterText("A_B_x", "x", false, "A.x")},
        {T::MakeFieldGetter("GetM1c", "M1", "c"), getterText("M1", "c", true)},
        {T::MakeListenerFunction("OnT1t", "T1t_observer"), listenerFunction("T1", "t")},
        {T::MakeListenerSetup("T1", "t", "T1t_observer", "OnT1t"), observerBlock("T1", "t")},
        // Names go in unescaped, quotes and all.
        {T::MakeGetter("Get\"q\"f", "\"q\"", "", "f"), getterText("\"q\"", "f")},
    };
    for (const auto& [made, expected] : cases)
        EXPECT_EQ(made, expected);
}

TEST(ScriptTemplatesTest, EventInNameAddsSetUnlessTheNameHoldsIt)
{
    QStringList made;
    for (const char* field : {"translation", "set_fraction", "reset_time", "Set_x", ""})
        made << T::MakeEventInName(field);
    EXPECT_EQ(made, QStringList({"set_translation", "set_fraction", "reset_time", "set_Set_x", "set_"}));
}

TEST(ScriptTemplatesTest, TypeNameChoosesTheSetter)
{
    // clang-format off
    const std::pair<const char16_t*, T::SetterTemplate> setters[] = {
        {u"SFBool", &T::MakeSetter},           {u"MFBool", nullptr},
        {u"SFColor", &T::MakeSetterRGB},       {u"MFColor", nullptr},
        {u"SFColorRGBA", nullptr},             {u"MFColorRGBA", nullptr},
        {u"SFDouble", &T::MakeSetter},         {u"MFDouble", nullptr},
        {u"SFFloat", &T::MakeSetter},          {u"MFFloat", &T::MakeSetterArray},
        {u"SFImage", nullptr},                 {u"MFImage", nullptr},
        {u"SFInt32", &T::MakeSetter},          {u"MFInt32", &T::MakeSetterArray},
        {u"SFNode", nullptr},                  {u"MFNode", nullptr},
        {u"SFRotation", &T::MakeSetterRot},    {u"MFRotation", &T::MakeElementSetterRot},
        {u"SFString", &T::MakeSetter},         {u"MFString", &T::MakeSetterArray},
        {u"SFTime", &T::MakeSetter},           {u"MFTime", nullptr},
        {u"SFVec2d", &T::MakeSetterXY},        {u"MFVec2d", nullptr},
        {u"SFVec2f", &T::MakeSetterXY},        {u"MFVec2f", nullptr},
        {u"SFVec3d", &T::MakeSetterXYZ},       {u"MFVec3d", &T::MakeElementSetterVec3},
        {u"SFVec3f", &T::MakeSetterXYZ},       {u"MFVec3f", &T::MakeElementSetterVec3},
        {u"SFVec4f", nullptr}}; // no X3D type this system knows: code 0
    // clang-format on
    for (const auto& [name, setter] : setters)
        EXPECT_EQ(T::SetterFor(fieldTypeCode(name)), setter) << QStringView(name).toString().toStdString();
    for (const int outside : {-1, 31})
        EXPECT_EQ(T::SetterFor(outside), nullptr);
}
