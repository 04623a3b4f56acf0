#include "BatchOptions.h"
#include "CountingEventPump.h"
#include "ScriptTicks.h"
#include "TextTree.h"
#include "core/FileReader.h"
#include "persistence/ModuleINI.h"
#include "platform/HostLibrary.h"
#include "scene/SceneTree.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace vendrel;

namespace {

struct ToolRun
{
    int status = -1;
    QByteArray out;
    QString err;
};

/// Runs the tool as a user would; it brings its own virtual display when there is none. A run still
/// going after 50 s (more than a load's default time limit) is ended and counts as failed.
ToolRun batch(const QStringList& arguments, bool withDisplay = true)
{
    QProcess process;
    if (!withDisplay) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(VENDREL_BATCH_TOOL), arguments);
    ToolRun run;
    if (!process.waitForFinished(50000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString world(const char* name)
{
    return QStringLiteral(VENDREL_TEST_WORLDS "/") + QString::fromUtf8(name);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(BatchOptions, ReadsEachCommandsOptions)
{
    QString error;
    auto options = BatchOptions::parse({"script", "--get", "--on", "--select", "T1", "--select", "M", "-o",
                                        "out.js", "--selections", "a.x3ds", "--named", "--timeout", "5",
                                        "--max-items", "70", "--with-host", "w.wrl"},
                                       &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->command, BatchOptions::Command::Script);
    EXPECT_TRUE(options->get && options->on && options->named && options->withHost);
    EXPECT_FALSE(options->set);
    EXPECT_EQ(options->selectNames, QStringList({"T1", "M"}));
    EXPECT_EQ(options->output, "out.js");
    EXPECT_EQ(options->selectionsFile, "a.x3ds");
    EXPECT_EQ(options->timeoutSeconds, 5);
    EXPECT_EQ(options->maxItems, 70);
    EXPECT_EQ(options->target, "w.wrl");

    options = BatchOptions::parse({"tree", "--allow-network", "--", "-w.wrl"}, &error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->target, "-w.wrl");
    EXPECT_TRUE(options->allowNetwork);

    options = BatchOptions::parse({"check", "--set", "--strict", "w.wrl"}, &error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->command, BatchOptions::Command::Check);
    EXPECT_TRUE(options->set && options->strict);

    options = BatchOptions::parse({"sweep", "dir"}, &error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->command, BatchOptions::Command::Sweep);
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
        {"tree", "--max-items", "0", "w.wrl"},
        {"sweep", "--max-items", "3000000000", "dir"},
        {"script", "--select"},
        {"script", "-o", "", "w.wrl"},
        {"script", "--with-host", "w.wrl"}, // there is no folder to write it to
        {"tree", "--with-host", "w.wrl"},
        {"check", "-o", "out.js", "w.wrl"},
        {"tree", "--strict", "w.wrl"},
        {"script", "--selections", "", "w.wrl"},
        {"tree", "-w.wrl"},
        {"tree", "--", "a.wrl", "b.wrl"},
    };
    for (const QStringList& arguments : bad) {
        QString error;
        EXPECT_FALSE(BatchOptions::parse(arguments, &error)) << arguments.join(u' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(ScriptTicks, FlagsSelectAndASelectionsFileEachOnlyAddTicks)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    writeFile(folder.filePath(QStringLiteral("t.x3ds")),
              "[Selections]\nsel1=Get_T1_scale\nsel2=On_Lamp_on\n");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path())); // a selections file named relatively is read from here
    const struct
    {
        QStringList arguments;
        QStringList ticked;
    } rows[] = {
        {{}, {}},
        {{"--get"}, {"Get_T1_translation", "Get_T1_scale", "Get_Lamp_on"}},
        {{"--on", "--set"}, {"On_T1_translation", "Set_T1_translation", "Set_T1_scale", "On_Lamp_on"}},
        {{"--get", "--on", "--select", "translation", "--select", "Lamp"},
         {"Get_T1_translation", "On_T1_translation", "Get_Lamp_on", "On_Lamp_on"}},
        {{"--set", "--select", "scale", "--selections", "t.x3ds"},
         {"Get_T1_scale", "Set_T1_scale", "On_Lamp_on"}},
    };
    for (const auto& row : rows) {
        SceneTree tree;
        test::fillTree(tree,
                       {"Transform T1", "Get_T1_translation", "On_T1_translation", "Set_T1_translation",
                        "Get_T1_scale", "Set_T1_scale", "PointLight Lamp", "Get_Lamp_on", "On_Lamp_on"});
        QString error;
        const auto options =
            BatchOptions::parse(QStringList({"script"}) + row.arguments + QStringList({"w"}), &error);
        ASSERT_TRUE(options) << error.toStdString();
        ModuleINI ini;
        test::CountingEventPump events;
        const QString arguments = row.arguments.join(u' ');
        EXPECT_TRUE(ScriptTicks::apply(tree, *options, ini, events)) << arguments.toStdString();
        EXPECT_EQ(test::tickedTexts(tree), row.ticked) << arguments.toStdString();
    }
    QDir::setCurrent(before);
}

// The virtual display the tool starts for itself ends with it, however the tool ends.
TEST(BatchTool, ItsVirtualDisplayEndsWithIt)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VENDREL_BATCH_TOOL), {"tree", world("wedge.x3dv")});
        const QString children = QStringLiteral("/proc/%1/task/%1/children").arg(process.processId());
        qint64 display = 0;
        for (int i = 0; i < 200 && display == 0; ++i, QThread::msleep(50)) {
            QFile list(children);
            if (list.open(QIODevice::ReadOnly))
                display = list.readAll().split(' ').value(0).trimmed().toLongLong();
        }
        ASSERT_GT(display, 0) << "no virtual display started";
        QThread::msleep(500); // its signal handlers are in place once it runs
        ::kill(pid_t(process.processId()), signal);
        process.waitForFinished(20000);
        bool gone = false;
        for (int i = 0; i < 200 && !gone; ++i, QThread::msleep(50))
            gone = ::kill(pid_t(display), 0) != 0;
        EXPECT_TRUE(gone) << "the display outlived the tool after signal " << signal;
    }
}

TEST(BatchTool, TreePrintsIndexKeyAndTextPerItemWithoutADisplayToo)
{
    const ToolRun run = batch({"tree", "--named", world("xml.x3d")}, false);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("1\tRoot\tFile\n2\tRoot_0\tGroup G\n3\tGet_fRoot_0_0\tGet_G_metadata\n"));
    EXPECT_TRUE(
        run.out.endsWith("\n17\tRoot_0_0\tWorldInfo\n18\tfRoot_0_0_0\tmetadata\n19\tfRoot_0_0_1\ttitle\n"
                         "20\tfRoot_0_0_2\tinfo\n"))
        << "--named leaves \"All\" unticked: " << run.out.toStdString();
}

TEST(BatchTool, ScriptOfTheExampleWorldIsTheExampleScript)
{
    // The example page's items: two by --select, the others in a selections file, in tree order.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString selections = folder.filePath(QStringLiteral("demo.x3ds"));
    writeFile(selections,
              "[Selections]\r\nsel1=Set_Cam_position\r\nsel2=Get_LeftPillar_colour\r\n"
              "sel3=Set_LeftPillar_colour\r\nsel4=Set_Stage_colour_colour\r\n"
              "sel5=Get_Stage_position_position\r\nsel6=Set_Caption_string\r\n"
              "sel7=Set_Clock_startTime\r\nsel8=Set_Hop_keyValue\r\nsel9=Set_Counter_touched\r\n");
    const ToolRun run = batch({"script", "--get", "--on", "--select", "Counter_clicks", "--selections",
                               selections, QStringLiteral(VENDREL_EXAMPLE_WORLD)});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QFile example(QStringLiteral(VENDREL_EXAMPLE_SCRIPT));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly));
    const QByteArray expected = example.readAll();
    const auto differ = std::mismatch(run.out.begin(), run.out.end(), expected.begin(), expected.end());
    EXPECT_EQ(run.out, expected) << "first difference at byte " << (differ.first - run.out.begin());

    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    EXPECT_TRUE(QDir(config).isEmpty()) << "the settings are left alone";
}

TEST(BatchTool, CheckPrintsTheFindingsAndFailsWithStrict)
{
    const ToolRun run = batch({"check", "--get", "--select", "IO", "--strict", world("joined.x3dv")});
    EXPECT_EQ(run.status, 4) << run.err.toStdString();
    EXPECT_EQ(run.out, "2 functions, 1 warnings\n");
    const QStringList warnings = run.err.split(u'\n').filter(QRegularExpression("^warning: "));
    EXPECT_EQ(warnings, QStringList({"warning: duplicate-name: Get_Ssfbool_IO: function GetSsfboolIO is also "
                                     "defined by Get_S_sfboolIO"}));
}

TEST(BatchTool, SweepReportsEveryWorldAndATotal)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    const QString loaded = folder.filePath(QStringLiteral("a.x3d"));
    const QString failed = folder.filePath(QStringLiteral("sub/b.wrl"));
    const QString wedged = folder.filePath(QStringLiteral("sub/c.x3dv"));
    ASSERT_TRUE(QFile::copy(world("xml.x3d"), loaded));
    ASSERT_TRUE(QFile::copy(world("vrml1.wrl"), failed));
    ASSERT_TRUE(QFile::copy(world("wedge.x3dv"), wedged));
    ASSERT_TRUE(QFile::copy(world("xml.x3d"), folder.filePath(QStringLiteral("notes.txt"))));

    const ToolRun run = batch({"sweep", "--timeout", "10", folder.path()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(loaded + QStringLiteral("\tloaded\t"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\t23"))) << "the items, \"All\" ticked";
    EXPECT_EQ(lines[1], failed + QStringLiteral("\tfailed\t0\t0\t0"));
    EXPECT_EQ(lines[2], wedged + QStringLiteral("\ttimeout\t0\t0\t0"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("total\t3 worlds: 1 loaded, 1 failed, 1 timeout\t")))
        << lines[3].toStdString();
}

TEST(BatchTool, EachOutcomeHasItsExitStatusAndAFailureItsMessage)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const struct
    {
        QStringList arguments;
        int status;
    } rows[] = {
        {{"--help"}, 0},
        {{"tree"}, 2},
        {{"sweep", world("xml.x3d")}, 2}, // not a folder
        {{"script", "--get", "-o", folder.filePath(QStringLiteral("no/such/out.js")), world("xml.x3d")}, 2},
        {{"script", "-o", folder.filePath(QStringLiteral("vendrel-host.js")), "--with-host",
          world("xml.x3d")},
         2},
        {{"tree", world("missing.wrl")}, 3},
    };
    for (const auto& row : rows) {
        const ToolRun run = batch(row.arguments);
        EXPECT_EQ(run.status, row.status) << row.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err.isEmpty(), row.status == 0) << run.err.toStdString();
    }
    EXPECT_EQ(
        batch({"script", "-o", folder.filePath(QStringLiteral("out.js")), "--with-host", world("xml.x3d")})
            .status,
        0);
    QByteArray shipped;
    QByteArray beside;
    ASSERT_TRUE(FileReader::read(HostLibrary::path(), shipped, nullptr));
    ASSERT_TRUE(FileReader::read(folder.filePath(HostLibrary::fileName), beside, nullptr));
    EXPECT_EQ(beside, shipped) << "--with-host puts the library beside the script";
}

} // namespace
