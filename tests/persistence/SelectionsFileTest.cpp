#include "persistence/SelectionsFile.h"

#include "CountingEventPump.h"
#include "core/Failure.h"
#include "persistence/ModuleINI.h"
#include "ScriptedFileDialog.h"
#include "TextTree.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vendrel;
using vendrel::test::fillTree;
using vendrel::test::tickedTexts;

namespace {

class SelectionsFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ini.SetSettingsTarget();
        fillTree(tree, {"Transform T1", "Get_T1_translation", "On_T1_translation", "Set_T1_translation",
                        "Shape", "translation", "translation"});
    }
    bool save()
    {
        dialog.answers.push_back(file);
        return SelectionsFile::FileSaveSel_Click(tree, ini, dialog, address);
    }
    int load()
    {
        dialog.answers.push_back(file);
        return SelectionsFile::LoadSelections_Click(tree, ini, dialog, events, address);
    }
    void write(const QByteArray& bytes)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    QByteArray contents() const
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }
    void expectTargetOnSettings() const
    {
        EXPECT_EQ(ini.INIFileName(), ModuleINI::settingsFile);
        EXPECT_EQ(ini.INISection(), ModuleINI::settingsSection);
    }

    QTemporaryDir folder;
    QString file = folder.filePath("house.x3ds");
    QString address = QStringLiteral("/worlds/v1.2/house.wrl");
    SceneTree tree;
    ModuleINI ini;
    test::ScriptedFileDialog dialog;
    test::CountingEventPump events;
};

TEST_F(SelectionsFileTest, SaveWritesTheTickedTextsUnderTheirPositions)
{
    tree.setChecked(3, true);
    tree.setChecked(4, true);
    tree.setChecked(8, true);
    ASSERT_TRUE(save());
    EXPECT_EQ(contents(),
              "[Selections]\nsel3=Get_T1_translation\nsel4=On_T1_translation\nsel8=translation\n");
    expectTargetOnSettings();

    ASSERT_EQ(dialog.calls.size(), 1u);
    const auto& call = dialog.calls[0];
    EXPECT_TRUE(call.save);
    EXPECT_EQ(call.request.filter, "X3D Settings (*.x3ds)|*.x3ds|");
    EXPECT_EQ(call.request.filterIndex, 1);
    EXPECT_EQ(call.request.defaultExtension, ".x3ds");
    EXPECT_EQ(call.request.flags, 4096);
    EXPECT_EQ(call.request.initialFileName, "/worlds/v1.2/house.x3ds");
}

TEST_F(SelectionsFileTest, TheOfferedNameStripsTheLastExtension)
{
    EXPECT_EQ(SelectionsFile::defaultFileName("C:\\worlds\\house.wrl"), "C:\\worlds\\house.x3ds");
    EXPECT_EQ(SelectionsFile::defaultFileName("http://a.org/w"), "http://a.x3ds");
    EXPECT_EQ(SelectionsFile::defaultFileName("world"), "world.x3ds");
    EXPECT_EQ(SelectionsFile::defaultFileName(""), ".x3ds");
}

TEST_F(SelectionsFileTest, SaveWithNothingTickedCreatesNoFileAndEmptiesAnExistingSection)
{
    ASSERT_TRUE(save());
    EXPECT_FALSE(QFile::exists(file));

    write("[Mine]\nnote=keep\n[Selections]\nsel2=Transform T1\n");
    tree.setChecked(5, true);
    ASSERT_TRUE(save());
    EXPECT_EQ(contents(), "[Mine]\nnote=keep\n[Selections]\nsel5=Set_T1_translation\n");
    tree.setChecked(5, false);
    ASSERT_TRUE(save());
    EXPECT_EQ(contents(), "[Mine]\nnote=keep\n");
}

TEST_F(SelectionsFileTest, SaveThenLoadRestoresTheTicks)
{
    tree.setChecked(1, true);
    tree.setChecked(3, true);
    tree.setChecked(5, true);
    ASSERT_TRUE(save());
    for (int i = 1; i <= tree.count(); ++i)
        tree.setChecked(i, false);
    tree.setChecked(2, true); // loading only adds ticks
    EXPECT_EQ(load(), 3);
    EXPECT_EQ(tickedTexts(tree),
              QStringList({"File", "Transform T1", "Get_T1_translation", "Set_T1_translation"}));
    EXPECT_EQ(events.yields, 3) << "events run after every tick";
    expectTargetOnSettings();

    ASSERT_EQ(dialog.calls.size(), 2u);
    const auto& call = dialog.calls[1];
    EXPECT_FALSE(call.save);
    EXPECT_EQ(call.request.filter, "X3d Settings (*.x3ds)|*.x3ds|");
    EXPECT_EQ(call.request.defaultExtension, ".x3ds");
    EXPECT_EQ(call.request.initialFileName, "/worlds/v1.2/house.x3ds");
}

TEST_F(SelectionsFileTest, DuplicateTextsPickTheFirstItemAfterThePreviousMatch)
{
    tree.setChecked(8, true); // only the second "translation"
    ASSERT_TRUE(save());
    tree.setChecked(8, false);
    EXPECT_EQ(load(), 1);
    EXPECT_TRUE(tree.checked(7));
    EXPECT_FALSE(tree.checked(8));
}

TEST_F(SelectionsFileTest, EntriesAreReadInKeyOrderAndMatchForwardOnly)
{
    // Reverse order: after Set_ matched at 5, nothing before it can match any more.
    write("[Selections]\r\nsel1=Set_T1_translation\r\nsel2=On_T1_translation\r\nsel3=Get_T1_translation\r\n"
          "sel4=nowhere\r\nSEL5=translation\r\n");
    EXPECT_EQ(load(), 2);
    EXPECT_EQ(tickedTexts(tree), QStringList({"Set_T1_translation", "translation"}));
    EXPECT_TRUE(tree.checked(7));
}

TEST_F(SelectionsFileTest, EntriesNumberedAboveTheItemCountAreIgnored)
{
    write("[Selections]\nsel2=Transform T1\nsel8=translation\nsel9=File\nsel200=Shape\n");
    EXPECT_EQ(load(), 2);
    EXPECT_EQ(tickedTexts(tree), QStringList({"Transform T1", "translation"}));
}

TEST_F(SelectionsFileTest, LongTextsAreTickedAgain)
{
    const QString longText = "Get_" + QString(5000, u'L');
    tree.add(u"Root", u"long", longText);
    tree.setChecked(tree.count(), true);
    ASSERT_TRUE(save());
    tree.setChecked(tree.count(), false);
    EXPECT_EQ(load(), 1);
    EXPECT_TRUE(tree.checked(tree.count()));
}

TEST_F(SelectionsFileTest, CancelTouchesNothing)
{
    tree.setChecked(3, true);
    ini.SetINITarget("elsewhere", "s"); // untouched by a cancelled command
    EXPECT_FALSE(SelectionsFile::FileSaveSel_Click(tree, ini, dialog, address));
    EXPECT_EQ(SelectionsFile::LoadSelections_Click(tree, ini, dialog, events, address), -1);
    EXPECT_EQ(ini.INIFileName(), "elsewhere");
    EXPECT_EQ(tickedTexts(tree), QStringList({"Get_T1_translation"}));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(dialog.calls.size(), 2u);
}

TEST_F(SelectionsFileTest, AFileThatCannotBeWrittenFailsSilently)
{
    write("[Selections]\nsel2=Transform T1\n");
    tree.setChecked(3, true);
    dialog.answers.push_back(file + "/inside-a-file.x3ds");
    EXPECT_FALSE(SelectionsFile::FileSaveSel_Click(tree, ini, dialog, address));
    EXPECT_EQ(contents(), "[Selections]\nsel2=Transform T1\n");
    expectTargetOnSettings();
}

TEST_F(SelectionsFileTest, MissingFileOrSectionLoadsAsEmpty)
{
    EXPECT_EQ(load(), 0);
    write("[Other]\nsel1=File\n");
    EXPECT_EQ(load(), 0);
    EXPECT_TRUE(tickedTexts(tree).isEmpty());
    expectTargetOnSettings();
}

TEST_F(SelectionsFileTest, AFailureHalfwayStillSendsTheTargetBack)
{
    write("[Selections]\nsel1=File\nsel2=Transform T1\n");
    events.onYield = [this] {
        EXPECT_EQ(ini.INISection(), "Selections");
        throw Failure("the user closed the window");
    };
    EXPECT_EQ(load(), -1);
    expectTargetOnSettings();
}

TEST_F(SelectionsFileTest, ATreeRebuiltWhileEventsRunIsMatchedAsItIsNow)
{
    write("[Selections]\nsel1=File\nsel2=Shape\n");
    events.onYield = [this] {
        events.onYield = nullptr;
        fillTree(tree, {"Cone", "Shape"}); // "All" clicked meanwhile
    };
    EXPECT_EQ(load(), 2);
    EXPECT_EQ(tickedTexts(tree), QStringList({"Shape"}));
    EXPECT_TRUE(tree.checked(3));
}

} // namespace

namespace {

TEST_F(SelectionsFileTest, FarMatchesAndMissesInALargeTreeFollowTheSameRules)
{
    for (int i = 0; i < 500; ++i)
        tree.add(u"Root", QStringLiteral("filler%1").arg(i), QStringLiteral("Get_F%1_x").arg(i));
    tree.add(u"Root", u"far", u"Transform T1"); // the second item of this text, far behind the first
    write(
        "[Selections]\nsel1=Get_F400_x\nsel2=unknown\nsel3=Transform T1\nsel4=Get_F10_x\nsel5=Get_F499_x\n");
    events.onYield = [this] {
        if (events.yields == 2)
            tree.setChecked(1, true); // a tick meanwhile changes nothing of the matching
    };
    EXPECT_EQ(load(), 2) << "Get_F10_x and Get_F499_x lie before the matched Transform T1";
    EXPECT_EQ(tickedTexts(tree), QStringList({"File", "Get_F400_x", "Transform T1"}));
    EXPECT_TRUE(tree.checked(tree.count())) << "the later Transform T1, after Get_F400_x";
}

} // namespace

TEST_F(SelectionsFileTest, LoadingFromANamedFileAsksNoDialogAndMatchesTheSameWay)
{
    write("[Selections]\nsel1=On_T1_translation\nsel2=Get_T1_translation\nsel3=translation\n");
    ini.SetINITarget("elsewhere", "s");
    EXPECT_EQ(SelectionsFile::LoadSelectionsFrom(tree, ini, events, file), 2);
    EXPECT_EQ(tickedTexts(tree), QStringList({"On_T1_translation", "translation"}));
    EXPECT_TRUE(dialog.calls.empty());
    expectTargetOnSettings();
    EXPECT_EQ(SelectionsFile::LoadSelectionsFrom(tree, ini, events, folder.filePath("none.x3ds")), 0);
}
