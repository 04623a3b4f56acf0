#include "app/FormVendrel.h"

#include "RecordingMessageBox.h"
#include "WebEngineForTests.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QWebEnginePage>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

/// The window with the real browser, a world loaded as "Go" loads it.
class FormVendrelXiteTest : public testing::Test
{
protected:
    void SetUp() override
    {
        browser = XiteBrowser::create();
        if (!browser)
            GTEST_SKIP() << "the X_ITE files are not there";
        form = std::make_unique<FormVendrel>(
            FormVendrel::Platform{browser, new X3DBrowserView(browser), nullptr, &messages, nullptr});
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void load(const char* world)
    {
        form->findChild<QLineEdit*>("TextFileName")->setText(test::world(world));
        QTest::mouseClick(form->findChild<QWidget*>("CommandLoad"), Qt::LeftButton);
    }

    std::shared_ptr<XiteBrowser> browser;
    test::RecordingMessageBox messages;
    std::unique_ptr<FormVendrel> form;
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
