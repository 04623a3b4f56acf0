#include "details/DetailsWatch.h"

#include "WalkedWorld.h"
#include "sim/SimBrowser.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace vendrel;
using namespace vendrel::test;

namespace {

const char* const world =
    "Transform T1 { io SFVec3f translation  io MFNode children [ Shape { io SFNode "
    "appearance Appearance { io SFNode material Material { io SFFloat transparency } } } ] }"
    "  Coordinate C { io MFColor color  io MFVec3f point }"
    "  Viewpoint V { io SFRotation orientation }  Group { in MFNode addChildren }";

/// Shows the details of one item of the world, walked with "All" in state `all`, with the values the
/// browser tells.
struct Details
{
    explicit Details(int all)
    {
        walked.walk(world, all);
        auto field = [this](const char* node, const char16_t* name) {
            return walked.scene->findByDef(QString::fromLatin1(node))->field(name);
        };
        field("T1", u"translation")->setLiveValue({false, true, "1 2 3"});
        field("C", u"color")->setLiveValue({false, true, "", 0, 0});
        field("C", u"point")->setLiveValue({false, true, "0 0 0, 1 1 1", 40, 2});
    }
    /// The details of the item with this text, once its value is read.
    QString of(const QString& text)
    {
        watch.highlight(walked.indexOfText(text));
        QTest::qWait(10);
        return shown.value(shown.size() - 1);
    }

    WalkedWorld walked;
    SimBrowser browser;
    QStringList shown;
    DetailsWatch watch{walked.tree, &browser, [this](const QString& text) {
                           shown.append(text);
                       }};
};

// clang-format off
struct DetailsCase { const char* item; int all; QString text; };
// clang-format on

using DetailsWatchTest = testing::TestWithParam<DetailsCase>;

// What the details say of each kind of item.
TEST_P(DetailsWatchTest, ShowsTheItemsNodeOrFieldValueAndScript)
{
    const DetailsCase& c = GetParam();
    Details details(c.all);
    EXPECT_EQ(details.of(QString::fromUtf8(c.item)).toStdString(), c.text.toStdString());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, DetailsWatchTest, testing::Values(
    DetailsCase{"File", 1, "File\nThe world, with 4 root nodes"},
    DetailsCase{"Transform T1", 1,
        "Transform T1\nType: Transform\nDEF name: T1\nPath: Transform T1\nFields: 2"},
    DetailsCase{"Material", 1, "Material\nType: Material\nDEF name: unnamed, addressed as "
        "T1_Shape_Appearance_Material\nPath: Transform T1 > Shape > Appearance > Material\nFields: 1"},
    DetailsCase{"Group", 1, "Group\nType: Group\nDEF name: unnamed, with no named node above it: its "
        "fields give no functions\nPath: Group\nFields: 1"},
    DetailsCase{"Get_T1_translation", 1,
        "Get_T1_translation\nField: translation\nNode: Transform T1\nType: SFVec3f (29)\n"
        "Access: inputOutput (3)\nValue: 1 2 3\nScript:\nfunction GetT1translation()\n{\n"
        "    node = context.getNode(\"T1\");\n    field = node.getField(\"translation\");\n"
        "    return field.getValue();\n}"},
    DetailsCase{"Set_T1_Shape_Appearance_transparency_transparency", 1,
        "Set_T1_Shape_Appearance_transparency_transparency\nField: transparency\n"
        "Node: Transform T1 > Shape > Appearance > Material\nType: SFFloat (9)\nAccess: inputOutput (3)\n"
        "Value: \nScript:\nfunction Set_T1_Shape_Appearance_Material_transparency_transparency(v)\n{\n"
        "   setNodeEventIn(\"T1_Shape_Appearance_Material_transparency\", \"set_transparency\", v);\n}"},
    DetailsCase{"On_C_point", 1,
        "On_C_point\nField: point\nNode: Coordinate C\nType: MFVec3f (30)\nAccess: inputOutput (3)\n"
        "Value: 40 elements, the first 2: 0 0 0, 1 1 1 ...\nScript:\nvar Cpoint_observer = null;\n"
        "            node = context.getNode(\"C\");\n            field = node.getField(\"point\");\n"
        "            Cpoint_observer = new Object;\n"
        "            Cpoint_observer.readableFieldChanged = OnCpoint;\n"
        "            Cpoint_observer.field = field;\n"
        "            field.addFieldEventListener(Cpoint_observer);\n"
        "function OnCpoint(f, t)\n{\n    f = Cpoint_observer.field.getValue(); // ignore one passed "
        "(mozilla activex plugin bug), use our copy\n    if (f)\n    {\n        // PLACE  YOUR CODE HERE\n"
        "    }\n}"},
    DetailsCase{"Set_C_color", 1, "Set_C_color\nField: color\nNode: Coordinate C\nType: MFColor (4)\n"
        "Access: inputOutput (3)\nValue: 0 elements\nScript: none, no setter for MFColor fields"},
    DetailsCase{"Set_V_orientation", 1, "Set_V_orientation\nField: orientation\nNode: Viewpoint V\n"
        "Type: SFRotation (17)\nAccess: inputOutput (3)\nValue: \n"
        "Script: none, no setter for items whose text contains \"rientation\""},
    DetailsCase{"addChildren", 0, "addChildren\nField: addChildren\nNode: Group\nType: MFNode (16)\n"
        "Access: inputOnly (1)\nValue: \n"
        "Script: none, a field item gives no function (tick \"All\" for its Get_ and Set_ items)"}),
    [](const testing::TestParamInfo<DetailsCase>& info) { return "Item" + std::to_string(info.index); });
// clang-format on

// The value is read when the item is highlighted, and shown again only when it changed; a highlight
// elsewhere ends the questions.
TEST(DetailsWatchRefreshTest, ShowsANewValueWhileTheItemStaysHighlighted)
{
    Details details(1);
    EXPECT_TRUE(details.of("Get_T1_translation").contains(u"Value: 1 2 3"));
    QTest::qWait(3 * DetailsWatch::refreshMs);
    EXPECT_EQ(details.shown.size(), 2) << "reading..., then the value: no refresh while it stays";
    EXPECT_GE(details.browser.valueRequests, 3);
    EXPECT_EQ(details.browser.valuesTold, 1);

    details.walked.scene->findByDef(u"T1")->field(u"translation")->setLiveValue({false, true, "4 5 6"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return details.shown.last().contains(u"Value: 4 5 6"); },
                                2 * DetailsWatch::refreshMs));
    details.of("Transform T1");
    const int asked = details.browser.valueRequests;
    QTest::qWait(2 * DetailsWatch::refreshMs);
    EXPECT_EQ(details.browser.valueRequests, asked);
}

} // namespace
