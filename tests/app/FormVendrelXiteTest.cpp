#include "app/FormVendrel.h"

#include "WebEngineForTests.h"
#include "XiteWindow.h"
#include "persistence/ModuleINI.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QWebEnginePage>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

/// The window with the real browser, a test world loaded as "Go" loads it.
class FormVendrelXiteTest : public test::XiteWindow
{
protected:
    void load(const char* world) { loadAddress(test::world(world)); }
    QString status() const { return form->statusBar()->currentMessage(); }
    /// What must not change when a load does not bring its world.
    QStringList state() const
    {
        QStringList seen = {form->windowTitle(), form->findChild<QLineEdit*>("TextFileName")->text(),
                            ModuleINI().ReadINI(ModuleINI::settingsKeyFile, {}),
                            QString::number(form->findChild<QWidget*>("CommandGo")->isEnabled())};
        for (int item = 1; item <= form->tree().count(); ++item)
            seen << form->tree().text(item) + (form->tree().checked(item) ? u" ticked" : u"");
        return seen;
    }
};

} // namespace

// A world file loads into the tree and is drawn over the whole view.
TEST_F(FormVendrelXiteTest, LoadsAWorldFileIntoTheTreeAndDrawsIt)
{
    load("vrml97.wrl");
    EXPECT_EQ(form->tree().text(2), u"Script S");

    QString drawn;
    browser->page()->runJavaScript(
        "(function () { try { const r = document.getElementById('canvas').shadowRoot"
        ".querySelector('canvas').getBoundingClientRect(); return r.width + 'x' + "
        "r.height; } catch (e) { return String(e); } })()",
        [&drawn](const QVariant& size) { drawn = size.toString() + u' '; });
    QTRY_VERIFY_WITH_TIMEOUT(!drawn.isEmpty(), 10000);
    const QSize view = form->findChild<QWidget*>("Sivra1")->size();
    EXPECT_EQ(drawn, QStringLiteral("%1x%2 ").arg(view.width()).arg(view.height()));
}

// The details follow a running clock's fraction while its item stays highlighted.
TEST_F(FormVendrelXiteTest, TheDetailsShowTheLiveValueOfTheHighlightedField)
{
    load("clock.x3dv");
    int item = 1;
    while (item < form->tree().count() && form->tree().text(item) != u"Get_Clock_fraction_changed")
        ++item;
    form->tree().setSelected(item, true);
    auto* details = form->findChild<QPlainTextEdit*>("DetailsText");
    const QRegularExpression valueLine(QStringLiteral("\nValue: ([-0-9.e]+)\n"));
    const auto value = [&] {
        return valueLine.match(details->toPlainText()).captured(1);
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !value().isEmpty(); }, 10000))
        << details->toPlainText().toStdString();
    const QString first = value();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !value().isEmpty() && value() != first; }, 5000));
    EXPECT_TRUE(details->toPlainText().contains(u"Type: SFFloat (9)\nAccess: outputOnly (2)\n"));
}

// A failed, stopped or stuck load leaves the world shown, its page, tree, ticks, address, settings and
// script button as they were; the status line says what happened. "All" keeps the ticks of named items.
TEST_F(FormVendrelXiteTest, ALoadThatBringsNoWorldLeavesTheShownWorldAsItWas)
{
    load("clock.x3dv");
    EXPECT_TRUE(status().startsWith(u"Loaded clock.x3dv: 3 nodes, ")) << status().toStdString();
    int ticked = 1;
    while (ticked < form->tree().count() && form->tree().text(ticked) != u"Get_Clock_fraction_changed")
        ++ticked;
    form->tree().setChecked(ticked, true);
    const QStringList before = state();
    QWebEnginePage* const page = browser->page();

    const struct
    {
        const char *world, *message, *status;
        bool stop = false;
    } rows[] = {
        {"missing.wrl", "Couldn't find the file", "Couldn't load missing.wrl"},
        {"notaworld.x3d", "notaworld.x3d is not a world X_ITE can read", "Couldn't load notaworld.x3d"},
        {"vrml1.wrl", "Couldn't load", "Couldn't load vrml1.wrl"},
        {"wedge.x3dv", "", "Stopped loading wedge.x3dv", true}, // its script never returns
    };
    for (const auto& row : rows) {
        messages.messages.clear();
        if (row.stop) {
            QTimer::singleShot(1500, form.get(), [this] {
                EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
                form->findChild<QAction*>("FileStop")->trigger();
            });
        }
        load(row.world);
        const QString said = messages.messages.join(u'|');
        EXPECT_TRUE(*row.message ? said.contains(QString::fromLatin1(row.message)) : said.isEmpty())
            << row.world << ": " << said.toStdString();
        EXPECT_EQ(status(), QString::fromLatin1(row.status));
        EXPECT_EQ(state(), before) << row.world;
        EXPECT_TRUE(browser->page() == page && form->findChild<X3DBrowserView*>()->page() == page)
            << row.world;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << row.world;
    }

    QTest::mouseClick(form->findChild<QCheckBox*>("CheckAll"), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_LT(form->tree().count(), before.size() - 4);
    EXPECT_TRUE(state().contains(u"Get_Clock_fraction_changed ticked"));
}

// A world file dropped on the window loads as if typed and "Go" pressed.
TEST_F(FormVendrelXiteTest, ADroppedWorldFileLoads)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(test::world("vrml97.wrl"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(form.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_TRUE(QTest::qWaitFor([this] { return status().startsWith(u"Loaded vrml97.wrl: "); }, 30000));
    EXPECT_EQ(form->tree().text(2), u"Script S");
    EXPECT_EQ(form->windowTitle(), u"vrml97.wrl - X3D Vendrel");
}
