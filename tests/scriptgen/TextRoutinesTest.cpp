#include "scriptgen/TextRoutines.h"
#include "core/Failure.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace vendrel;

namespace {

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void writeRaw(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(TextRoutinesTest, FileNamePartTakesWhatFollowsTheLastSeparator)
{
    EXPECT_EQ(TextRoutines::FileNamePart(u"C:\\worlds\\scene.wrl"), "scene.wrl");
    EXPECT_EQ(TextRoutines::FileNamePart(u"http://example.org/dir/scene.wrl"), "scene.wrl");
    EXPECT_EQ(TextRoutines::FileNamePart(u"C:scene.wrl"), "scene.wrl");
    EXPECT_EQ(TextRoutines::FileNamePart(u"/home/me/worlds/"), "");
    EXPECT_EQ(TextRoutines::FileNamePart(u"C:\\worlds\\"), "");
    EXPECT_EQ(TextRoutines::FileNamePart(u"scene.wrl"), "scene.wrl");
    EXPECT_EQ(TextRoutines::FileNamePart(u""), "");
    EXPECT_EQ(TextRoutines::FileNamePart(u"a/b\\c:d"), "d");
}

TEST(TextRoutinesTest, StripExtensionCutsAtTheLastDotAnywhere)
{
    EXPECT_EQ(TextRoutines::StripExtension(u"scene.wrl"), "scene");
    EXPECT_EQ(TextRoutines::StripExtension(u"a.b.c"), "a.b");
    EXPECT_EQ(TextRoutines::StripExtension(u"scene."), "scene");
    EXPECT_EQ(TextRoutines::StripExtension(u".wrl"), "");
    EXPECT_EQ(TextRoutines::StripExtension(u"noext"), "noext");
    EXPECT_EQ(TextRoutines::StripExtension(u"C:\\my.dir\\scene"), "C:\\my");
    EXPECT_EQ(TextRoutines::StripExtension(u"http://www.example.org/worlds/"), "http://www.example");
    EXPECT_EQ(TextRoutines::StripExtension(u""), "");
    EXPECT_EQ(TextRoutines::StripExtension(u"C:\\w\\scene.wrl") + ".js", "C:\\w\\scene.js");
    EXPECT_EQ(TextRoutines::StripExtension(u"C:\\w\\scene.wrl") + ".x3ds", "C:\\w\\scene.x3ds");
}

TEST(TextRoutinesTest, NamesLongerThanSixteenBitCountsWork)
{
    const QString folder = QString(40000, u'd');
    const QString path = folder + "/" + QString(40000, u'n') + ".wrl";
    EXPECT_EQ(TextRoutines::FileNamePart(path), QString(40000, u'n') + ".wrl");
    EXPECT_EQ(TextRoutines::StripExtension(path), folder + "/" + QString(40000, u'n'));
}

TEST(TextRoutinesTest, WriteTextFileReplacesOrAppendsInUtf8WithoutByteOrderMark)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("out.js");

    writeRaw(name, QByteArray(100, 'x'));
    TextRoutines::WriteTextFile(name, u"// Grüße\r\n", false);
    EXPECT_EQ(readAll(name), QByteArray("// Gr\xc3\xbc\xc3\x9f"
                                        "e\r\n"));

    TextRoutines::WriteTextFile(name, u"more\r\n", true);
    EXPECT_EQ(readAll(name), QByteArray("// Gr\xc3\xbc\xc3\x9f"
                                        "e\r\nmore\r\n"));

    const QString fresh = dir.filePath("fresh.js");
    TextRoutines::WriteTextFile(fresh, u"first", true);
    EXPECT_EQ(readAll(fresh), "first");

    const QByteArray a = "one ", b = "two";
    TextRoutines::WriteUtf8File(fresh, {QByteArrayView(a), QByteArrayView(b)}, true);
    EXPECT_EQ(readAll(fresh), "firstone two");

    TextRoutines::WriteTextFile(fresh, u"", false);
    EXPECT_EQ(readAll(fresh), "");
    // Nothing but the target is left in the folder (no temporary files).
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"fresh.js", "out.js"}));
}

TEST(TextRoutinesTest, WriteTextFileFailsWithoutTouchingAnEarlierFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    // A folder of that name cannot be replaced by a file.
    const QString folder = dir.filePath("taken.js");
    ASSERT_TRUE(QDir().mkdir(folder));
    writeRaw(folder + "/inside.txt", "kept");
    EXPECT_THROW(TextRoutines::WriteTextFile(folder, u"new", false), Failure);
    EXPECT_EQ(readAll(folder + "/inside.txt"), "kept");

    // A "folder" that is a file cannot hold one.
    const QString plain = dir.filePath("plain");
    writeRaw(plain, "kept");
    EXPECT_THROW(TextRoutines::WriteTextFile(plain + "/out.js", u"new", false), Failure);
    EXPECT_THROW(TextRoutines::WriteTextFile(plain + "/out.js", u"new", true), Failure);
    EXPECT_EQ(readAll(plain), "kept");
}

TEST(TextRoutinesTest, WriteTextFileFailsInAFolderThatIsNotWritable)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the superuser";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("old.js");
    writeRaw(name, "old content");
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_THROW(TextRoutines::WriteTextFile(name, u"new", false), Failure);
    EXPECT_THROW(TextRoutines::WriteTextFile(name, u"new", true), Failure);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(name), "old content");
}
