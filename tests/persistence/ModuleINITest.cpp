#include "persistence/ModuleINI.h"

#include "core/Failure.h"
#include "persistence/SettingsTargetGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ModuleINITest : public testing::Test
{
protected:
    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }

    QTemporaryDir folder;
    ModuleINI ini;
};

TEST_F(ModuleINITest, SettingsLiveInTheConfigurationFolderAskedAtEveryCall)
{
    ini.SetSettingsTarget();
    EXPECT_EQ(ini.INIFileName(), "X3DVendrel");
    EXPECT_EQ(ini.INISection(), "settings");
    const QString settingsPath = qEnvironmentVariable("XDG_CONFIG_HOME") + "/X3DVendrel";
    EXPECT_EQ(ini.targetPath(), settingsPath);

    EXPECT_EQ(ini.ReadINI("file", ""), "");
    EXPECT_FALSE(QFile::exists(settingsPath)) << "a read creates no file";

    ASSERT_TRUE(ini.WriteINI("file", "/worlds/house.wrl"));
    EXPECT_EQ(readBytes(settingsPath), "[settings]\nfile=/worlds/house.wrl\n");

    // Another configuration folder, set after the first use, is honoured at once.
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder.path().toUtf8());
    EXPECT_EQ(ini.ReadINI("file", "none"), "none");
    EXPECT_EQ(ini.targetPath(), path("X3DVendrel"));
    qputenv("XDG_CONFIG_HOME", before);
    EXPECT_EQ(ini.ReadINI("file", "none"), "/worlds/house.wrl");
}

TEST_F(ModuleINITest, AWriteReplacesTheValueInPlaceAndKeepsEveryOtherByte)
{
    const QString file = path("a.ini");
    writeBytes(file, "; kept comment\r\n"
                     "[First]\r\n"
                     "alpha=1\r\n"
                     "; about beta\r\n"
                     "  Beta = 2\r\n"
                     "gamma=3\r\n"
                     "\r\n"
                     "[Settings]\r\n"
                     "File=old\r\n"
                     "zeta=last\r\n"
                     "not an entry\r\n"
                     "; trailing\r\n");
    ini.SetINITarget(file, "settings");
    EXPECT_EQ(ini.ReadINI("FILE", ""), "old") << "section and key are matched without regard to case";
    EXPECT_EQ(ini.ReadINI("beta", "none"), "none") << "keys belong to their section";
    ASSERT_TRUE(ini.WriteINI("file", "new"));
    ini.SetINITarget(file, "first");
    EXPECT_EQ(ini.ReadINI("BETA", ""), "2");
    ASSERT_TRUE(ini.WriteINI("beta", "two"));
    ASSERT_TRUE(ini.WriteINI("delta", "4"));
    ini.SetINITarget(file, "Third");
    ASSERT_TRUE(ini.WriteINI("k", "v"));
    EXPECT_EQ(readBytes(file), "; kept comment\r\n"
                               "[First]\r\n"
                               "alpha=1\r\n"
                               "; about beta\r\n"
                               "  Beta =two\r\n"
                               "gamma=3\r\n"
                               "delta=4\r\n"
                               "\r\n"
                               "[Settings]\r\n"
                               "File=new\r\n"
                               "zeta=last\r\n"
                               "not an entry\r\n"
                               "; trailing\r\n"
                               "[Third]\r\n"
                               "k=v\r\n");
}

TEST_F(ModuleINITest, AByteOrderMarkIsReadAndKept)
{
    const QString file = path("bom.ini");
    writeBytes(file, "\xEF\xBB\xBF[Selections]\nsel1=Größe\n");
    ini.SetINITarget(file, "selections");
    EXPECT_EQ(ini.ReadINI("sel1", ""), "Größe");
    ASSERT_TRUE(ini.WriteINI("sel2", "x"));
    EXPECT_EQ(readBytes(file), "\xEF\xBB\xBF[Selections]\nsel1=Größe\nsel2=x\n");
}

TEST_F(ModuleINITest, MultiLineValuesAreSkippedWholeAndReplacedWhole)
{
    const QString file = path("multi.ini");
    writeBytes(file, "[a]\nm=<<<END\n[b]\nk=1\nEND\n[b]\nk=2\n");
    ini.SetINITarget(file, "b");
    EXPECT_EQ(ini.ReadINI("k", ""), "2");
    ASSERT_TRUE(ini.WriteINI("k", "3"));
    EXPECT_EQ(readBytes(file), "[a]\nm=<<<END\n[b]\nk=1\nEND\n[b]\nk=3\n");
    ini.SetINITarget(file, "a");
    EXPECT_EQ(ini.ReadINI("m", ""), "[b]\nk=1");
    ASSERT_TRUE(ini.WriteINI("m", "one line"));
    EXPECT_EQ(readBytes(file), "[a]\nm=one line\n[b]\nk=3\n");
}

TEST_F(ModuleINITest, AKeyRepeatedInARepeatedSectionIsReplacedEverywhere)
{
    const QString file = path("twice.ini");
    writeBytes(file, "[s]\nk=1\n[t]\nk=x\n[S]\nK=2\n");
    ini.SetINITarget(file, "s");
    EXPECT_EQ(ini.ReadINI("k", ""), "2") << "the later entry wins";
    ASSERT_TRUE(ini.WriteINI("k", "3"));
    EXPECT_EQ(readBytes(file), "[s]\nk=3\n[t]\nk=x\n[S]\nK=3\n");
}

TEST_F(ModuleINITest, LongAndUnicodeValuesRoundTripWhole)
{
    ini.SetINITarget(path("long.ini"), "settings");
    QString longValue;
    for (int i = 0; i < 2000; ++i)
        longValue += QStringLiteral("Ünïcødé-%1 ").arg(i);
    longValue += u"end"; // no trailing blank: blanks around values are not kept
    const QStringList values{QString(299, u'x'),
                             QString(300, u'y'),
                             longValue,
                             "C:\\worlds\\дом.wrl",
                             "line one\nline two",
                             "a=b;c",
                             "<<<TAG",
                             ""};
    for (int i = 0; i < values.size(); ++i)
        ASSERT_TRUE(ini.WriteINI(QStringLiteral("k%1").arg(i), values[i]));
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.ReadINI(QStringLiteral("k%1").arg(i), "default"), values[i]) << i;
}

TEST_F(ModuleINITest, MissingFileSectionOrKeyGiveTheDefault)
{
    ini.SetINITarget(path("none.ini"), "settings");
    EXPECT_EQ(ini.ReadINI("file", "d"), "d");
    writeBytes(path("some.ini"), "[other]\nfile=x\n");
    ini.SetINITarget(path("some.ini"), "settings");
    EXPECT_EQ(ini.ReadINI("file", "d"), "d");
    ini.SetINITarget(path("some.ini"), "other");
    EXPECT_EQ(ini.ReadINI("missing", "d"), "d");
    EXPECT_TRUE(ini.ReadSection().contains("file"));
}

TEST_F(ModuleINITest, AFailedWriteLeavesTheFileAsItWas)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("dir.ini"));
    ini.SetINITarget(path("dir.ini"), "s");
    EXPECT_FALSE(ini.WriteINI("k", "v"));
    EXPECT_EQ(ini.ReadINI("k", "d"), "d");

    ini.SetINITarget(path("missing-folder/sub/x.ini"), "s");
    EXPECT_TRUE(ini.WriteINI("k", "v")) << "folders are made as needed";
    // No temporary files are left beside a written file.
    EXPECT_EQ(QDir(path("missing-folder/sub")).entryList(QDir::Files), QStringList({"x.ini"}));
}

TEST_F(ModuleINITest, ReplaceSectionKeepsOtherSectionsAndCreatesNoEmptyFile)
{
    const QString file = path("r.ini");
    ini.SetINITarget(file, "Selections");
    ASSERT_TRUE(ini.ReplaceSection({}));
    EXPECT_FALSE(QFile::exists(file));

    writeBytes(file, "[Before]\nx=1\n[selections]\nsel9=old\nsel2=older\n\n[After]\ny=2\n");
    ASSERT_TRUE(ini.ReplaceSection({{"sel3", "c"}, {"sel10", "d"}}));
    EXPECT_EQ(readBytes(file), "[Before]\nx=1\n[selections]\nsel3=c\nsel10=d\n[After]\ny=2\n");
    ASSERT_TRUE(ini.ReplaceSection({}));
    EXPECT_EQ(readBytes(file), "[Before]\nx=1\n[After]\ny=2\n");
}

TEST_F(ModuleINITest, TheGuardSendsTheTargetBackToTheSettingsEvenOnFailure)
{
    ini.SetSettingsTarget();
    try {
        SettingsTargetGuard guard(ini, path("sel.x3ds"), "Selections");
        EXPECT_EQ(ini.INISection(), "Selections");
        throw Failure("halfway");
    } catch (const Failure&) {
    }
    EXPECT_EQ(ini.INIFileName(), ModuleINI::settingsFile);
    EXPECT_EQ(ini.INISection(), ModuleINI::settingsSection);
}

} // namespace
