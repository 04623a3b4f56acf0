#include "persistence/SelectionsFile.h"

#include "CountingEventPump.h"
#include "FileBytes.h"
#include "RecordingMessageBox.h"
#include "ScriptedFileDialog.h"
#include "TextTree.h"
#include "core/Failure.h"
#include "persistence/ModuleINI.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vendrel;
using namespace vendrel::test;

namespace {

class SelectionsFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        fillTree(tree, {"Transform T1", "Get_T1_translation", "On_T1_translation", "Set_T1_translation",
                        "Shape", "translation", "translation"});
    }
    SelectionsFile::Result save()
    {
        dialog.answers.push_back(file);
        return SelectionsFile::FileSaveSel_Click(tree, ini, dialog, "/worlds/v1.2/house.wrl", &error);
    }
    SelectionsFile::Result load()
    {
        dialog.answers.push_back(file);
        return SelectionsFile::LoadSelections_Click(tree, ini, dialog, events, messages,
                                                    "/worlds/v1.2/house.wrl");
    }
    QTemporaryDir folder;
    QString file = folder.filePath("house.x3ds");
    QString error;
    SceneTree tree;
    ModuleINI ini;
    ScriptedFileDialog dialog;
    CountingEventPump events;
    RecordingMessageBox messages;
};

TEST_F(SelectionsFileTest, SaveReplacesTheSectionWithTheTickedTextsUnderTheirPositions)
{
    ASSERT_TRUE(save().done);
    EXPECT_FALSE(QFile::exists(file)) << "nothing ticked, no file";
    ASSERT_TRUE(writeBytes(file, "[Mine]\nnote=keep\n[selections]\nsel2=Transform T1\n[After]\n"));
    for (const int i : {3, 4, 8})
        tree.setChecked(i, true);
    EXPECT_EQ(save().items, 3);
    EXPECT_EQ(fileBytes(file), "[Mine]\nnote=keep\n[selections]\nsel3=Get_T1_translation\n"
                               "sel4=On_T1_translation\nsel8=translation\n[After]\n");
    EXPECT_EQ(dialog.calls.at(0).request, FileDialogRequest::make("X3D Settings (*.x3ds)|*.x3ds|", ".x3ds",
                                                                  "/worlds/v1.2/house.x3ds", 4096));
    EXPECT_TRUE(dialog.calls.at(0).save);
    for (const int i : {3, 4, 8})
        tree.setChecked(i, false);
    ASSERT_TRUE(save().done);
    EXPECT_EQ(fileBytes(file), "[Mine]\nnote=keep\n[After]\n");

    file = folder.path();
    EXPECT_EQ(save().done ? "written" : error,
              "Couldn't save the selections to " + file + ": Is a directory");
    EXPECT_EQ(ini.INIFileName(), ModuleINI::settingsFile);
}

TEST_F(SelectionsFileTest, LoadTicksForwardOnlyAndToldWhenAFileHoldsNoSelections)
{
    for (int i = 0; i < 500; ++i)
        tree.add(u"Root", QStringLiteral("filler%1").arg(i), QStringLiteral("Get_F%1_x").arg(i));
    tree.add(u"Root", u"far", u"Transform T1"); // item 509, far behind the first of its text (2)
    const struct
    {
        QByteArray bytes;   // null: no file
        QStringList ticked; // in tree order; none: the file holds no selections
        QStringList unmatched = {};
    } cases[] = {
        // In key order: after Set_ matched at 5 nothing before it matches any more.
        {"[Selections]\r\nsel1=Set_T1_translation\r\nsel2=On_T1_translation\r\nsel3=Get_T1_translation\r\n"
         "sel4=nowhere\r\nSEL5=translation\r\n",
         {"Set_T1_translation", "translation"},
         {"On_T1_translation", "Get_T1_translation", "nowhere"}},
        // Each text ticks the first item after the previous match, near or far (Transform T1 at 509).
        {"[selections]\nsel7=translation\nsel8=translation\nsel9=Get_F400_x\nsel10=Get_F400_x\n"
         "sel11=Transform T1\nsel12=Get_F10_x\nsel900=Shape\n",
         {"translation", "translation", "Get_F400_x", "Transform T1"},
         {"Get_F400_x", "Get_F10_x"}}, // sel900 lies past the tree's count: not read
        {utf16(u"\uFEFF[Selections]\r\nsel1=Shape\r\n"), {"Shape"}},
        {{}, {}},
        {"[Other]\nsel1=Shape\n", {}},
        {utf16(u"[Selections]\r\nsel1=Shape\r\n"), {}},
        {QByteArrayLiteral("\x01\x02\0[Selections]\nsel1=Shape\n"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.left(40).toStdString());
        QFile::remove(file);
        if (!c.bytes.isNull())
            writeBytes(file, c.bytes);
        for (int i = 1; i <= tree.count(); ++i)
            tree.setChecked(i, i == 1); // "File": loading only adds ticks
        messages.messages.clear();
        events.yields = 0;
        const SelectionsFile::Result loaded = load();
        EXPECT_EQ(loaded.done ? loaded.items : -1, c.ticked.isEmpty() ? -1 : c.ticked.size());
        EXPECT_EQ(loaded.unmatched, c.unmatched);
        EXPECT_EQ(tickedTexts(tree), QStringList("File") + c.ticked);
        EXPECT_EQ(events.yields, c.ticked.size()) << "events run after every tick";
        EXPECT_EQ(messages.messages,
                  c.ticked.isEmpty() ? QStringList(file + " holds no selections") : QStringList());
    }
    EXPECT_EQ(dialog.calls.at(0).request,
              FileDialogRequest::make("X3d Settings (*.x3ds)|*.x3ds|", ".x3ds", "/worlds/v1.2/house.x3ds"));
    EXPECT_FALSE(dialog.calls.at(0).save);
}

TEST_F(SelectionsFileTest, WhatTheUserDoesWhileEventsRunIsFollowedAndAFailureSendsTheTargetBack)
{
    writeBytes(file, "[Selections]\nsel1=File\nsel2=Shape\n");
    events.onYield = [this] {
        if (events.yields == 2)
            throw Failure("the user closed the window");
        fillTree(tree, {"Cone", "Shape"}); // "All" clicked meanwhile: matched as the tree is now
    };
    EXPECT_FALSE(load().done);
    EXPECT_EQ(tickedTexts(tree), QStringList("Shape"));
    EXPECT_EQ(ini.INIFileName(), ModuleINI::settingsFile);
}

} // namespace
