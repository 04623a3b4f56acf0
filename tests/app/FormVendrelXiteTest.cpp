#include "app/FormVendrel.h"

#include "RecordingMessageBox.h"
#include "WebEngineForTests.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"

#include <QLineEdit>
#include <QTest>
#include <QWebEnginePage>

#include <gtest/gtest.h>

using namespace vendrel;

// The real browser in the window: a world file loads into the tree and is drawn over the whole view.
TEST(FormVendrelXiteTest, LoadsAWorldFileIntoTheTreeAndDrawsIt)
{
    std::shared_ptr<XiteBrowser> browser = XiteBrowser::create();
    if (!browser)
        GTEST_SKIP() << "the X_ITE files are not there";
    test::RecordingMessageBox messages;
    FormVendrel form({browser, new X3DBrowserView(browser), nullptr, &messages, nullptr});
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.findChild<QLineEdit*>("TextFileName")->setText(test::world("vrml97.wrl"));
    QTest::mouseClick(form.findChild<QWidget*>("CommandLoad"), Qt::LeftButton);
    EXPECT_EQ(form.tree().text(2), u"Script S");

    QString drawn;
    browser->page()->runJavaScript(
        "(function () { try { const r = document.getElementById('canvas').shadowRoot"
        ".querySelector('canvas').getBoundingClientRect(); return r.width + 'x' + "
        "r.height; } catch (e) { return String(e); } })()",
        [&drawn](const QVariant& size) { drawn = size.toString() + u' '; });
    QTRY_VERIFY_WITH_TIMEOUT(!drawn.isEmpty(), 10000);
    const QSize view = form.findChild<QWidget*>("Sivra1")->size();
    EXPECT_EQ(drawn, QStringLiteral("%1x%2 ").arg(view.width()).arg(view.height()));
}
