#include "scriptgen/ScriptFunctions.h"
#include "WalkedWorld.h"

#include <gtest/gtest.h>

using namespace vendrel;
using namespace vendrel::test;

namespace {

// clang-format off
struct FunctionsCase { const char* name; const char* world; int all; QStringList ticked; QStringList rows; };
// clang-format on

/// "Set Set_T1_t(x,y,z) T1.t 23": kind, name, parameters, the field it reads and the field's type code.
QString rowText(const ScriptFunctions::Function& f)
{
    static const char* const kinds[] = {"Set", "Get", "On"};
    return QStringLiteral("%1 %2(%3) %4.%5 %6")
        .arg(kinds[int(f.kind)], f.name, f.params.join(u','), f.nodePath, f.fieldName)
        .arg(f.fieldType);
}

using ScriptFunctionsTest = testing::TestWithParam<FunctionsCase>;

// One row per function the script defines, in the script's order of items: kinds, parameters and the
// field each row pre-fills from; a name the script defines twice is one row.
TEST_P(ScriptFunctionsTest, ListsTheFunctionsOfTheTickedItems)
{
    const FunctionsCase& c = GetParam();
    WalkedWorld world;
    world.walk(c.world, c.all);
    for (int i = 1; i <= world.tree.count(); ++i)
        world.tree.setChecked(i, c.ticked.contains(world.tree.text(i)));
    QStringList rows;
    for (const auto& function : ScriptFunctions::of(world.tree))
        rows << rowText(function);
    EXPECT_EQ(rows.join(u'\n').toStdString(), c.rows.join(u'\n').toStdString());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, ScriptFunctionsTest, testing::Values(
    FunctionsCase{"ParamsByType",
        "Transform T1 { io SFVec3f t  io SFRotation r  io SFVec2f v2  io SFBool b  io MFFloat k }"
        "  Material M { io SFColor c }  Coordinate C { io MFVec3f point }", 0,
        {"Set_T1_t", "Set_T1_r", "Set_T1_v2", "Set_T1_b", "Set_T1_k", "Set_M_c", "Set_C_point"},
        {"Set Set_T1_t(x,y,z) T1.t 29", "Set Set_T1_r(x,y,z,a) T1.r 17", "Set Set_T1_v2(x,y) T1.v2 25",
         "Set Set_T1_b(v) T1.b 1", "Set Set_T1_k(arr) T1.k 10", "Set Set_M_c(r,g,b) M.c 3",
         "Set Set_C_point(i,x,y,z) C.point 30"}},
    FunctionsCase{"GettersAndListeners", "Transform T1 { io SFVec3f t }  TimeSensor TS { out SFFloat fraction }", 0,
        {"Get_T1_t", "On_TS_fraction", "Set_T1_t"},
        {"Get GetT1t() T1.t 29", "Set Set_T1_t(x,y,z) T1.t 29", "On OnTSfraction(f,t) TS.fraction 9"}},
    // Two nodes of one name give one setter: the script defines it twice, the panel lists it once.
    FunctionsCase{"DuplicatesOnce", "Transform T1 { io SFVec3f t }  Transform T1 { io SFVec3f t }", 0,
        {"Set_T1_t"}, {"Set Set_T1_t(x,y,z) T1.t 29"}},
    // Field and node items and "rientation" setters make nothing.
    FunctionsCase{"ItemsWithoutFunctions", "Viewpoint V { io SFRotation orientation }", 0,
        {"Viewpoint V", "Set_V_orientation"}, {}}),
    [](const testing::TestParamInfo<FunctionsCase>& info) { return std::string(info.param.name); });
// clang-format on

} // namespace
