#include "platform/QtFileDialog.h"

#include <gtest/gtest.h>

using vendrel::QtFileDialog;

TEST(QtFileDialog, ClassicFiltersBecomeQtFilters)
{
    EXPECT_EQ(QtFileDialog::qtFilters(QStringLiteral("JavaScript (*.js)|*.js|")),
              QStringList{QStringLiteral("JavaScript (*.js)")});
    EXPECT_EQ(QtFileDialog::qtFilters(QStringLiteral("Worlds|*.wrl;*.x3d|All (*.*)|*.*|")),
              (QStringList{QStringLiteral("Worlds (*.wrl *.x3d)"), QStringLiteral("All (*.*)")}));
    EXPECT_TRUE(QtFileDialog::qtFilters(QString()).isEmpty());
}

TEST(QtFileDialog, DefaultExtensionOnlyForNamesWithout)
{
    const QString js = QStringLiteral(".js");
    EXPECT_EQ(QtFileDialog::withDefaultExtension(QStringLiteral("/tmp/a"), js), QStringLiteral("/tmp/a.js"));
    EXPECT_EQ(QtFileDialog::withDefaultExtension(QStringLiteral("/tmp/a.txt"), js),
              QStringLiteral("/tmp/a.txt"));
    EXPECT_EQ(QtFileDialog::withDefaultExtension(QStringLiteral("/tmp.d/a"), QStringLiteral("x3ds")),
              QStringLiteral("/tmp.d/a.x3ds"));
    EXPECT_EQ(QtFileDialog::withDefaultExtension(QString(), js), QString());
}

TEST(QtFileDialog, TitlesSayWhatIsOpenedOrSaved)
{
    using vendrel::FileDialogRequest;
    const auto title = [](const char* extension, bool save) {
        return QtFileDialog::titleFor(FileDialogRequest::make({}, QString::fromLatin1(extension), {}), save);
    };
    EXPECT_EQ(
        QStringList({title(".js", true), title(".x3ds", true), title(".x3ds", false), title(".wrl", false)}),
        QStringList({"Save Script", "Save Selections", "Load Selections", "Open World"}));
}
