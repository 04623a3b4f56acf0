#include "scriptgen/ScriptCheck.h"
#include "WalkedWorld.h"

#include <gtest/gtest.h>

using namespace vendrel;
using namespace vendrel::test;

namespace {

// clang-format off
struct CheckCase { const char* name; const char* world; int all; QStringList ticked; QStringList findings; int functions; };
// clang-format on

using ScriptCheckTest = testing::TestWithParam<CheckCase>;

// One world per kind of finding, each line as "kind: item text: detail", and the functions the file holds.
TEST_P(ScriptCheckTest, FindsTheFaultsOfTheScriptForTheTickedItems)
{
    const CheckCase& c = GetParam();
    WalkedWorld world;
    world.walk(c.world, c.all);
    world.tick(c.ticked);
    const ScriptCheck::Result result = ScriptCheck::run(world.tree);
    QStringList findings;
    for (const ScriptCheck::Finding& finding : result.findings)
        findings << ScriptCheck::describe(world.tree, finding);
    EXPECT_EQ(findings, c.findings);
    EXPECT_EQ(result.functions, c.functions);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, ScriptCheckTest, testing::Values(
    CheckCase{"NoFinding", "Transform T1 { io SFVec3f translation  io SFColor c } Coordinate C { io MFVec3f p }", 0,
        {"Get_T1_translation", "On_T1_translation", "Set_T1_translation", "Get_T1_c", "Set_T1_c", "Set_C_p"},
        {}, 6},
    // Names are joined without a separator.
    CheckCase{"DuplicateName", "Transform S { io SFBool sfboolIO }  Transform Ssfbool { io SFBool IO }", 0,
        {"Get_S_sfboolIO", "On_S_sfboolIO", "Get_Ssfbool_IO", "On_Ssfbool_IO", "Set_Ssfbool_IO"},
        {"duplicate-name: Get_Ssfbool_IO: function GetSsfboolIO is also defined by Get_S_sfboolIO",
         "duplicate-name: On_Ssfbool_IO: variable SsfboolIO_observer is also defined by On_S_sfboolIO",
         "duplicate-name: On_Ssfbool_IO: function OnSsfboolIO is also defined by On_S_sfboolIO"}, 5},
    CheckCase{"InvalidName", R"(Transform "My-Node" { io SFFloat f }  Transform "A\"B" { io SFFloat f })", 0,
        {"Get_My-Node_f", "On_A\"B_f"},
        {"invalid-name: Get_My-Node_f: function GetMy-Nodef is not a JavaScript identifier",
         "invalid-name: On_A\"B_f: the name A\"B ends the string literal it is written in",
         "invalid-name: On_A\"B_f: variable A\"Bf_observer is not a JavaScript identifier",
         "invalid-name: On_A\"B_f: function OnA\"Bf is not a JavaScript identifier"}, 2},
    CheckCase{"ReservedName", "Transform DOM { io SFString Value }", 0, {"Get_DOM_Value", "Set_DOM_Value"},
        {"reserved-name: Get_DOM_Value: function GetDOMValue is a name JavaScript or the page keeps"}, 2},
    // Unnamed nodes of two types under H: their getters read the same path. An SFColor getter reads no path.
    CheckCase{"AmbiguousPath",
        "Transform H { io MFNode children [ Group { io SFFloat t  io SFColor c } Shape { io SFFloat t  io SFColor c }"
        " Group { io SFFloat u } ] }", 1,
        {"Get_H_t_t", "Get_H_c_c", "Get_H_u_u"},
        {"ambiguous-path: Get_H_t_t: GetDOMValue(\"H.t\") matches 2 nodes"}, 3},
    // Unnamed nodes' fields get Get_ and Set_ items whatever their access type.
    CheckCase{"NeverWorks",
        "Transform H { io MFNode children [ Group { out SFBool o  in SFBool i } ] }  Coordinate C { in MFVec3f p }",
        1, {"Set_H_o_o", "Get_H_i_i", "Set_H_i_i", "Set_C_p"},
        {"never-works: Set_H_o_o: Set_H_Group_o_o writes an outputOnly field",
         "never-works: Get_H_i_i: GetH_Group_ii reads an inputOnly field",
         "never-works: Set_C_p: Set_C_p reads the element it replaces from an inputOnly field"}, 4},
    CheckCase{"NoFunction",
        "Viewpoint V { io SFRotation orientation  io MFColor c  io MFNode children [ Group { io SFBool b } ] }",
        0, {"Viewpoint V", "Set_V_orientation", "Set_V_c", "b"},
        {"no-function: Viewpoint V: a node item makes no function",
         "no-function: Set_V_orientation: no setter for items whose text contains \"rientation\"",
         "no-function: Set_V_c: no setter for MFColor fields",
         "no-function: b: a field item makes no function; its node has no DEF name, and with \"All\" ticked "
         "it gets Get_ and Set_ items"}, 0}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });
// clang-format on

} // namespace
