#include "scriptgen/ScriptGenerator.h"
#include "ScriptText.h"
#include "ScriptedFileDialog.h"
#include "WalkedWorld.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vendrel;
using namespace vendrel::test;

namespace {

const char* const transformT1 = "Transform T1 { io SFVec3f translation }";

const char* const materialInT1 =
    "Transform T1 { io MFNode children [ Shape { io SFNode appearance Appearance {"
    " io SFNode material Material { io SFFloat transparency  io SFColor emissiveColor } } } ] }";
const QString materialPath = "T1_Shape_Appearance_Material_";

// clang-format off
struct ScriptCase { const char* name; const char* world; int all; QStringList ticked; QString script; };
// clang-format on

using ScriptGeneratorTest = testing::TestWithParam<ScriptCase>;

// Which functions the ticked items give, how they are named, and where they go in the file.
TEST_P(ScriptGeneratorTest, GeneratesTheFunctionsOfTheTickedItems)
{
    const ScriptCase& c = GetParam();
    WalkedWorld world;
    world.walk(c.world, c.all);
    ASSERT_TRUE(world.messages.messages.isEmpty());
    world.tick(c.ticked);
    EXPECT_EQ(QString::fromUtf8(ScriptGenerator::GenerateScriptUtf8(world.tree)), c.script);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, ScriptGeneratorTest, testing::Values(
    ScriptCase{"WorkedExample", transformT1, 0,
        {"Get_T1_translation", "On_T1_translation", "Set_T1_translation"}, workedExampleT1()},
    // Unnamed nodes: the long node path, and the document path for the getter.
    ScriptCase{"UnnamedNode", materialInT1, 1,
        {"Get_T1_Shape_Appearance_transparency_transparency",
         "Set_T1_Shape_Appearance_transparency_transparency"},
        scriptText(setterText(materialPath + "transparency", "transparency", "v", "setNodeEventIn"),
                   {getterText(materialPath + "transparency", "transparency", false, "T1.transparency")})},
    ScriptCase{"NothingTicked", materialInT1, 1, {}, header},
    // Top, node and field items give nothing, even with a marker in the node's name.
    ScriptCase{"NoAccessItems",
        "Group Set_G { io MFNode children [ Transform On_X { } Shape { ii SFBool b } ] }", 0,
        {"File", "Group Set_G", "Transform On_X", "b"}, header},
    // The tree's order does not change the sections' order; an element setter has no empty line after it.
    ScriptCase{"SectionsInTheirOwnOrder",
        "Coordinate C1 { io MFVec3f point }  Transform T2 { io SFRotation r  io SFBool v }"
        "  TimeSensor TS { out SFFloat fraction  in SFTime set_start }", 0,
        {"Set_T2_r", "On_TS_fraction", "Get_T2_v", "Set_C1_point", "Set_TS_set_start", "On_T2_v",
         "Get_C1_point"},
        scriptText(elementSetterText("C1", "point") + setterText("T2", "r", "x,y,z,a", "setNodeEventInRot") +
                       setterText("TS", "set_start", "v", "setNodeEventIn", "set_start"),
                   {getterText("C1", "point"), getterText("T2", "v")}, {{"T2", "v"}, {"TS", "fraction"}})},
    // A marker counts wherever it stands in the text: Set_Get_On_f asks for all three functions.
    ScriptCase{"MarkersCountAnywhere",
        "Transform MySet_1 { io SFVec3f t }  Transform Get_On { io SFFloat f }", 0,
        {"Get_MySet_1_t", "Set_Get_On_f"},
        scriptText(setterText("MySet_1", "t", "x,y,z", "setNodeEventInXYZ") +
                       setterText("Get_On", "f", "v", "setNodeEventIn"),
                   {getterText("MySet_1", "t"), getterText("Get_On", "f")}, {{"Get_On", "f"}})},
    // "rientation" anywhere in a Set_ item's text, case-sensitive, means no setter.
    ScriptCase{"OrientationGetsNoSetter",
        "Viewpoint V { io SFRotation orientation  io SFVec3f position }"
        "  Transform T { io SFRotation scaleOrientation }  Transform Orientation1 { io SFVec3f t }"
        "  Transform ORIENTATION { io SFVec3f t }", 0,
        {"Set_V_orientation", "Set_V_position", "Set_T_scaleOrientation", "Set_Orientation1_t",
         "Get_V_orientation", "Set_ORIENTATION_t"},
        scriptText(setterText("V", "position", "x,y,z", "setNodeEventInXYZ") +
                       setterText("ORIENTATION", "t", "x,y,z", "setNodeEventInXYZ"),
                   {getterText("V", "orientation")})},
    // An SFColor getter returns the field itself, whatever the naming; an SFColorRGBA one its value.
    ScriptCase{"ColorGetters", "Material M1 { io SFColor diffuseColor  io SFColorRGBA rgba }", 0,
        {"Get_M1_diffuseColor", "Get_M1_rgba"},
        scriptText("", {getterText("M1", "diffuseColor", true), getterText("M1", "rgba")})},
    ScriptCase{"UnnamedColorGetter", materialInT1, 1, {"Get_T1_Shape_Appearance_emissiveColor_emissiveColor"},
        scriptText("", {getterText(materialPath + "emissiveColor", "emissiveColor", true)})},
    // A failing item keeps what it added (T1Get_'s listener, before its getter fails); the rest count.
    ScriptCase{"AFailingItemKeepsWhatItAdded",
        "Transform T1Get_ { io SFVec3f t !getType }  Transform T2 { io SFFloat f !getName  io SFFloat g }", 0,
        {"On_T1Get__t", "Get_T2_f", "Get_T2_g"}, scriptText("", {getterText("T2", "g")}, {{"T1Get_", "t"}})},
    // The listener flag is set before the listener's second reading of the name fails.
    ScriptCase{"TheListenerFlagIsSetFirst", "Transform T1 { io SFVec3f t !getName@2 }", 0, {"On_T1_t"},
        header + "\r\n" + setupListeners("")},
    ScriptCase{"NamesAreCopiedUnchanged", R"(Transform "Tür\"1" { io SFFloat "größe" })", 0,
        {"Get_Tür\"1_größe", "Set_Tür\"1_größe"},
        scriptText(setterText("Tür\"1", "größe", "v", "setNodeEventIn"), {getterText("Tür\"1", "größe")})}),
    [](const testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST(ScriptGeneratorFailures, ItemsThatCannotBeAddressedAreLeftOut)
{
    WalkedWorld world;
    world.walk(
        "Group G { io SFBool b  io SFBool c !get  io MFNode children [ Shape { io SFBool d } ] } Group { }",
        1);
    world.tick({"Get_G_b", "Get_G_c", "Get_G_d_d"}); // Get_G_c holds no field
    auto& tree = world.tree;
    tree.setChecked(tree.add({}, u"Get_top", u"Get_top_b"), true);    // no node above
    const int lost = tree.add(u"Root_1", u"Get_lost", u"Get_lost_b"); // no named node above
    tree.setTag(lost, tree.tagField(world.indexOfText(u"Get_G_b")));
    tree.setChecked(lost, true);
    dynamic_cast<SimNode&>(*tree.tagNode(world.indexOfText(u"Shape"))).faults().failAlways("defName");
    EXPECT_EQ(ScriptGenerator::GenerateScript(tree), scriptText("", {getterText("G", "b")}));
}

TEST(ScriptGeneratorNames, InitialFileNames)
{
    QStringList proposed;
    for (const char* address :
         {"http://example.org/dir/scene.wrl", "C:\\w\\scene.wrl", "/home/me/worlds/scene.x3dv", "",
          "C:\\my.dir\\scene", "HTTP://example.org/scene.wrl", "http://www.example.org",
          "https://example.org/a/"})
        proposed << ScriptGenerator::InitialFileName(address, "/home/me/work");
    EXPECT_EQ(proposed, QStringList({"/home/me/work/scene.js", "C:\\w\\scene.js", "/home/me/worlds/scene.js",
                                     ".js", "C:\\my.js", "HTTP://example.org/scene.js",
                                     "/home/me/work/www.example.js", "/home/me/work/.js"}));
    EXPECT_EQ(ScriptGenerator::InitialFileName("http://example.org/scene.wrl", "/"), "/scene.js");
}

TEST(ScriptGeneratorCommand, AsksForANameAndWritesTheScriptOrNothingOnCancel)
{
    WalkedWorld world;
    world.walk(transformT1);
    world.tick({"Get_T1_translation", "On_T1_translation", "Set_T1_translation"});
    QTemporaryDir dir;
    const QString name = dir.filePath("out.js");
    ScriptedFileDialog dialog;
    dialog.answers.push_back(name);
    ScriptGenerator generator(world.tree);
    generator.CommandGo_Click("/home/me/worlds/scene.wrl", dialog);
    ASSERT_EQ(dialog.calls.size(), 1u);
    const FileDialogRequest& asked = dialog.calls[0].request;
    EXPECT_TRUE(dialog.calls[0].save);
    EXPECT_EQ(QStringList({asked.filter, asked.defaultExtension, asked.initialFileName}),
              QStringList({"JavaScript (*.js)|*.js|", ".js", "/home/me/worlds/scene.js"}));
    EXPECT_EQ(std::make_pair(asked.filterIndex, asked.flags), std::make_pair(1, 4096));
    QFile written(name);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), ScriptGenerator::GenerateScriptUtf8(world.tree));

    // Cancel: no answer left.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    generator.CommandGo_Click("http://example.org/scene.wrl", dialog);
    QDir::setCurrent(before);
    ASSERT_EQ(dialog.calls.size(), 2u);
    EXPECT_EQ(dialog.calls[1].request.initialFileName, QDir(dir.path()).canonicalPath() + "/scene.js");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"out.js"}));
}

} // namespace
