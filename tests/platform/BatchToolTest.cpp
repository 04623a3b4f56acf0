#include "BatchOptions.h"
#include "CountingEventPump.h"
#include "persistence/ModuleINI.h"
#include "scene/SceneTree.h"
#include "ScriptTicks.h"
#include "TextTree.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using vendrel::BatchOptions;
using vendrel::ModuleINI;
using vendrel::SceneTree;
using vendrel::ScriptTicks;
using vendrel::test::fillTree;
using vendrel::test::tickedTexts;
namespace test = vendrel::test;

namespace {

struct ToolRun
{
    int status = -1;
    QString out;
    QString err;
    QByteArray outBytes;
};

/// Runs the tool as a user would; it brings its own virtual display when there is none.
ToolRun batch(const QStringList& arguments, bool withDisplay = true, const QString& workingFolder = {})
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
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
    run.outBytes = process.readAllStandardOutput();
    run.out = QString::fromUtf8(run.outBytes);
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString world(const char* name)
{
    return QStringLiteral(VENDREL_TEST_WORLDS "/") + QString::fromUtf8(name);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
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
        {"script", "-o", "", "w.wrl"},
        {"script", "--selections", "", "w.wrl"},
    };
    for (const QStringList& arguments : bad) {
        QString error;
        EXPECT_FALSE(BatchOptions::parse(arguments, &error)) << arguments.join(u' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

class ScriptTicksTest : public testing::Test
{
protected:
    void SetUp() override
    {
        fillTree(tree, {"Transform T1", "Get_T1_translation", "On_T1_translation", "Set_T1_translation",
                        "Get_T1_scale", "Set_T1_scale", "PointLight Lamp", "Get_Lamp_on", "On_Lamp_on"});
    }
    QStringList tick(const QStringList& arguments)
    {
        QString error;
        const auto options =
            BatchOptions::parse(QStringList({"script"}) + arguments + QStringList({"w.wrl"}), &error);
        EXPECT_TRUE(options) << error.toStdString();
        EXPECT_TRUE(options && ScriptTicks::apply(tree, *options, ini, events));
        return tickedTexts(tree);
    }

    SceneTree tree;
    ModuleINI ini;
    test::CountingEventPump events;
};

TEST_F(ScriptTicksTest, FlagsAloneTickEveryItemOfTheirKind)
{
    EXPECT_EQ(tick({}), QStringList());
    EXPECT_EQ(tick({"--set"}), QStringList({"Set_T1_translation", "Set_T1_scale"}));
    EXPECT_EQ(tick({"--get", "--on"}),
              QStringList({"Get_T1_translation", "On_T1_translation", "Set_T1_translation", "Get_T1_scale",
                           "Set_T1_scale", "Get_Lamp_on", "On_Lamp_on"}));
}

TEST_F(ScriptTicksTest, WithSelectTheFlagsApplyToTheNamedItemsOnly)
{
    EXPECT_EQ(tick({"--get", "--on", "--select", "translation", "--select", "Lamp"}),
              QStringList({"Get_T1_translation", "On_T1_translation", "Get_Lamp_on", "On_Lamp_on"}));
    EXPECT_EQ(
        tick({"--set", "--select", "scale"}),
        QStringList({"Get_T1_translation", "On_T1_translation", "Set_T1_scale", "Get_Lamp_on", "On_Lamp_on"}))
        << "only adds ticks";
}

TEST_F(ScriptTicksTest, ASelectionsFileNamedRelativelyIsReadFromTheWorkingFolder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    writeFile(folder.filePath(QStringLiteral("t.x3ds")),
              "[Selections]\nsel1=Get_T1_scale\nsel2=Get_T1_translation\n"
              "sel3=On_Lamp_on\n");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const QStringList ticked = tick({"--selections", "t.x3ds"});
    QDir::setCurrent(before);
    EXPECT_EQ(ticked, QStringList({"Get_T1_scale", "On_Lamp_on"}));
    EXPECT_EQ(events.yields, 2);
    EXPECT_EQ(ini.INIFileName(), ModuleINI::settingsFile);
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

// A listener function of the generated script, for the listener name after "On".
#define LISTENER(name)                                                                                       \
    "function On" name "(f, t)\r\n"                                                                          \
    "{\r\n"                                                                                                  \
    "    f = " name "_observer.field.getValue(); // ignore one passed (mozilla activex plugin bug), use "    \
    "our copy\r\n"                                                                                           \
    "    if (f)\r\n"                                                                                         \
    "    {\r\n"                                                                                              \
    "        // PLACE  YOUR CODE HERE\r\n"                                                                   \
    "    }\r\n"                                                                                              \
    "}\r\n"                                                                                                  \
    "\r\n"

/// The script of mover.x3dv with every Get_, On_ and Set_ item ticked.
const QByteArray moverScript =
    "// Generated by X3DVDL\r\n"
    "var Movermetadata_observer = null;\r\n"
    "var Moverkey_observer = null;\r\n"
    "var MoverkeyValue_observer = null;\r\n"
    "var Movervalue_changed_observer = null;\r\n"
    "\r\n"
    "function Set_Mover_set_fraction(v)\r\n"
    "{\r\n"
    "   setNodeEventIn(\"Mover\", \"set_fraction\", v);\r\n"
    "}\r\n"
    "\r\n"
    "function Set_Mover_key(arr)\r\n"
    "{\r\n"
    "   setNodeEventInArray(\"Mover\", \"set_key\", arr);\r\n"
    "}\r\n"
    "\r\n"
    "function Set_Mover_keyValue(i,x,y,z)\r\n"
    "{\r\n"
    "    var mf;\r\n"
    "    node = context.getNode(\"Mover\");\r\n"
    "    field = node.getField(\"keyValue\");\r\n"
    "    mf = field.get1Value(i);\r\n"
    "    mf.x = x;\r\n"
    "    mf.y = y;\r\n"
    "    mf.z = z;\r\n"
    "    field.set1Value(i,mf);\r\n"
    "}\r\n"
    "function GetMovermetadata()\r\n"
    "{\r\n"
    "    node = context.getNode(\"Mover\");\r\n"
    "    field = node.getField(\"metadata\");\r\n"
    "    return field.getValue();\r\n"
    "}\r\n"
    "\r\n"
    "function GetMoverkey()\r\n"
    "{\r\n"
    "    node = context.getNode(\"Mover\");\r\n"
    "    field = node.getField(\"key\");\r\n"
    "    return field.getValue();\r\n"
    "}\r\n"
    "\r\n"
    "function GetMoverkeyValue()\r\n"
    "{\r\n"
    "    node = context.getNode(\"Mover\");\r\n"
    "    field = node.getField(\"keyValue\");\r\n"
    "    return field.getValue();\r\n"
    "}\r\n"
    "\r\n"
    "function GetMovervalue_changed()\r\n"
    "{\r\n"
    "    node = context.getNode(\"Mover\");\r\n"
    "    field = node.getField(\"value_changed\");\r\n"
    "    return field.getValue();\r\n"
    "}\r\n"
    "\r\n"
    "var listenersSetup;\r\n"
    "function setupListeners()\r\n"
    "{\r\n"
    "    context = browser.getExecutionContext();\r\n"
    "    if (context)\r\n"
    "    {\r\n"
    "        if (!listenersSetup)\r\n"
    "        {\r\n"
    "            listenersSetup = true;\r\n"
    "            node = context.getNode(\"Mover\");\r\n"
    "            field = node.getField(\"metadata\");\r\n"
    "            Movermetadata_observer = new Object;\r\n"
    "            Movermetadata_observer.readableFieldChanged = OnMovermetadata;\r\n"
    "            Movermetadata_observer.field = field;\r\n"
    "            field.addFieldEventListener(Movermetadata_observer);\r\n"
    "            node = context.getNode(\"Mover\");\r\n"
    "            field = node.getField(\"key\");\r\n"
    "            Moverkey_observer = new Object;\r\n"
    "            Moverkey_observer.readableFieldChanged = OnMoverkey;\r\n"
    "            Moverkey_observer.field = field;\r\n"
    "            field.addFieldEventListener(Moverkey_observer);\r\n"
    "            node = context.getNode(\"Mover\");\r\n"
    "            field = node.getField(\"keyValue\");\r\n"
    "            MoverkeyValue_observer = new Object;\r\n"
    "            MoverkeyValue_observer.readableFieldChanged = OnMoverkeyValue;\r\n"
    "            MoverkeyValue_observer.field = field;\r\n"
    "            field.addFieldEventListener(MoverkeyValue_observer);\r\n"
    "            node = context.getNode(\"Mover\");\r\n"
    "            field = node.getField(\"value_changed\");\r\n"
    "            Movervalue_changed_observer = new Object;\r\n"
    "            Movervalue_changed_observer.readableFieldChanged = OnMovervalue_changed;\r\n"
    "            Movervalue_changed_observer.field = field;\r\n"
    "            field.addFieldEventListener(Movervalue_changed_observer);\r\n"
    "        }\r\n"
    "    }\r\n"
    "    else\r\n"
    "        setTimeout('setupListeners()', 200);\r\n"
    "}\r\n"
    "\r\n" LISTENER("Movermetadata") LISTENER("Moverkey") LISTENER("MoverkeyValue")
        LISTENER("Movervalue_changed");

/// The names of the functions a script defines, in its order.
QStringList functionNames(const QString& script)
{
    static const QRegularExpression function(QStringLiteral("^function (\\w+)\\("),
                                             QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = function.globalMatch(script); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

TEST(BatchTool, ScriptWithEveryKindTickedIsTheWholeGeneratedFileOnStandardOutputOrInOut)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const ToolRun toStdout = batch({"script", "--get", "--on", "--set", world("mover.x3dv")});
    ASSERT_EQ(toStdout.status, 0) << toStdout.err.toStdString();
    EXPECT_EQ(toStdout.outBytes, moverScript);

    // An earlier file of that name is replaced whole, from a folder given relative to the working one.
    const QString out = folder.filePath(QStringLiteral("mover.js"));
    writeFile(out, QByteArray(10000, 'x'));
    const ToolRun toFile = batch({"script", "--on", "--set", "-o", "mover.js", "--get", world("mover.x3dv")},
                                 true, folder.path());
    ASSERT_EQ(toFile.status, 0) << toFile.err.toStdString();
    EXPECT_TRUE(toFile.outBytes.isEmpty());
    EXPECT_EQ(fileBytes(out), toStdout.outBytes);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"mover.js"})) << "no temporary left";

    // Ticking nothing is no error: the script is the header alone.
    const ToolRun nothing =
        batch({"script", "--named", "--select", "nowhere", "--get", "--on", "--set", world("mover.x3dv")});
    ASSERT_EQ(nothing.status, 0) << nothing.err.toStdString();
    EXPECT_EQ(nothing.outBytes, "// Generated by X3DVDL\r\n");
}

TEST(BatchTool, SelectAndASelectionsFileTickOnlyWhatTheyName)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // Read forward only: Get_Clock_loop stands before Set_Mover_key in the tree, and the second entry is
    // no item's text.
    writeFile(folder.filePath(QStringLiteral("clock.x3ds")),
              "[Selections]\r\nsel1=Set_Mover_key\r\nsel2=Get_Mover_nothing\r\nsel3=Get_Clock_loop\r\n"
              "sel4=On_Mover_value_changed\r\n");
    const ToolRun run = batch({"script", "--get", "--on", "--select", "cycleInterval", "--select",
                               "Mover_key", "--selections", "clock.x3ds", world("clock.x3dv")},
                              true, folder.path());
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(functionNames(run.out),
              QStringList({"Set_Mover_key", "GetClockcycleInterval", "GetMoverkey", "GetMoverkeyValue",
                           "setupListeners", "OnClockcycleInterval", "OnMoverkey", "OnMoverkeyValue",
                           "OnMovervalue_changed"}))
        << run.out.toStdString();
    EXPECT_TRUE(
        run.out.startsWith(QStringLiteral("// Generated by X3DVDL\r\nvar ClockcycleInterval_observer")));

    // The run reads the selections file but leaves the settings alone.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty());
    EXPECT_TRUE(QDir(config).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
}

TEST(BatchTool, ScriptFailuresEndWithAReasonAndLeaveTheOutputAlone)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString out = folder.filePath(QStringLiteral("kept.js"));
    writeFile(out, "earlier");

    const ToolRun missingWorld = batch({"script", "--get", "-o", out, world("missing.wrl")});
    EXPECT_EQ(missingWorld.status, 3);
    EXPECT_TRUE(missingWorld.err.contains(QUrl::fromLocalFile(world("missing.wrl")).toString()))
        << missingWorld.err.toStdString();
    EXPECT_TRUE(missingWorld.err.contains(QStringLiteral("Couldn't find the file")));

    // Files that cannot be used are found before the world is loaded.
    const QString noSelections = folder.filePath(QStringLiteral("none.x3ds"));
    const ToolRun missingSelections =
        batch({"script", "--selections", noSelections, "-o", out, world("mover.x3dv")});
    EXPECT_EQ(missingSelections.status, 2);
    EXPECT_TRUE(
        missingSelections.err.contains(QStringLiteral("Couldn't read the selections file ") + noSelections))
        << missingSelections.err.toStdString();

    const ToolRun folderAsSelections = batch({"script", "--selections", folder.path(), world("mover.x3dv")});
    EXPECT_EQ(folderAsSelections.status, 2);
    EXPECT_TRUE(folderAsSelections.err.contains(QStringLiteral("it is a folder")));

    const QString nowhere = folder.filePath(QStringLiteral("no/such/folder/out.js"));
    const ToolRun badOutput = batch({"script", "--get", "-o", nowhere, world("mover.x3dv")});
    EXPECT_EQ(badOutput.status, 2);
    EXPECT_TRUE(badOutput.err.contains(QStringLiteral("Couldn't write the script to ") + nowhere))
        << badOutput.err.toStdString();

    EXPECT_EQ(fileBytes(out), "earlier");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"kept.js"}));
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
