#include "platform/XiteBrowser.h"

#include "WebEngineForTests.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteLoadWaiter.h"

#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace vendrel;

namespace {

/// The type and DEF name of every node of the scene the page described.
std::string nodesOf(const XiteScene& scene)
{
    QStringList nodes;
    for (const XiteScene::Node& node : scene.nodes())
        nodes.append(node.typeName + u' ' + node.defName);
    return nodes.join(u',').toStdString();
}

} // namespace

TEST(XiteBridgeTest, AWorldThatWrapsWhatThePageUsesSeesNoReportNorSecretAndCannotRewriteTheScene)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "the offscreen platform has no WebGL";
    const std::shared_ptr<XiteBrowser> browser = XiteBrowser::create();
    if (!browser)
        GTEST_SKIP() << "needs the X_ITE files";
    X3DBrowserView view(browser);
    view.resize(320, 240);
    view.show();
    QStringList console;
    QObject::connect(browser.get(), &XiteBrowser::consoleMessage,
                     [&console](const QString& message) { console.append(message); });

    XiteLoadWaiter waiter(*browser);
    ASSERT_EQ(waiter.load(test::world("spy.x3dv"), 30000), XiteLoadWaiter::Result::Loaded)
        << browser->lastError().toStdString();
    waiter.waitForEvent(1000); // its console output comes on its own way

    EXPECT_EQ(nodesOf(*browser->scene()), "Transform Spot,Script Spy");
    EXPECT_EQ(console.filter(QStringLiteral("SPY: watching")).size(), 1) << "its traps were set";

    // A field's value passes the same way, and only the answer to the question asked is taken.
    std::optional<FieldValueText> told;
    browser->fieldValues()->requestValue(browser->scene()->node(0), "scale", false,
                                         [&told](const FieldValueText& value) { told = value; });
    ASSERT_TRUE(QTest::qWaitFor([&told] { return told.has_value(); }, 5000));
    EXPECT_EQ(told->text, u"1 1 1");
    EXPECT_EQ(console.filter(QStringLiteral("SEEN:")).join(u'\n').toStdString(), "");
}
