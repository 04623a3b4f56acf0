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
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <utility>

using namespace vendrel;

namespace {

struct ToolRun
{
    int status = -1;
    QByteArray out;
    QString err;
};

/// Runs the tool as a user would, in the test's environment changed by `changes` (an empty value
/// removes the variable); it brings its own virtual display when there is none. A run still going after
/// 50 s (more than a load's default time limit) is ended and counts as failed.
ToolRun batch(const QStringList& arguments, const QList<std::pair<QString, QString>>& changes = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : changes) {
        if (value.isEmpty())
            environment.remove(name);
        else
            environment.insert(name, value);
    }
    process.setProcessEnvironment(environment);
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

    options = BatchOptions::parse({"tree", "--allow-network", "--timeout=7", "--", "-w.wrl"}, &error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->target, "-w.wrl");
    EXPECT_EQ(options->timeoutSeconds, 7);
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

TEST(BatchOptions, HelpAndVersionWinAfterAnyCommand)
{
    const struct
    {
        QStringList arguments;
        BatchOptions::Command command;
    } rows[] = {
        {{"help"}, BatchOptions::Command::Help},
        {{"script", "--help"}, BatchOptions::Command::Help},
        {{"tree", "w.wrl", "-h"}, BatchOptions::Command::Help},
        {{"sweep", "--named", "--help"}, BatchOptions::Command::Help}, // refused without it
        {{"--version"}, BatchOptions::Command::Version},
        {{"check", "--version"}, BatchOptions::Command::Version},
        {{"script", "--select", "--help", "w.wrl"}, BatchOptions::Command::Script}, // a name
    };
    for (const auto& row : rows) {
        QString error;
        const auto options = BatchOptions::parse(row.arguments, &error);
        ASSERT_TRUE(options) << row.arguments.join(u' ').toStdString() << ": " << error.toStdString();
        EXPECT_EQ(options->command, row.command) << row.arguments.join(u' ').toStdString();
    }
}

TEST(BatchOptions, BadUsageIsRefusedWithAReason)
{
    const struct
    {
        QStringList arguments;
        const char* error;
    } rows[] = {
        {{}, "No command given"},
        {{"draw", "w.wrl"}, "Unknown command: draw"},
        {{"tree"}, "No world given"},
        {{"sweep"}, "No folder given"},
        {{"tree", "a.wrl", "b.wrl"}, "Only one world may be given"},
        {{"sweep", "a", "b"}, "Only one folder may be given"},
        {{"tree", "--get", "w.wrl"}, "Unknown option for tree: --get"},
        {{"sweep", "--named", "dir"}, "Unknown option for sweep: --named"},
        {{"sweep", "--select", "x", "dir"}, "Unknown option for sweep: --select"},
        {{"tree", "--named=yes", "w.wrl"}, "Unknown option for tree: --named=yes"},
        {{"tree", "--timeout", "0", "w.wrl"}, "--timeout needs a number of seconds (1 to 86400)"},
        {{"tree", "--timeout", "soon", "w.wrl"}, "--timeout needs a number of seconds (1 to 86400)"},
        {{"tree", "w.wrl", "--timeout"}, "--timeout needs a number of seconds (1 to 86400)"},
        {{"tree", "--max-items", "0", "w.wrl"}, "--max-items needs a number of items (1 to 2147483647)"},
        {{"sweep", "--max-items", "3000000000", "dir"},
         "--max-items needs a number of items (1 to 2147483647)"},
        {{"script", "--select"}, "--select needs a name"},
        {{"script", "-o", "", "w.wrl"}, "-o needs a file"},
        {{"script", "w.wrl", "-o"}, "-o needs a file"},
        {{"script", "--with-host", "w.wrl"}, "--with-host needs -o"}, // there is no folder to write it to
        {{"check", "--with-host", "w.wrl"}, "--with-host needs -o"},
        {{"tree", "--with-host", "w.wrl"}, "Unknown option for tree: --with-host"},
        {{"check", "-o", "out.js", "w.wrl"}, "Unknown option for check: -o"},
        {{"tree", "--strict", "w.wrl"}, "Unknown option for tree: --strict"},
        {{"script", "--selections", "", "w.wrl"}, "--selections needs a file"},
        {{"tree", "-w.wrl"}, "Unknown option for tree: -w.wrl"},
        {{"tree", "--", "a.wrl", "b.wrl"}, "Only one world may be given"},
        {{"page", "--get", "w.wrl"}, "page needs -o DIR"},
        {{"page", "w.wrl", "-o"}, "-o needs a folder"},
        {{"page", "--with-host", "-o", "d", "w.wrl"}, "Unknown option for page: --with-host"},
    };
    for (const auto& row : rows) {
        QString error;
        EXPECT_FALSE(BatchOptions::parse(row.arguments, &error)) << row.arguments.join(u' ').toStdString();
        EXPECT_EQ(error, row.error) << row.arguments.join(u' ').toStdString();
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

// Without a display and with a runtime folder Qt would complain about, stderr stays empty all the same.
TEST(BatchTool, TreePrintsIndexKeyAndTextPerItemWithoutADisplayToo)
{
    const ToolRun run = batch({"tree", "--named", world("xml.x3d")},
                              {{"DISPLAY", ""}, {"XDG_RUNTIME_DIR", QDir::tempPath()}});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err.toStdString(), "");
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
    QFile example(QStringLiteral(VENDREL_EXAMPLE_SCRIPT));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly));
    const QByteArray expected = example.readAll();
    // The page command writes the same script into its folder, beside what the page needs.
    const QString page = folder.filePath(QStringLiteral("page"));
    const struct
    {
        QStringList command;
        QString script; // "" for standard output
        QStringList beside;
    } rows[] = {
        {{"script"}, {}, {}},
        {{"page", "-o", page},
         page + QStringLiteral("/vendrel-demo.js"),
         {"index.html", "vendrel-host.js", "x_ite/x_ite.min.js", "world/vendrel-demo.x3dv"}},
    };
    for (const auto& row : rows) {
        const ToolRun run =
            batch(row.command + QStringList{"--get", "--on", "--select", "Counter_clicks", "--selections",
                                            selections, QStringLiteral(VENDREL_EXAMPLE_WORLD)});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        QByteArray script = run.out;
        if (!row.script.isEmpty()) {
            ASSERT_TRUE(FileReader::read(row.script, script, nullptr));
        }
        const auto differ = std::mismatch(script.begin(), script.end(), expected.begin(), expected.end());
        EXPECT_EQ(script, expected) << row.command[0].toStdString() << ": first difference at byte "
                                    << (differ.first - script.begin());
        for (const QString& file : row.beside)
            EXPECT_TRUE(QFileInfo(page + u'/' + file).isFile()) << file.toStdString();
    }

    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    EXPECT_TRUE(QDir(config).isEmpty()) << "the settings are left alone";
}

TEST(BatchTool, CheckPrintsTheFindingsAndFailsWithStrict)
{
    const ToolRun run = batch({"check", "--get", "--select", "IO", "--strict", world("joined.x3dv")});
    EXPECT_EQ(run.status, 4) << run.err.toStdString();
    EXPECT_EQ(run.out, "2 functions, 1 warnings\n");
    EXPECT_EQ(run.err.split(u'\n', Qt::SkipEmptyParts),
              QStringList({"warning: duplicate-name: Get_Ssfbool_IO: function GetSsfboolIO is also "
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
        const char* out = ""; // a pattern
    } rows[] = {
        {{"--help"}, 0, "^Usage:\n  x3d-vendrel-batch tree "},
        {{"script", "--help"}, 0, "^Usage:\n"},
        {{"--version"}, 0, "^x3d-vendrel-batch \\d+\\.\\d+\\.\\d+\nX_ITE \\d+\\.\\d+\\.\\d+\n$"},
        {{"tree"}, 2},
        {{"sweep", world("xml.x3d")}, 2}, // not a folder
        {{"script", "--get", "-o", folder.filePath(QStringLiteral("no/such/out.js")), world("xml.x3d")}, 2},
        {{"script", "-o", folder.filePath(QStringLiteral("vendrel-host.js")), "--with-host",
          world("xml.x3d")},
         2},
        {{"tree", world("missing.wrl")}, 3},
        {{"page", "-o", world("xml.x3d"), world("xml.x3d")}, 2}, // a file, not a folder
    };
    for (const auto& row : rows) {
        const ToolRun run = batch(row.arguments, {{"DISPLAY", ""}}); // help and version need no display
        EXPECT_EQ(run.status, row.status) << row.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.err.isEmpty(), row.status == 0) << run.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(run.out).contains(QRegularExpression(row.out)))
            << run.out.toStdString();
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
