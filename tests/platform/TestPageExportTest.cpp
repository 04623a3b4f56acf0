#include "platform/TestPageExport.h"
#include "CountingEventPump.h"
#include "FolderHttpServer.h"
#include "RecordingMessageBox.h"
#include "SharedXiteBrowser.h"
#include "WalkedWorld.h"
#include "platform/XiteLoadWaiter.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

/// A plain page that keeps the console's errors.
class ConsolePage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;
    QStringList errors;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override
    {
        if (level == ErrorMessageLevel)
            errors.append(source + u':' + QString::number(line) + u' ' + message);
    }
};

/// The value of `js` in `page` as text, once it matches `pattern` or 20 s have passed.
QString evaluateUntil(QWebEnginePage& page, const QString& js, const QRegularExpression& pattern)
{
    const QDeadlineTimer deadline(20000);
    QString result;
    do {
        QEventLoop loop;
        auto done = std::make_shared<bool>(false);
        page.runJavaScript(js, [&, done](const QVariant& value) {
            result = value.toString();
            *done = true;
            loop.quit();
        });
        if (!*done)
            loop.exec();
        if (result.contains(pattern))
            break;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
    } while (!deadline.hasExpired());
    return result;
}

using TestPageExportTest = test::SharedXiteBrowser;

// The exported page of the example world, served over HTTP with its own copy of X_ITE, runs every row.
TEST_F(TestPageExportTest, EveryRowOfTheExampleWorldsPageWorks)
{
    const QString world = QStringLiteral(VENDREL_EXAMPLES "/vendrel-demo.x3dv");
    ASSERT_EQ(XiteLoadWaiter(*browser).load(world, 30000), XiteLoadWaiter::Result::Loaded);
    test::WalkedWorld walked;
    walked.walk(browser->getExecutionContext(), 0);
    SceneTree& tree = walked.tree;
    const QStringList ticked = {"Set_Cam_position", "Set_Hop_keyValue", "Set_Counter_touched",
                                "Get_Counter_clicks", "On_Counter_clicks"};
    for (int i = 1; i <= tree.count(); ++i)
        tree.setChecked(i, ticked.contains(tree.text(i)));
    QTemporaryDir folder;
    TestPageExport::Result written;
    QString error;
    ASSERT_TRUE(
        TestPageExport::write(tree, {world, browser->worldFiles(), folder.path(), false}, &written, &error))
        << error.toStdString();
    EXPECT_EQ(written.functions, 5);

    test::FolderHttpServer server(folder.path());
    QWebEngineView view;
    auto* page = new ConsolePage(&view);
    view.setPage(page);
    view.resize(800, 600);
    view.show();
    page->load(server.url(QStringLiteral("index.html")));
    ASSERT_EQ(evaluateUntil(*page,
                            QStringLiteral("String(typeof Counterclicks_observer == 'object' && "
                                           "Counterclicks_observer != null)"),
                            QRegularExpression("true")),
              "true")
        << "the listeners are set up: " << page->errors.join(u'\n').toStdString();

    // The setters' boxes show what the world holds: the viewpoint's position, the first key value.
    const QString boxes =
        QStringLiteral("[...document.querySelectorAll('input')].map(i => i.value).join(' ')");
    EXPECT_EQ(evaluateUntil(*page, boxes, QRegularExpression("^0 2 9 0 ")).section(u' ', 0, 3), "0 2 9 0");

    // In this order: the touch counts a click, which the getter reads and the listener logs.
    const struct
    {
        const char* name;
        const char* result;
    } rows[] = {
        {"Set_Cam_position", "^sent$"},   {"Set_Hop_keyValue", "^sent$"}, {"Set_Counter_touched", "^sent$"},
        {"OnCounterclicks", "^1 event$"}, {"GetCounterclicks", "^1$"},
    };
    for (const auto& row : rows) {
        const QString js =
            QStringLiteral(
                "(() => { const tr = [...document.querySelectorAll('tr')].find(r => "
                "r.cells[0].textContent.startsWith('%1(')); if (!window.clicked%1) { "
                "window.clicked%1 = true; tr.querySelector('button')?.click(); } return "
                "tr.querySelector('.error').textContent || tr.querySelector('output').textContent; "
                "})()")
                .arg(QString::fromUtf8(row.name));
        EXPECT_TRUE(
            evaluateUntil(*page, js, QRegularExpression(row.result)).contains(QRegularExpression(row.result)))
            << row.name << ": " << evaluateUntil(*page, js, QRegularExpression(".")).toStdString();
    }
    EXPECT_EQ(page->errors.join(u'\n').toStdString(), "");
}

TEST(TestPageHtml, NamesFromTheWorldStayText)
{
    ScriptFunctions::Function function;
    function.name = QStringLiteral("Get</script><b>&");
    const QString html = QString::fromUtf8(
        TestPageExport::pageHtml({function}, QStringLiteral("<i>w</i>"), QStringLiteral("x\"ite.js"),
                                 QStringLiteral("w&.x3d"), QStringLiteral("s.js")));
    for (const char* markup : {"<b>", "<i>", "x\"ite", "w&.x3d"})
        EXPECT_FALSE(html.contains(QString::fromUtf8(markup))) << markup;
    EXPECT_EQ(html.count(QStringLiteral("</script"), Qt::CaseInsensitive), 4) << "one per script element";
}

} // namespace
