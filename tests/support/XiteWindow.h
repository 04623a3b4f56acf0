#pragma once

#include "RecordingMessageBox.h"
#include "app/FormVendrel.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace vendrel::test {

/// The main window with the real browser, shown; `load` loads an address as "Go" does.
class XiteWindow : public testing::Test
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
    void loadAddress(const QString& address)
    {
        form->findChild<QLineEdit*>("TextFileName")->setText(address);
        QTest::mouseClick(form->findChild<QWidget*>("CommandLoad"), Qt::LeftButton);
    }

    std::shared_ptr<XiteBrowser> browser;
    RecordingMessageBox messages;
    std::unique_ptr<FormVendrel> form;
};

} // namespace vendrel::test
