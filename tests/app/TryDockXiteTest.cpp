#include "app/FormVendrel.h"
#include "app/TryDock.h"

#include "WebEngineForTests.h"
#include "XiteWindow.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"
#include "platform/XiteTry.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

/// The window with the real browser and the example world, the Try panel shown for some of its items.
class TryDockXiteTest : public test::XiteWindow
{
protected:
    void SetUp() override
    {
        XiteWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        loadAddress(QStringLiteral(VENDREL_EXAMPLE_WORLD));
        ASSERT_GT(form->tree().count(), 10);
    }

    QWidget* row(const char* name) const { return form->findChild<QWidget*>(name); }
    QLineEdit* input(const char* name, const char* param) const
    {
        return row(name)->findChild<QLineEdit*>(param);
    }
    QString result(const char* name) const { return row(name)->findChild<QLabel*>("Result")->text(); }
    void call(const char* name) const
    {
        QTest::mouseClick(row(name)->findChild<QPushButton*>("Call"), Qt::LeftButton);
    }
    /// The field as the page holds it now, read past the panel.
    QString value(const char* node, const char* field) const
    {
        XiteTry probe([this] { return browser->page(); });
        QString text;
        probe.read({{node, field}}, [&](const QList<XiteTry::Answer>& answers) {
            text = answers[0].ok ? answers[0].text : QStringLiteral("error ") + answers[0].error;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return !text.isNull(); }, 5000));
        return text;
    }
};

} // namespace

// Setters, a getter, an element setter and a listener run in the world shown, with the boxes filled from
// the fields; a function that throws shows the error on its own row.
TEST_F(TryDockXiteTest, CallsTheScriptsFunctionsInTheWorldShown)
{
    const QStringList items = {"Set_Cam_position", "Set_Counter_touched", "Get_Counter_clicks",
                               "Set_Hop_keyValue", "On_Counter_clicks"};
    for (int i = 1; i <= form->tree().count(); ++i)
        form->tree().setChecked(i, items.contains(form->tree().text(i)));
    auto* dock = form->findChild<QDockWidget*>("Try");
    ASSERT_FALSE(dock->isVisible());
    form->findChild<QAction*>("ViewTry")->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return row("Set_Hop_keyValue") && input("Set_Cam_position", "z")->text() == u"9"; }, 10000));

    const struct
    {
        const char *function, *param, *text;
    } typed[] = {{"Set_Cam_position", "x", "1"},
                 {"Set_Cam_position", "y", "-2.5"},
                 {"Set_Hop_keyValue", "i", "1"},
                 {"Set_Hop_keyValue", "y", "4"}};
    for (const auto& box : typed)
        input(box.function, box.param)->setText(box.text);
    call("Set_Cam_position");
    call("Set_Hop_keyValue");
    EXPECT_EQ(value("Cam", "position"), u"1 -2.5 9");
    EXPECT_EQ(value("Hop", "keyValue"), u"[0 0 0, 0 4 0, 0 0 0]");
    // Each touch counts a click at the world's next frame; the getter is asked until it has, the
    // listener's log follows.
    for (const QString& clicks : {QStringLiteral("1"), QStringLiteral("2")}) {
        call("Set_Counter_touched");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                if (result("GetCounterclicks") == clicks)
                    return true;
                call("GetCounterclicks");
                return false;
            },
            5000))
            << result("GetCounterclicks").toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return result("OnCounterclicks").contains(u"  " + clicks); }, 5000))
            << result("OnCounterclicks").toStdString();
    }
    EXPECT_TRUE(result("OnCounterclicks").startsWith(u"2 calls\n"));
    EXPECT_EQ(result("OnCounterclicks").count(u'\n'), 2);

    // The host library throws for an element the field does not have.
    input("Set_Hop_keyValue", "i")->setText("7");
    call("Set_Hop_keyValue");
    EXPECT_TRUE(QTest::qWaitFor([&] { return result("Set_Hop_keyValue").startsWith(u"Error: "); }, 5000));
    EXPECT_TRUE(result("Set_Hop_keyValue").contains(u"no element 7 of 3"))
        << result("Set_Hop_keyValue").toStdString();
}

// Changed ticks rebuild the panel and reload the script: its listeners are attached anew and each call is
// logged once. Another world empties the panel.
TEST_F(TryDockXiteTest, TicksRebuildThePanelAndAnotherWorldEmptiesIt)
{
    auto tick = [&](const QStringList& items) {
        for (int i = 1; i <= form->tree().count(); ++i)
            form->tree().setChecked(i, items.contains(form->tree().text(i)));
    };
    auto* dock = form->findChild<TryDock*>("Try");
    tick({"Set_Counter_touched", "On_Counter_clicks"});
    form->findChild<QAction*>("ViewTry")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dock->isReady(); }, 10000));
    EXPECT_EQ(row("GetCounterclicks"), nullptr);

    tick({"Set_Counter_touched", "On_Counter_clicks", "Get_Counter_clicks"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return row("GetCounterclicks") && dock->isReady(); }, 10000));
    call("Set_Counter_touched");
    EXPECT_TRUE(QTest::qWaitFor([&] { return result("OnCounterclicks").startsWith(u"1 call\n"); }, 5000));
    QTest::qWait(3 * TryDock::pollMs);
    EXPECT_TRUE(result("OnCounterclicks").startsWith(u"1 call\n")) << result("OnCounterclicks").toStdString();

    form->findChild<QLineEdit*>("TextFileName")->setText(test::world("clock.x3dv"));
    QTest::mouseClick(form->findChild<QWidget*>("CommandLoad"), Qt::LeftButton);
    EXPECT_EQ(row("OnCounterclicks"), nullptr);
}
