#include "app/FormVendrel.h"

#include "RecordingMessageBox.h"
#include "ScriptText.h"
#include "ScriptedFileDialog.h"
#include "TextTree.h"
#include "TreeDump.h"
#include "app/FormSearch.h"
#include "app/FormSelect.h"
#include "sim/SimBrowser.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

/// Drives the window and its dialogs as a user would, finding controls and menu entries by their names.
class FormVendrelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        browser->addWorld(QDir().absoluteFilePath("t1.wrl"), "Transform T1 { io SFVec3f translation }");
        browser->addWorld("names.wrl", "Transform T1 { io SFVec3f translation } Transform T10 { out "
                                       "SFRotation rotation } Shape { io SFBool b }");
        start();
    }
    void TearDown() override
    {
        form.reset(); // and with it the dialogs
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void start()
    {
        form.reset(new FormVendrel({browser, nullptr, &dialogs, &messages, nullptr}));
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    template <class T = QWidget> T* control(const char* name) { return form->findChild<T*>(name); }
    void choose(const char* entry)
    {
        ASSERT_TRUE(control<QAction>(entry)->isEnabled()) << entry;
        control<QAction>(entry)->trigger();
    }
    void load(const char* address)
    {
        control<QLineEdit>("TextFileName")->setText(address);
        QTest::mouseClick(control("CommandLoad"), Qt::LeftButton);
    }
    /// The shown windows of the kind.
    template <class Dialog> static QList<QWidget*> shown()
    {
        QList<QWidget*> open;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (qobject_cast<Dialog*>(top) && top->isVisible())
                open.append(top);
        return open;
    }
    /// Ticks or unticks the dialog's boxes, types `text` over the text box's and presses `key` in it.
    static void enter(QWidget* dialog, std::initializer_list<const char*> boxes, const QString& text,
                      Qt::Key key = Qt::Key_Return)
    {
        for (const char* box : boxes)
            QTest::mouseClick(dialog->findChild<QWidget*>(box), Qt::LeftButton);
        auto* edit = dialog->findChild<QLineEdit*>("TextSearch");
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, key);
    }
    /// The dialog's title and label, then its controls from the focus on in tab order: name and caption.
    static QStringList tabOrder(QWidget* dialog, int count)
    {
        QStringList seen = {dialog->windowTitle(), dialog->findChild<QLabel*>("Label1")->text()};
        for (QWidget* at = dialog->focusWidget(); seen.size() < count + 2; at = at->nextInFocusChain())
            seen.append(QString(at->objectName() + u' ' + at->property("text").toString()).trimmed());
        return seen;
    }
    /// What a menu entry shows, without the mark of its access key.
    static QString caption(const QAction* action) { return QString(action->text()).remove(u'&'); }
    QString status() { return form->statusBar()->currentMessage(); }
    QString highlighted() { return form->tree().text(form->tree().selectedIndex()); }
    QStringList ticked() { return test::tickedTexts(form->tree()); }

    std::shared_ptr<SimBrowser> browser = std::make_shared<SimBrowser>();
    test::ScriptedFileDialog dialogs;
    test::RecordingMessageBox messages;
    std::unique_ptr<FormVendrel> form;
};

} // namespace

TEST_F(FormVendrelTest, StartUpShowsTheControlsMenusAndLayoutOfAWindowWithoutAWorld)
{
    QStringList seen = {form->windowTitle(), control<QLineEdit>("TextFileName")->text(),
                        control("CheckAll")->toolTip()};
    for (auto* button : {control<QAbstractButton>("CommandBrowse"), control<QAbstractButton>("CommandLoad"),
                         control<QAbstractButton>("CheckAll"), control<QAbstractButton>("CommandGo")})
        seen << button->text() + (button->isChecked() ? u" ticked" : u"") +
                    (button->isEnabled() ? u"" : u" off");
    for (QAction* top : form->menuBar()->actions()) {
        seen << caption(top);
        for (QAction* item : top->menu() ? top->menu()->actions() : QList<QAction*>())
            seen.last() += u", " + caption(item) + u' ' + item->shortcut().toString() +
                           (item->isEnabled() ? u"" : u" off");
    }
    EXPECT_EQ(
        seen,
        QStringList(
            {"X3D Vendrel", "", "All, or just Named nodes", "...", "Go", "All ticked",
             "Create SAI JavaScript off",
             "File, Open , Stop Esc off, Recent Worlds , Load Selections... Ctrl+L off, Save Selections... "
             "Ctrl+S off, Also write vendrel-host.js , Export Test Page...  off,  , Quit Ctrl+Q",
             "Edit, Find by name Ctrl+F off, Select All Set Ctrl+A off, Select by name Ctrl+N, "
             "Select All Get Ctrl+G off, Select All On Ctrl+O off, Deselect All Ctrl+X off, "
             "Check Script  off",
             "View, Field Types , Script Check , Details , Console , Try ", "About"}));
    choose("About");
    EXPECT_TRUE(messages.messages.value(0).contains(QRegularExpression("^X3D Vendrel .*\nX_ITE ")));

    // The layout follows the window, and the strip between the view and the tree drags their boundary;
    // the details area beside them takes none of their room, and View hides it.
    QWidget* surface = form->centralWidget();
    EXPECT_EQ(surface->size(), QSize(380, 411)); // 5700 x 6165 twips
    EXPECT_TRUE(control("DetailsDock")->isVisible());
    form->resize(form->size() + QSize(220, 191));
    QCoreApplication::processEvents();
    EXPECT_EQ(control("Sivra1")->geometry(), QRect(8, 28, 573, 269)); // 4030 twips high, to the nearest pixel
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(300, 299)); // in the strip
    EXPECT_EQ(surface->cursor().shape(), Qt::SplitVCursor);
    QTest::mouseMove(surface, QPoint(300, 339));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(300, 339));
    EXPECT_EQ(control("Sivra1")->height(), 311);
    EXPECT_EQ(control("TreeView1")->y(), 343);
    const QSize size = form->size();
    form.reset();
    start();
    EXPECT_EQ(form->size(), size) << "the next start restores the window and its boundary";
    EXPECT_EQ(control("Sivra1")->height(), 311);

    // Alt with an access key, and F10, open the menus.
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    for (const auto& [key, modifier, menu] :
         {std::tuple{Qt::Key_E, Qt::AltModifier, "Edit"}, {Qt::Key_F10, Qt::NoModifier, "FileMenu"}}) {
        QTest::keyClick(form.get(), key, modifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return control<QMenu>(menu)->isVisible(); })) << menu;
        control<QMenu>(menu)->close();
    }
    choose("ViewDetails");
    EXPECT_FALSE(control("DetailsDock")->isVisible());
}

// Every command on a loaded world once, as a user goes through them; then the next start.
TEST_F(FormVendrelTest, AWorldFromBrowseToScriptSelectionsAndAll)
{
    const QTemporaryDir folder;
    dialogs.answers = {"t1.wrl", folder.filePath("t1.js"), folder.filePath("s"), folder.filePath("s")};
    choose("FileOpen");
    EXPECT_EQ(control<QLineEdit>("TextFileName")->text(), QDir::current().absoluteFilePath("t1.wrl"));
    QStringList told; // the status line after each command
    const auto tell = [&](const char* entry) {
        choose(entry);
        told << status();
    };
    control<QTreeView>("TreeView1")->collapseAll(); // the counts are the tree's, not the view's
    for (const char* entry : {"SelectAllGet", "SelectAllOn", "SelectAllSet"})
        tell(entry);
    choose("AlsoWriteHost");
    QTest::mouseClick(control("CommandGo"), Qt::LeftButton);
    QFile script(folder.filePath("t1.js"));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    EXPECT_EQ(script.readAll(), test::workedExampleT1().toUtf8());
    EXPECT_TRUE(QFile::exists(folder.filePath("vendrel-host.js"))) << "ticked, the library goes beside it";
    tell("FileSaveSel");
    tell("DeselectAll");
    EXPECT_EQ(ticked(), QStringList());
    QFile selections(folder.filePath("s"));
    ASSERT_TRUE(selections.open(QIODevice::Append));
    selections.write("sel1=Gone\n");
    selections.close();
    tell("LoadSelections");
    EXPECT_EQ(ticked(), QStringList({"Get_T1_translation", "On_T1_translation", "Set_T1_translation"}));
    const QString file = folder.filePath("s");
    EXPECT_EQ(told, QStringList({"Ticked 1 Get_ item", "Ticked 1 On_ item", "Ticked 1 Set_ item",
                                 "Saved 3 selections to " + file, "Unticked 3 items",
                                 "Loaded " + file + ": 3 items ticked, 1 text matched nothing"}));
    QTest::mouseClick(control("ShowUnmatched"), Qt::LeftButton);
    EXPECT_EQ(messages.messages.value(0), file + " holds texts that ticked no item:\nGone");

    load("");
    EXPECT_EQ(status(), "Type or choose a world first");
    EXPECT_FALSE(control("ShowUnmatched")->isVisible()) << "it goes with the load's message";
    control<QLineEdit>("TextFileName")->setText("names.wrl");
    QTest::keyClick(control("TextFileName"), Qt::Key_Return);
    EXPECT_EQ(form->windowTitle(), "names.wrl - X3D Vendrel");
    EXPECT_TRUE(status().startsWith("Loaded names.wrl: 3 nodes, 9 items in ")) << status().toStdString();
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QDir().absoluteFilePath("t1.wrl"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    QTRY_COMPARE(form->windowTitle(), "t1.wrl - X3D Vendrel");
    load("names.wrl");
    auto* recent = control<QMenu>("RecentWorlds");
    emit recent->aboutToShow();
    EXPECT_EQ(recent->actions().value(0)->text(), "names.wrl");
    EXPECT_EQ(recent->actions().value(1)->text(), QDir().absoluteFilePath("t1.wrl"));
    const QStringList withAll = test::dumpTree(form->tree());
    QTest::mouseClick(control("CheckAll"), Qt::LeftButton);
    EXPECT_EQ(test::dumpTree(form->tree()).last(), "fRoot_2_0 b");
    QTest::mouseClick(control("CheckAll"), Qt::LeftButton);
    EXPECT_EQ(test::dumpTree(form->tree()), withAll);

    form.reset();
    start();
    EXPECT_EQ(control<QLineEdit>("TextFileName")->text(), "names.wrl") << "offered again, not loaded";
    EXPECT_TRUE(control<QAction>("AlsoWriteHost")->isChecked()) << "the tick is remembered";
    EXPECT_EQ(form->tree().count(), 0);
}

// The check runs after the script is written and on demand; a finding leads to its item in the tree,
// whose second column names the field's type.
TEST_F(FormVendrelTest, TheScriptCheckListsFindingsThatLeadToTheirItems)
{
    browser->addWorld("joined.wrl", "Transform S { io SFBool sfboolIO }  Transform Ssfbool { io SFBool IO }");
    const QTemporaryDir folder;
    dialogs.answers = {folder.filePath("joined.js")};
    load("joined.wrl");
    choose("SelectAllGet");
    QTest::mouseClick(control("CommandGo"), Qt::LeftButton);
    EXPECT_EQ(status(), "Wrote " + folder.filePath("joined.js") + ": 2 functions, 1 warnings");
    ASSERT_TRUE(control("ScriptCheck")->isVisible());
    auto* findings = control<QListWidget>("ScriptFindings");
    ASSERT_EQ(findings->count(), 1);
    EXPECT_EQ(findings->item(0)->text(),
              "duplicate-name: Get_Ssfbool_IO: function GetSsfboolIO is also defined by Get_S_sfboolIO");
    QCoreApplication::processEvents(); // the dock is laid out
    const QPoint finding = findings->visualItemRect(findings->item(0)).center();
    QTest::mouseClick(findings->viewport(), Qt::LeftButton, {}, finding);
    QTest::mouseDClick(findings->viewport(), Qt::LeftButton, {}, finding);
    EXPECT_EQ(highlighted(), "Get_Ssfbool_IO");
    auto* tree = control<QTreeView>("TreeView1");
    EXPECT_EQ(tree->currentIndex().siblingAtColumn(1).data().toString(), "SFBool");
    choose("ViewFieldTypes");
    EXPECT_TRUE(tree->isColumnHidden(1));

    choose("DeselectAll");
    choose("CheckScript");
    EXPECT_EQ(status(), "Script check: 0 functions, 0 warnings");
    EXPECT_EQ(findings->count(), 0);
}

// The test page goes into the chosen folder, with X_ITE from the CDN when asked; a failure is told in words.
TEST_F(FormVendrelTest, ExportTestPageWritesTheFolderOrSaysWhyNot)
{
    const QTemporaryDir folder;
    const QString world = folder.filePath("w.wrl");
    QFile file(world);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    browser->addWorld(world, "Transform T1 { io SFVec3f translation }");
    EXPECT_FALSE(control<QAction>("ExportTestPage")->isEnabled()) << "no world shown";
    load(world.toUtf8().constData());
    choose("SelectAllGet");
    dialogs.answers = {folder.filePath("page"), world};
    messages.answer = true;
    choose("ExportTestPage");
    EXPECT_EQ(status(), "Exported a test page to " + folder.filePath("page") + ": 1 functions");
    QFile page(folder.filePath("page/index.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_TRUE(page.readAll().contains("https://cdn.jsdelivr.net/npm/x_ite@"));
    EXPECT_TRUE(QFile::exists(folder.filePath("page/world/w.wrl")));
    choose("ExportTestPage");
    EXPECT_EQ(messages.messages.last(), "Couldn't write " + world + ": it is a file, not a folder");
}

TEST_F(FormVendrelTest, FindByNameClosesUnlessKeptOpenAndF3RepeatsItFromTheTree)
{
    load("names.wrl");
    choose("FindName");
    QWidget* search = shown<FormSearch>().value(0);
    EXPECT_EQ(tabOrder(search, 5), QStringList({"Search", "Search for:", "TextSearch",
                                                "CheckExactMatch Exact Match", "CheckIgnoreCase Ignore Case",
                                                "CommandFindNext Find Next", "CheckKeepOpen Keep Open"}));
    enter(search, {"CheckKeepOpen"}, "t1");
    EXPECT_EQ(highlighted(), "File") << "case-sensitive";
    enter(search, {"CheckIgnoreCase"}, "t1", Qt::Key_Enter);
    EXPECT_EQ(highlighted(), "Transform T1");
    QTest::keyClick(search->findChild<QWidget*>("CheckKeepOpen"), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(highlighted(), "Get_T1_translation");
    choose("FindName");
    EXPECT_EQ(shown<FormSearch>(), QList<QWidget*>{search}) << "the open dialog comes to the front";
    search->close();
    auto* view = control<QTreeView>("TreeView1");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F3); // the tree leaves it to the window
    EXPECT_EQ(highlighted(), "On_T1_translation");
    EXPECT_EQ(view->currentIndex().data().toString(), "On_T1_translation");
    EXPECT_TRUE(
        control<QPlainTextEdit>("DetailsText")
            ->toPlainText()
            .startsWith("On_T1_translation\nField: translation\nNode: Transform T1\nType: SFVec3f (29)"));

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form->tree().setSelected(1, true); // the highlight goes back to the top, the search position stays
    choose("FindName");
    search = shown<FormSearch>().value(0);
    EXPECT_EQ(search->findChild<QLineEdit*>("TextSearch")->text(), "t1");
    enter(search, {"CheckExactMatch", "CheckIgnoreCase"}, "transform t1");
    EXPECT_EQ(highlighted(), "Transform T1") << "from the top, and the boxes start unticked";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(shown<FormSearch>().size(), 0) << "closed: Keep Open starts unticked too";
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_EQ(highlighted(), "Transform T1") << "exact: Transform T10 is no match";
    EXPECT_EQ(status(), "No more matches for transform t1");
}

TEST_F(FormVendrelTest, SelectByNameTicksTheMatchingKindsStaysOpenAndRemembersItsTextTillTheWindowCloses)
{
    load("names.wrl");
    choose("SelectByName");
    QWidget* select = shown<FormSelect>().value(0);
    EXPECT_EQ(tabOrder(select, 7),
              QStringList({"Select", "Search for:", "TextSearch", "CheckExactMatch Exact Match",
                           "CheckIgnoreCase Ignore Case", "CommandSelect Select", "CheckSelectSet Set",
                           "CheckSelectGet Get", "CheckSelectOn On"}));
    enter(select, {"CheckSelectGet"}, "T1", Qt::Key_Enter);
    EXPECT_EQ(ticked(), QStringList({"Get_T1_translation", "Get_T10_rotation"}));
    EXPECT_EQ(status(), "Ticked 2 items matching T1");
    enter(select, {"CheckSelectGet", "CheckSelectSet", "CheckExactMatch"}, "T1");
    EXPECT_EQ(ticked().size(), 2) << "T1 is no whole text; an unticked box unticks no item";
    enter(select, {"CheckIgnoreCase"}, "set_t1_translation");
    EXPECT_EQ(ticked(), QStringList({"Get_T1_translation", "Set_T1_translation", "Get_T10_rotation"}));
    ASSERT_EQ(shown<FormSelect>(), QList<QWidget*>{select}) << "the Select dialog never closes itself";

    select->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    choose("SelectByName");
    select = shown<FormSelect>().value(0);
    EXPECT_EQ(select->findChild<QLineEdit*>("TextSearch")->text(), "set_t1_translation");
    enter(select, {"CheckSelectOn"}, "T10");
    EXPECT_EQ(ticked().size(), 4) << "only On ticked: the other boxes start unticked";

    // Closing the window closes the dialog and ends a load that waits.
    const QStringList before = test::dumpTree(form->tree());
    browser->setStalled(true);
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    QTimer::singleShot(5000, form.get(), [this] {
        ADD_FAILURE() << "the load still waits";
        browser->fire(3);
    });
    load("t1.wrl");
    EXPECT_EQ(test::dumpTree(form->tree()), before);
    EXPECT_EQ(shown<FormSelect>().size(), 0);
}

// No caption is cut, whatever the font: at the default and at a large one.
TEST_F(FormVendrelTest, EveryCaptionFitsItsControlAndEveryControlHasATipInTheWindowAndBothDialogs)
{
    const QFont normal = QApplication::font();
    for (const int points : {normal.pointSize(), 20}) {
        QFont font = normal;
        font.setPointSize(points);
        QApplication::setFont(font);
        form.reset();
        start();
        load("names.wrl");
        choose("FindName");
        choose("SelectByName");
        for (QWidget* window : {static_cast<QWidget*>(form.get()), shown<FormSearch>().value(0),
                                shown<FormSelect>().value(0)}) {
            ASSERT_TRUE(window);
            for (QWidget* control : window->findChildren<QWidget*>()) {
                // Every control of our own that acts tells what it does.
                if ((qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
                     qobject_cast<QAbstractItemView*>(control)) &&
                    !control->objectName().isEmpty() && !control->objectName().startsWith(u"qt_") &&
                    !qobject_cast<QTabBar*>(control->parentWidget())) { // the dock tabs' own scroll buttons
                    EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
                }
                QString text = control->property("text").toString().remove(u'&');
                int indicator = 0; // a box's indicator and the space after it
                if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control))
                    indicator = control->sizeHint().width() - control->fontMetrics().horizontalAdvance(text);
                else if (!qobject_cast<QLabel*>(control) && !qobject_cast<QPushButton*>(control))
                    continue;
                if (!control->isVisibleTo(window))
                    continue;
                EXPECT_GE(control->width(), control->fontMetrics().horizontalAdvance(text) + indicator)
                    << points << " pt: " << window->objectName().toStdString() << ' ' << text.toStdString();
            }
        }
    }
    QApplication::setFont(normal);
}
