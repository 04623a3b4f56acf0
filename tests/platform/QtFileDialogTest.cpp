#include "platform/QtFileDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

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

// A script's save and a selections file's save or load start in the folder their kind used last, in
// this run or an earlier one (each row is a new dialog object, as after a restart); worlds do not.
TEST(QtFileDialog, ScriptsAndSelectionsStartInTheFolderTheirKindUsedLast)
{
    using vendrel::FileDialogRequest;
    const QTemporaryDir offered, chosenScripts, chosenSelections;
    const struct
    {
        const char* extension;
        bool save;
        QString choose; // empty: cancel
        QString startsIn;
    } cases[] = {
        {".js", true, chosenScripts.filePath("a.js"), offered.path()},
        {".js", true, {}, chosenScripts.path()},
        {".x3ds", false, {}, offered.path()}, // a script's folder is not the selections'
        {".x3ds", true, chosenSelections.filePath("a.x3ds"), offered.path()},
        {".x3ds", false, {}, chosenSelections.path()},
        {".wrl", false, {}, offered.path()},
    };
    for (const auto& c : cases) {
        QString startedIn;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            startedIn = dialog->directory().absolutePath();
            if (c.choose.isEmpty())
                return dialog->reject();
            dialog->selectFile(c.choose);
            static_cast<QDialog*>(dialog)->accept(); // as the button does
        });
        QtFileDialog dialogs;
        const auto request =
            FileDialogRequest::make(QStringLiteral("All (*)|*|"), QString::fromLatin1(c.extension),
                                    offered.filePath(QStringLiteral("world")));
        EXPECT_EQ((c.save ? dialogs.showSave(request) : dialogs.showOpen(request)).value_or(QString()),
                  c.choose);
        EXPECT_EQ(startedIn, c.startsIn) << c.extension << c.save;
    }
}
