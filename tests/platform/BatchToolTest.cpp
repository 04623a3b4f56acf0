#include "BatchOptions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using vendrel::BatchOptions;

namespace {

struct ToolRun
{
    int status = -1;
    QString out;
    QString err;
};

/// Runs the tool as a user would; it brings its own virtual display when there is none.
ToolRun batch(const QStringList& arguments, bool withDisplay = true)
{
    QProcess process;
    if (!withDisplay) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(VENDREL_BATCH_TOOL), arguments);
    ToolRun run;
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString world(const char* name)
{
    return QStringLiteral(VENDREL_TEST_WORLDS "/") + QString::fromUtf8(name);
}

TEST(BatchOptions, ReadsEachCommandsOptions)
{
    QString error;
    auto options =
        BatchOptions::parse({"script", "--get", "--on", "--select", "T1", "--select", "M", "-o", "out.js",
                             "--selections", "a.x3ds", "--named", "--timeout", "5", "w.wrl"},
                            &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->command, BatchOptions::Command::Script);
    EXPECT_TRUE(options->get && options->on && options->named);
    EXPECT_FALSE(options->set);
    EXPECT_EQ(options->selectNames, QStringList({"T1", "M"}));
    EXPECT_EQ(options->output, "out.js");
    EXPECT_EQ(options->selectionsFile, "a.x3ds");
    EXPECT_EQ(options->timeoutSeconds, 5);
    EXPECT_EQ(options->target, "w.wrl");

    options = BatchOptions::parse({"tree", "w.wrl"}, &error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->timeoutSeconds, 60);
    EXPECT_FALSE(options->named);
}

TEST(BatchOptions, BadUsageIsRefusedWithAReason)
{
    const QList<QStringList> bad = {
        {},
        {"draw", "w.wrl"},
        {"tree"},
        {"tree", "a.wrl", "b.wrl"},
        {"tree", "--get", "w.wrl"},
        {"sweep", "--named", "dir"},
        {"tree", "--timeout", "0", "w.wrl"},
        {"tree", "--timeout", "soon", "w.wrl"},
        {"tree", "w.wrl", "--timeout"},
        {"script", "--select"},
        {"script", "-o"},
    };
    for (const QStringList& arguments : bad) {
        QString error;
        EXPECT_FALSE(BatchOptions::parse(arguments, &error)) << arguments.join(u' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(BatchTool, TreePrintsIndexKeyAndTextPerItem)
{
    const ToolRun all = batch({"tree", world("xml.x3d")});
    ASSERT_EQ(all.status, 0) << all.err.toStdString();
    const QStringList lines = all.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 20);
    EXPECT_EQ(lines[0], "1\tRoot\tFile");
    EXPECT_EQ(lines[1], "2\tRoot_0\tGroup G");
    EXPECT_TRUE(lines.contains("17\tRoot_0_0\tTransform Left")) << all.out.toStdString();
    EXPECT_TRUE(all.out.contains("\tGet_fRoot_0_0_0_1\tGet_Left_pointerEvents_pointerEvents\n"))
        << "All is ticked";

    const ToolRun named = batch({"tree", "--named", world("xml.x3d")});
    ASSERT_EQ(named.status, 0);
    EXPECT_TRUE(named.out.contains("\tfRoot_0_0_0_1\tpointerEvents\n")) << "--named leaves All unticked";
    EXPECT_FALSE(named.out.contains("Get_Left_pointerEvents"));
}

TEST(BatchTool, AWorldThatCannotBeLoadedEndsWithStatusThree)
{
    const ToolRun missing = batch({"tree", world("missing.wrl")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains(QUrl::fromLocalFile(world("missing.wrl")).toString()))
        << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Couldn't find the file")));

    const ToolRun vrml1 = batch({"tree", world("vrml1.wrl")});
    EXPECT_EQ(vrml1.status, 3);
    EXPECT_TRUE(vrml1.err.contains(QStringLiteral("vrml1.wrl")));
}

TEST(BatchTool, BadUsageEndsWithStatusTwo)
{
    const ToolRun bad = batch({"tree"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("Usage:")));
    EXPECT_EQ(batch({"sweep", world("xml.x3d")}).status, 2) << "not a folder";
    EXPECT_EQ(batch({"--help"}).status, 0);
}

TEST(BatchTool, SweepReportsEveryWorldAndATotal)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    ASSERT_TRUE(QFile::copy(world("xml.x3d"), folder.filePath(QStringLiteral("a.x3d"))));
    ASSERT_TRUE(QFile::copy(world("vrml1.wrl"), folder.filePath(QStringLiteral("sub/b.wrl"))));
    ASSERT_TRUE(QFile::copy(world("classic.x3dv"), folder.filePath(QStringLiteral("sub/c.x3dv"))));
    ASSERT_TRUE(QFile::copy(world("xml.x3d"), folder.filePath(QStringLiteral("notes.txt"))));

    const ToolRun run = batch({"sweep", "--timeout", "30", folder.path()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
    const QStringList a = lines[0].split(u'\t');
    ASSERT_EQ(a.size(), 5);
    EXPECT_EQ(a[0], folder.filePath(QStringLiteral("a.x3d")));
    EXPECT_EQ(a[1], "loaded");
    EXPECT_GT(a[2].toInt(), 0);
    EXPECT_GT(a[4].toInt(), 20);
    EXPECT_TRUE(lines[1].startsWith(folder.filePath(QStringLiteral("sub/b.wrl")) +
                                    QStringLiteral("\tfailed\t0\t0\t0")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("\tloaded\t")));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("total\t3 worlds: 2 loaded, 1 failed, 0 timeout\t")))
        << lines[3].toStdString();
}

TEST(BatchTool, ScriptSaysItIsNotAvailableYet)
{
    const ToolRun run = batch({"script", "--get", world("xml.x3d")});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("not available yet")));
}

} // namespace

namespace {

TEST(BatchTool, AWedgedPageEndsInATimeoutAndTheSweepGoesOn)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QFile::copy(world("wedge.x3dv"), folder.filePath(QStringLiteral("a.x3dv"))));
    ASSERT_TRUE(QFile::copy(world("xml.x3d"), folder.filePath(QStringLiteral("b.x3d"))));
    const ToolRun run = batch({"sweep", "--timeout", "3", folder.path()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    EXPECT_EQ(lines[0], folder.filePath(QStringLiteral("a.x3dv")) + QStringLiteral("\ttimeout\t0\t0\t0"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\tloaded\t"))) << "a fresh page after the wedged one";
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("total\t2 worlds: 1 loaded, 0 failed, 1 timeout\t")));

    const ToolRun tree = batch({"tree", "--timeout", "2", world("wedge.x3dv")});
    EXPECT_EQ(tree.status, 3);
    EXPECT_TRUE(tree.err.contains(QStringLiteral("no answer within 2 s"))) << tree.err.toStdString();
}

} // namespace

namespace {

TEST(BatchTool, WithoutADisplayItBringsItsOwn)
{
    const ToolRun run = batch({"tree", "--named", world("proto.x3dv")}, false);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("1\tRoot\tFile\n2\tRoot_0\tBall B\n")));
}

} // namespace
