#pragma once

#include "WebEngineForTests.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"

#include <gtest/gtest.h>

namespace vendrel::test {

/// One embedded browser and its view for a whole suite: starting the web engine is the slow part. Its
/// tests are skipped without a display (the offscreen platform has no WebGL) or the X_ITE files.
class SharedXiteBrowser : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY") || !(browser = XiteBrowser::create()))
            return;
        view = new X3DBrowserView(browser);
        view->resize(320, 240);
        view->show();
    }
    static void TearDownTestSuite()
    {
        delete view;
        view = nullptr;
        browser.reset();
    }
    void SetUp() override
    {
        if (!browser)
            GTEST_SKIP() << "needs a display with WebGL and the X_ITE files";
    }

    static inline std::shared_ptr<XiteBrowser> browser;
    static inline X3DBrowserView* view = nullptr;
};

} // namespace vendrel::test
