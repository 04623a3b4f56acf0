#include "persistence/ModuleINI.h"

#include "FileBytes.h"
#include "ScriptedFileDialog.h"
#include "scene/SceneTree.h"
#include "scriptgen/ScriptGenerator.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

using namespace vendrel;
using namespace vendrel::test;

namespace {

TEST(ModuleINITest, SettingsLiveInTheConfigurationFolderAskedAtEveryCallAndMadeAtTheFirstWrite)
{
    QTemporaryDir folder;
    ModuleINI ini;
    ini.SetSettingsTarget();
    qputenv("XDG_CONFIG_HOME", folder.filePath("new/config").toUtf8()); // after the target was set
    EXPECT_EQ(ini.targetPath(), folder.filePath("new/config/X3DVendrel"));
    EXPECT_EQ(ini.ReadINI("file", ""), "");
    EXPECT_FALSE(QFile::exists(folder.filePath("new"))) << "a read creates nothing";
    ASSERT_TRUE(ini.WriteINI("file", "/worlds/house.wrl"));
    EXPECT_EQ(fileBytes(folder.filePath("new/config/X3DVendrel")), "[settings]\nfile=/worlds/house.wrl\n");
}

TEST(ModuleINITest, AWriteReplacesTheValueWhereItStandsAndKeepsEveryOtherByte)
{
    const QByteArray crlf = "; kept\r\n[First]\r\nalpha=1\r\n; about beta\r\n  Beta = 2\r\n\r\n"
                            "[Settings]\r\nFile=old\r\nnot an entry\r\n";
    const QByteArray multiLine = "[a]\nm=<<<END\n[b]\nk=1\nEND\n[b]\nk=2\n";
    const struct
    {
        QByteArray before;
        const char *section, *key, *read;
        QString value;
        QByteArray after;
    } cases[] = {
        // Section and key names are matched without regard to case; CR LF ends stay.
        {crlf, "settings", "FILE", "old", "new", QByteArray(crlf).replace("File=old", "File=new")},
        {crlf, "first", "beta", "2", "two", QByteArray(crlf).replace("Beta = 2", "Beta =two")},
        {crlf, "first", "delta", "d", "4", QByteArray(crlf).replace("2\r\n\r\n", "2\r\ndelta=4\r\n\r\n")},
        {crlf, "Third", "k", "d", "v", crlf + "[Third]\r\nk=v\r\n"},
        {"\xEF\xBB\xBF[Selections]\nsel1=Größe\n", "selections", "sel1", "Größe", "x",
         "\xEF\xBB\xBF[Selections]\nsel1=x\n"},
        {utf16(u"\uFEFF[Selections]\r\nsel1=Größe\r\n"), "Selections", "sel1", "Größe", "Maß",
         utf16(u"\uFEFF[Selections]\r\nsel1=Maß\r\n")},
        // A multi-line value is skipped whole and replaced whole; a repeated key is replaced everywhere.
        {multiLine, "b", "k", "2", "3", "[a]\nm=<<<END\n[b]\nk=1\nEND\n[b]\nk=3\n"},
        {multiLine, "a", "m", "[b]\nk=1", "one line", "[a]\nm=one line\n[b]\nk=2\n"},
        {"[s]\nk=1\n[t]\nk=x\n[S]\nK=2\n", "s", "k", "2", "3", "[s]\nk=3\n[t]\nk=x\n[S]\nK=3\n"},
        // Any text comes back whole.
        {"[s]\n", "s", "k", "d", "line one\nline two",
         "[s]\nk=<<<END_OF_TEXT\nline one\nline two\nEND_OF_TEXT\n"},
        {"[s]\n", "s", "k", "d", "<<<TAG", "[s]\nk=<<<END_OF_TEXT\n<<<TAG\nEND_OF_TEXT\n"},
    };
    QTemporaryDir folder;
    const QString file = folder.filePath("edit.ini");
    ModuleINI ini;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after.toStdString());
        ASSERT_TRUE(writeBytes(file, c.before));
        ini.SetINITarget(file, c.section);
        EXPECT_EQ(ini.ReadINI(c.key, "d"), c.read);
        EXPECT_TRUE(ini.WriteINI(c.key, c.value));
        EXPECT_EQ(fileBytes(file), c.after);
        EXPECT_EQ(ini.ReadINI(c.key, "d"), c.value);
    }
}

TEST(FullDiskTest, SettingsSelectionsAndScriptsSayWhyTheyFailedAndKeepTheEarlierFile)
{
    QTemporaryDir folder;
    const QString settings = qEnvironmentVariable("XDG_CONFIG_HOME") + "/X3DVendrel";
    const QString selections = folder.filePath("world.x3ds"), script = folder.filePath("world.js");
    const QByteArray earlier = "[Before]\nx=1\n[Selections]\nsel1=old\n[After]\ny=2\n";
    for (const QString& file : {settings, selections, script})
        ASSERT_TRUE(writeBytes(file, earlier));
    // In a child process whose files cannot grow past 16 bytes, as on a full disk, until it tells the
    // answers.
    const auto writeOnAFullDisk = [&] {
        signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
        const rlimit limit{16, RLIM_INFINITY}, unlimited{RLIM_INFINITY, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        QString reason;
        QStringList answers;
        ModuleINI ini;
        ini.SetSettingsTarget();
        answers << (ini.WriteINI("file", "/worlds/world.wrl", &reason) ? "written" : reason);
        ini.SetINITarget(selections, "Selections");
        answers << (ini.ReplaceSection({{"sel1", "Get_T1_translation"}}, &reason) ? "written" : reason);
        SceneTree tree;
        ScriptedFileDialog dialog;
        dialog.answers.push_back(script);
        answers << (ScriptGenerator(tree).CommandGo_Click("world.wrl", dialog, &reason) ? "written" : reason);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        qInfo("<%s>", qPrintable(answers.join("><")));
        _exit(0);
    };
    EXPECT_EXIT(writeOnAFullDisk(), testing::ExitedWithCode(0),
                "<File too large><File too large><Couldn't write " + script.toStdString() +
                    ": File too large>");
    for (const QString& file : {settings, selections, script})
        EXPECT_EQ(fileBytes(file), earlier) << file.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"world.js", "world.x3ds"}))
        << "no temporary file is left";
}

} // namespace
