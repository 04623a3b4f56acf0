#include "platform/HostLibrary.h"
#include "CountingEventPump.h"
#include "RecordingMessageBox.h"
#include "SharedXiteBrowser.h"
#include "WalkedWorld.h"
#include "core/FileReader.h"
#include "platform/XiteLoadWaiter.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"
#include "scriptgen/ScriptGenerator.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimer>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <iostream>

using namespace vendrel;

namespace {

QString fileText(const QString& path)
{
    QByteArray bytes;
    FileReader::read(path, bytes, nullptr);
    return QString::fromUtf8(bytes);
}

/// Generated scripts run with vendrel-host.js in the tool's own page, on X_ITE with the world loaded.
class HostLibraryTest : public test::SharedXiteBrowser
{
protected:
    /// Loads the world and runs the library in the page, then `more`.
    static bool load(const QString& world, const QString& more)
    {
        XiteLoadWaiter waiter(*browser);
        if (waiter.load(world, 30000) != XiteLoadWaiter::Result::Loaded)
            return false;
        evaluateText(fileText(HostLibrary::path()) + more + QStringLiteral(";0"));
        return true;
    }

    /// Loads the world and runs the library and the script written for every item of its tree ("All"
    /// ticked), then `more`. Returns the script.
    static QString loadWithScript(const QString& world, const QString& more = {})
    {
        if (!load(world, {}))
            return {};
        test::WalkedWorld walked;
        walked.walk(browser->getExecutionContext(), 1);
        for (int i = 1; i <= walked.tree.count(); ++i)
            walked.tree.setChecked(i, true);
        const QString script = ScriptGenerator::GenerateScript(walked.tree);
        evaluateText(script + more + QStringLiteral(";0"));
        return script;
    }

    /// `text` as a JavaScript string literal.
    static QString literal(const QString& text)
    {
        return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
            .mid(1)
            .chopped(1);
    }

    /// The value of `js` in the page, as text; once `until` (if given) holds.
    static std::string evaluate(const QString& js, const QString& until = {})
    {
        return evaluateText(js, until).toStdString();
    }
    static QString evaluateText(const QString& js, const QString& until = {})
    {
        const QDeadlineTimer deadline(30000);
        QString result;
        do {
            QEventLoop loop;
            bool done = false;
            browser->page()->runJavaScript(
                until.isEmpty() ? js : u"if (!(" + until + u")) null; else {" + js + u'}',
                [&](const QVariant& value) {
                    result = value.isNull() ? QString() : value.toString();
                    done = true;
                    loop.quit();
                });
            if (!done)
                loop.exec();
            if (!result.isNull() || until.isEmpty())
                return result;
            QTimer::singleShot(50, &loop, &QEventLoop::quit);
            loop.exec();
        } while (!deadline.hasExpired());
        return QStringLiteral("timed out");
    }

    /// Runs one kind of check of host-checks.js over the generated functions; every row must say "works".
    void expectEveryFunctionWorks(const char* kind)
    {
        const QString script = loadWithScript(test::world("host.x3dv"), fileText(VENDREL_HOST_CHECKS));
        ASSERT_FALSE(script.isEmpty()) << browser->lastError().toStdString();
        ASSERT_EQ(evaluate(QStringLiteral("listenersSetup"), QStringLiteral("window.listenersSetup")), "true")
            << "the library calls setupListeners() once the world is there";
        evaluate(QStringLiteral("window.hostRows = null; hostChecks(\"%1\", %2); 0")
                     .arg(QString::fromUtf8(kind), literal(script)));
        const QJsonArray rows =
            QJsonDocument::fromJson(
                evaluateText(QStringLiteral("hostRows"), QStringLiteral("window.hostRows")).toUtf8())
                .array();
        EXPECT_GT(rows.size(), 30) << kind;
        for (const auto& entry : rows) {
            const QJsonArray row = entry.toArray();
            const QString line = row[0].toString() + u' ' + row[1].toString() + u' ' + kind + u' ' +
                                 row[2].toString() + QStringLiteral(": ") + row[3].toString();
            EXPECT_EQ(row[3].toString().toStdString(), "works") << line.toStdString();
            if (qEnvironmentVariableIsSet("VENDREL_HOST_TABLE"))
                std::cout << line.toStdString() << '\n';
        }
    }
};

TEST_F(HostLibraryTest, EverySetterChangesItsField)
{
    expectEveryFunctionWorks("Set");
}

TEST_F(HostLibraryTest, EveryGetterReturnsXitesValue)
{
    expectEveryFunctionWorks("Get");
}

TEST_F(HostLibraryTest, EveryListenerRunsOncePerChange)
{
    expectEveryFunctionWorks("On");
}

TEST_F(HostLibraryTest, ElementSettersChangeJustTheirElement)
{
    expectEveryFunctionWorks("Set1");
}

TEST_F(HostLibraryTest, PathsResolveInTreeOrderAndErrorsNameCallPathAndField)
{
    ASSERT_FALSE(loadWithScript(test::world("host.x3dv")).isEmpty());
    auto failure = [](const char* call) {
        return QStringLiteral("(() => { try { %1; return 'no error'; } catch (e) { return e.name + ': ' + "
                              "e.message; } })()")
            .arg(QString::fromUtf8(call));
    };
    const struct
    {
        QString js;
        const char* expected;
    } rows[] = {
        {"context.getNode('Holder_1_TimeSensor_fraction_changed').x3dNode.getNodeTypeName()", "TimeSensor"},
        {"context.getNode('Holder_1_Transform_translation').x3dNode.translation.x", "1"},
        {"context.getNode('Holder_1_Transform_Shape_Cylinder_top').x3dNode.top", "true"},
        // A DEF name with "_" and a split of the same text: the tree lists A's Transform first.
        {"context.getNode('A_Transform_translation').x3dNode.translation.x", "3"},
        {"context.getNode('A_Transform_Transform_translation').x3dNode.translation.x", "5"},
        {"context.getNode('A_Transform').x3dNode.translation.x", "4"},
        {"GetDOMValue('Holder_1.translation').x", "1"},
        {"GetDOMValue('Holder_1.top')", "true"},
        {"GetDOMValue('Inner.transparency')", "0.5"},
        {failure("context.getNode('Holder_1_Nothing_x')"),
         "Error: context.getNode(\"Holder_1_Nothing_x\"): no node \"Holder_1_Nothing_x\" in the world"},
        {failure("context.getNode('S').getField('nope')"),
         "Error: node.getField(\"S\", \"nope\"): Script \"S\" has no field \"nope\""},
        {failure("setNodeEventInArray('S', 'set_xMFString', 'abc')"),
         "TypeError: setNodeEventInArray(\"S\", \"set_xMFString\"): needs an array, not string"},
        {failure("setNodeEventIn('S', 'set_oSFBool', true)"),
         "Error: setNodeEventIn(\"S\", \"oSFBool\"): field \"oSFBool\" of Script \"S\" is outputOnly and "
         "cannot be "
         "written"},
        {failure("context.getNode('S').getField('xMFInt32').get1Value(0)"),
         "RangeError: field.get1Value(\"S\", \"xMFInt32\"): no element 0 of 0"},
        {failure("GetDOMValue('S.xSFBool')"), "Error: GetDOMValue(\"S.xSFBool\", \"xSFBool\"): no unnamed "
                                              "node below \"S\" has a field \"xSFBool\""},
        {"browser.getExecutionContext() === context", "true"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(evaluate(row.js), row.expected) << row.js.toStdString();

    // Another world in the same canvas: the context is the new world's, and its listeners are set up.
    evaluate("window.old = context; listenersSetup = 'old'; VendrelHost.x3d.createX3DFromString("
             "'#X3D V3.3 utf8\\nDEF Other Transform { }').then((s) => VendrelHost.x3d.replaceWorld(s)); 0");
    EXPECT_EQ(evaluate("browser.getExecutionContext().getNode('Other').x3dNode.getNodeTypeName()",
                       "browser.getExecutionContext() !== window.old && listenersSetup === true"),
              "Transform");
    EXPECT_EQ(evaluate(failure("window.old.getNode('S')")),
              "Error: context.getNode(\"S\"): the world of this context was replaced");
}

TEST_F(HostLibraryTest, TheExamplePageRunsWithoutAnError)
{
    // The page's controls, then the library, the generated script and the page's own script.
    const QString page = fileText(VENDREL_EXAMPLES "/vendrel-demo.html");
    const QString controls =
        QRegularExpression(QStringLiteral("<div class=\"controls\">[\\s\\S]*?</div>")).match(page).captured();
    const QString pageScript =
        QRegularExpression(QStringLiteral("<script>([\\s\\S]*?)</script>")).match(page).captured(1);
    ASSERT_FALSE(controls.isEmpty() || pageScript.isEmpty());
    QStringList console;
    const auto connection = QObject::connect(browser.get(), &XiteBrowser::consoleMessage,
                                             [&console](const QString& message) { console.append(message); });
    ASSERT_TRUE(load(VENDREL_EXAMPLES "/vendrel-demo.x3dv", {}));
    evaluate(QStringLiteral("document.body.insertAdjacentHTML('beforeend', %1);").arg(literal(controls)) +
             fileText(VENDREL_EXAMPLES "/vendrel-demo.js") + pageScript + QStringLiteral(";0"));
    // A user clicks once the page is up: after the library has set the listeners up.
    evaluate(QStringLiteral("document.querySelectorAll('button').forEach((b) => b.click());"
                            "document.getElementById('height').dispatchEvent(new Event('input')); 0"),
             QStringLiteral("window.listenersSetup"));
    const QString status = evaluateText(QStringLiteral("document.getElementById('status').textContent"),
                                        QStringLiteral("document.getElementById('status').textContent"));
    EXPECT_TRUE(status.startsWith(u"left pillar colour")) << status.toStdString();
    EXPECT_EQ(evaluate(QStringLiteral("document.getElementById('clicks').textContent"),
                       QStringLiteral("document.getElementById('clicks').textContent !== '0'")),
              "1")
        << "the generated listener ran";
    QObject::disconnect(connection);
    EXPECT_EQ(console.filter(QRegularExpression(QStringLiteral("rror|Uncaught"))).join(u'\n').toStdString(),
              "");
}

} // namespace
