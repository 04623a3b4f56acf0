#include "platform/QtMessageBox.h"

#include <QApplication>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using vendrel::QtMessageBox;

// Notes, warnings and questions look like what they are, and no box is so narrow that the window's
// frame cuts its title (a title bar also holds an icon and three buttons, each about as wide as it is
// high).
TEST(QtMessageBox, EachKindHasItsIconAndTheTitleFits)
{
    QtMessageBox boxes;
    const struct
    {
        std::function<void()> open;
        QMessageBox::Icon icon;
    } cases[] = {
        {[&] { boxes.show(QStringLiteral("1")); }, QMessageBox::Information},
        {[&] { boxes.warn(QStringLiteral("1")); }, QMessageBox::Warning},
        {[&] { boxes.ask(QStringLiteral("1?")); }, QMessageBox::Question},
    };
    for (const auto& c : cases) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int width = 0, needed = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            icon = box->icon();
            width = box->width();
            needed = box->fontMetrics().horizontalAdvance(box->windowTitle()) +
                     4 * box->style()->pixelMetric(QStyle::PM_TitleBarHeight);
            box->done(0);
        });
        c.open();
        EXPECT_EQ(icon, c.icon);
        EXPECT_GE(width, needed);
    }
}
