#include "app/FormVendrel.h"

#include "app/FormSearch.h"
#include "app/FormSelect.h"
#include "persistence/ModuleINI.h"
#include "RecordingMessageBox.h"
#include "scene/SceneTree.h"
#include "ScriptText.h"
#include "ScriptedFileDialog.h"
#include "sim/SimBrowser.h"
#include "TreeDump.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

using namespace vendrel;

namespace {

const char* const worldT1 = "Transform T1 { io SFVec3f translation }";

const char* const worldMixed = R"(
    Transform T1 {
      io SFVec3f translation
      io MFNode children [
        Shape { io SFNode appearance Appearance { io SFNode material Material { io SFFloat transparency } } }
        TimeSensor Clock { io SFTime cycleInterval  out SFBool isActive }
      ]
    }
)";

const QStringList worldMenuEntries = {"FileSaveSel",  "LoadSelections", "FindName",   "SelectAllOn",
                                      "SelectAllGet", "SelectAllSet",   "DeselectAll"};

/// Drives the main window as a user would, with a simulated browser and scripted dialogs; controls and
/// menu entries are found by their names.
class FormVendrelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        browser = std::make_shared<SimBrowser>();
        browser->addWorld(QStringLiteral("t1.wrl"), QString::fromUtf8(worldT1));
        browser->addWorld(QStringLiteral("mixed.wrl"), QString::fromUtf8(worldMixed));
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void start(bool withBrowser = true)
    {
        FormVendrel::Platform platform;
        if (withBrowser)
            platform.browser = browser;
        platform.fileDialog = &dialogs;
        platform.messageBox = &messages;
        form = std::make_unique<FormVendrel>(platform);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    template <class T> T* control(const char* name)
    {
        auto* found = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAction* action(const QString& name)
    {
        auto* found = form->findChild<QAction*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    /// Chooses a menu entry; fails when it is missing or disabled.
    void choose(const QString& name)
    {
        QAction* entry = action(name);
        ASSERT_TRUE(entry && entry->isEnabled()) << name.toStdString() << " is not available";
        entry->trigger();
    }
    void click(const char* button) { QTest::mouseClick(control<QAbstractButton>(button), Qt::LeftButton); }
    /// Types an address into the address box and presses "Go"; returns once the load has ended.
    void load(const QString& address)
    {
        auto* edit = control<QLineEdit>("TextFileName");
        edit->selectAll();
        QTest::keyClicks(edit, address);
        click("CommandLoad");
    }
    QStringList enabledWorldEntries()
    {
        QStringList enabled;
        for (const QString& name : worldMenuEntries)
            if (action(name)->isEnabled())
                enabled.append(name);
        return enabled;
    }
    int indexOfText(const QString& text)
    {
        SceneTree& tree = form->tree();
        for (int i = 1; i <= tree.count(); ++i)
            if (tree.text(i) == text)
                return i;
        return 0;
    }
    QStringList tickedTexts()
    {
        QStringList ticked;
        SceneTree& tree = form->tree();
        for (int i = 1; i <= tree.count(); ++i)
            if (tree.checked(i))
                ticked.append(tree.text(i).toString());
        return ticked;
    }
    QString settingsAddress()
    {
        ModuleINI ini;
        ini.SetSettingsTarget();
        return ini.ReadINI(ModuleINI::settingsKeyFile, QStringLiteral("(none)"));
    }
    QByteArray fileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    std::shared_ptr<SimBrowser> browser;
    test::ScriptedFileDialog dialogs;
    test::RecordingMessageBox messages;
    std::unique_ptr<FormVendrel> form;
    QTemporaryDir folder;
};

} // namespace

TEST_F(FormVendrelTest, FirstStartShowsTheControlsMenusAndStatesOfAWindowWithoutAWorld)
{
    start();
    EXPECT_EQ(form->windowTitle(), "X3D Vendrel");
    EXPECT_TRUE(messages.messages.isEmpty());
    EXPECT_EQ(control<QLineEdit>("TextFileName")->text(), "");
    EXPECT_EQ(control<QPushButton>("CommandBrowse")->text(), "...");
    EXPECT_EQ(control<QPushButton>("CommandLoad")->text(), "Go");
    EXPECT_NE(control<QWidget>("Sivra1"), nullptr);
    auto* all = control<QCheckBox>("CheckAll");
    EXPECT_EQ(all->text(), "All");
    EXPECT_EQ(all->toolTip(), "All, or just Named nodes");
    EXPECT_TRUE(all->isChecked());
    auto* go = control<QPushButton>("CommandGo");
    EXPECT_EQ(go->text(), "Create SAI JavaScript");
    EXPECT_FALSE(go->isEnabled());
    EXPECT_EQ(control<QTreeView>("TreeView1")->model()->rowCount(), 0);

    EXPECT_EQ(enabledWorldEntries(), QStringList());
    EXPECT_TRUE(action("SelectByName")->isEnabled());
    EXPECT_TRUE(action("FileOpen")->isEnabled());

    // Captions without access keys, and their shortcuts, menu by menu.
    const QList<QStringList> menus = {
        {"File", "Open", "", "Load Selections...", "Ctrl+L", "Save Selections...", "Ctrl+S"},
        {"Edit", "Find by name", "Ctrl+F", "Select All Set", "Ctrl+A", "Select by name", "Ctrl+N",
         "Select All Get", "Ctrl+G", "Select All On", "Ctrl+O", "Deselect All", "Ctrl+X"},
        {"About"},
    };
    const QList<QAction*> bar = form->menuBar()->actions();
    ASSERT_EQ(bar.size(), menus.size());
    for (int m = 0; m < menus.size(); ++m) {
        QStringList seen = {bar[m]->text()};
        if (QMenu* menu = bar[m]->menu())
            for (QAction* item : menu->actions())
                seen << item->text() << item->shortcut().toString();
        EXPECT_EQ(seen, menus[m]);
    }

    // F3 with nothing to search finds nothing and changes nothing.
    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(form->tree().count(), 0);

    choose("About");
    ASSERT_EQ(messages.messages.size(), 1);
    EXPECT_TRUE(messages.messages[0].startsWith("X3D Vendrel")) << messages.messages[0].toStdString();
    EXPECT_TRUE(messages.messages[0].contains("X_ITE")) << messages.messages[0].toStdString();
}

TEST_F(FormVendrelTest, WithoutABrowserObjectStartUpSaysSoAndLoadsNothing)
{
    start(false);
    EXPECT_EQ(messages.messages, QStringList{"Couldn't get browser object"});
    // Start-up ended early: the menu entries keep the state they were made with.
    EXPECT_EQ(enabledWorldEntries(), worldMenuEntries);
    load(QStringLiteral("t1.wrl"));
    EXPECT_EQ(messages.messages.size(), 2);
    EXPECT_EQ(form->tree().count(), 0);
    EXPECT_FALSE(control<QPushButton>("CommandGo")->isEnabled());
}

TEST_F(FormVendrelTest, LoadTickAndWriteTheScript)
{
    start();
    load(QStringLiteral("t1.wrl"));
    EXPECT_EQ(settingsAddress(), "t1.wrl");
    EXPECT_TRUE(control<QPushButton>("CommandGo")->isEnabled());
    EXPECT_EQ(enabledWorldEntries(), worldMenuEntries);
    EXPECT_EQ(test::dumpTree(form->tree()).first(), "Root File");
    EXPECT_TRUE(form->tree().selected(1));

    choose("SelectAllGet");
    choose("SelectAllOn");
    choose("SelectAllSet");
    EXPECT_EQ(tickedTexts(), QStringList({"Get_T1_translation", "On_T1_translation", "Set_T1_translation"}));

    // Cancel writes nothing; then a name is chosen.
    const QString path = folder.filePath(QStringLiteral("t1.js"));
    click("CommandGo");
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_TRUE(dialogs.calls[0].save);
    EXPECT_EQ(dialogs.calls[0].request.filter, "JavaScript (*.js)|*.js|");
    EXPECT_EQ(dialogs.calls[0].request.defaultExtension, ".js");
    EXPECT_EQ(dialogs.calls[0].request.initialFileName, "t1.js");
    EXPECT_FALSE(QFile::exists(path));
    dialogs.answers.push_back(path);
    click("CommandGo");

    EXPECT_EQ(fileBytes(path), test::workedExampleT1().toUtf8());

    choose("DeselectAll");
    EXPECT_EQ(tickedTexts(), QStringList());
}

TEST_F(FormVendrelTest, SelectionsSaveAndLoadBackAndCancelChangesNothing)
{
    start();
    load(QStringLiteral("mixed.wrl"));
    const QString path = folder.filePath(QStringLiteral("mixed.x3ds"));

    // Cancel in both dialogs: no file, no ticks.
    choose("FileSaveSel");
    choose("LoadSelections");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(tickedTexts(), QStringList());

    choose("SelectAllOn");
    const QStringList ons = tickedTexts();
    ASSERT_EQ(ons.size(), 4);
    dialogs.answers.push_back(path);
    choose("FileSaveSel");
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(dialogs.calls.back().request.initialFileName, "mixed.x3ds");
    EXPECT_EQ(dialogs.calls.back().request.filter, "X3D Settings (*.x3ds)|*.x3ds|");

    choose("DeselectAll");
    dialogs.answers.push_back(path);
    choose("LoadSelections");
    EXPECT_EQ(tickedTexts(), ons);
    EXPECT_EQ(settingsAddress(), "mixed.wrl"); // the profile target came back to the settings
}

TEST_F(FormVendrelTest, AllClickedTwiceRebuildsTheTreeAndDropsTheTicks)
{
    start();
    load(QStringLiteral("mixed.wrl"));
    const QStringList withAll = test::dumpTree(form->tree());
    choose("SelectAllGet");

    click("CheckAll");
    EXPECT_FALSE(control<QCheckBox>("CheckAll")->isChecked());
    const QStringList named = test::dumpTree(form->tree());
    EXPECT_NE(named, withAll);
    EXPECT_EQ(tickedTexts(), QStringList());

    choose("SelectAllGet");
    click("CheckAll");
    EXPECT_EQ(test::dumpTree(form->tree()), withAll);
    EXPECT_EQ(tickedTexts(), QStringList());
}

TEST_F(FormVendrelTest, RestartShowsTheLastAddressWithoutLoadingIt)
{
    start();
    load(QStringLiteral("t1.wrl"));
    form.reset();
    start();
    EXPECT_EQ(control<QLineEdit>("TextFileName")->text(), "t1.wrl");
    EXPECT_EQ(browser->loadRequests(), QStringList{"t1.wrl"});
    EXPECT_EQ(form->tree().count(), 0);
    EXPECT_FALSE(control<QPushButton>("CommandGo")->isEnabled());
}

TEST_F(FormVendrelTest, AFailedLoadSaysWhyAndKeepsThePreviousWorld)
{
    start();
    // The first world fails: "Create SAI JavaScript" stays as it was, disabled.
    load(QStringLiteral("missing.wrl"));
    ASSERT_EQ(messages.messages.size(), 1);
    EXPECT_TRUE(messages.messages[0].contains("missing.wrl"));
    EXPECT_TRUE(messages.messages[0].contains(browser->lastError())) << messages.messages[0].toStdString();
    EXPECT_FALSE(control<QPushButton>("CommandGo")->isEnabled());
    EXPECT_EQ(enabledWorldEntries(), QStringList());
    EXPECT_EQ(settingsAddress(), "missing.wrl");

    load(QStringLiteral("t1.wrl"));
    choose("SelectAllGet");
    const QStringList before = test::dumpTree(form->tree());
    load(QStringLiteral("missing.wrl"));
    EXPECT_EQ(messages.messages.size(), 2);
    EXPECT_EQ(test::dumpTree(form->tree()), before);
    EXPECT_EQ(tickedTexts(), QStringList{"Get_T1_translation"});
    EXPECT_TRUE(control<QPushButton>("CommandGo")->isEnabled());
}

TEST_F(FormVendrelTest, BrowseOffersTheAddressOrTheCurrentFolderAndLoadsTheChosenFile)
{
    start();
    const QString chosen = QDir::current().absoluteFilePath(QStringLiteral("t1.wrl"));
    browser->addWorld(chosen, QString::fromUtf8(worldT1));

    load(QStringLiteral("http://example.org/w.wrl"));
    messages.messages.clear();
    click("CommandBrowse"); // cancel
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_FALSE(dialogs.calls[0].save);
    EXPECT_EQ(dialogs.calls[0].request.initialFileName, QDir::currentPath());
    EXPECT_EQ(dialogs.calls[0].request.filter, "X3D (*.wrl;*.x3d;*.x3dv)|*.wrl;*.x3d;*.x3dv|");
    EXPECT_EQ(dialogs.calls[0].request.defaultExtension, ".wrl");
    EXPECT_EQ(control<QLineEdit>("TextFileName")->text(), "http://example.org/w.wrl");

    load(QStringLiteral("HTTP://example.org/w.wrl"));
    choose("FileOpen");
    EXPECT_EQ(dialogs.calls[1].request.initialFileName, "HTTP://example.org/w.wrl");

    dialogs.answers.push_back(chosen);
    click("CommandBrowse");
    EXPECT_EQ(control<QLineEdit>("TextFileName")->text(), chosen);
    EXPECT_EQ(browser->loadRequests().last(), chosen);
    EXPECT_TRUE(control<QPushButton>("CommandGo")->isEnabled());
    EXPECT_EQ(form->tree().count(), 5);
}

TEST_F(FormVendrelTest, FindByNameThenF3InTheWindowAndInTheTree)
{
    start();
    load(QStringLiteral("mixed.wrl"));
    choose("FindName");
    QPointer<FormSearch> search;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<FormSearch*>(top); dialog && dialog->isVisible())
            search = dialog;
    ASSERT_TRUE(search);
    auto* text = search->findChild<QLineEdit*>(QStringLiteral("TextSearch"));
    QTest::keyClicks(text, QStringLiteral("Get_"));
    QTest::keyClick(text, Qt::Key_Return);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(search); // closed: "Keep Open" was not ticked

    const int first = form->tree().selectedIndex();
    EXPECT_TRUE(form->tree().text(first).startsWith(u"Get_"));
    QTest::keyClick(form.get(), Qt::Key_F3);
    const int second = form->tree().selectedIndex();
    EXPECT_GT(second, first);
    EXPECT_TRUE(form->tree().text(second).startsWith(u"Get_"));

    auto* view = control<QTreeView>("TreeView1");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_GT(form->tree().selectedIndex(), second);
    EXPECT_EQ(view->currentIndex().data().toString(),
              form->tree().text(form->tree().selectedIndex()).toString());
}

TEST_F(FormVendrelTest, ClosingTheWindowClosesTheDialogs)
{
    start();
    choose("SelectByName");
    load(QStringLiteral("t1.wrl"));
    choose("FindName");
    QList<QPointer<QDialog>> open;
    for (QWidget* top : QApplication::topLevelWidgets())
        if ((qobject_cast<FormSelect*>(top) || qobject_cast<FormSearch*>(top)) && top->isVisible())
            open.append(qobject_cast<QDialog*>(top));
    ASSERT_EQ(open.size(), 2);
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const auto& dialog : open)
        EXPECT_TRUE(!dialog || !dialog->isVisible());
}

TEST_F(FormVendrelTest, ASecondGoDuringAWaitEndsBothWaitsWithTheNewWorld)
{
    start();
    browser->setStalled(true);
    QTimer::singleShot(0, form.get(), [this] {
        EXPECT_FALSE(control<QPushButton>("CommandGo")->isEnabled());
        browser->setStalled(false);
        load(QStringLiteral("mixed.wrl"));
    });
    load(QStringLiteral("t1.wrl"));
    EXPECT_EQ(browser->loadRequests(), QStringList({"t1.wrl", "mixed.wrl"}));
    EXPECT_NE(indexOfText(QStringLiteral("Get_Clock_cycleInterval")), 0);
    EXPECT_TRUE(control<QPushButton>("CommandGo")->isEnabled());
    EXPECT_EQ(settingsAddress(), "mixed.wrl");
}

TEST_F(FormVendrelTest, ClosingTheWindowEndsAWaitingLoad)
{
    start();
    browser->setStalled(true);
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    load(QStringLiteral("t1.wrl"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->tree().count(), 0);
}

TEST_F(FormVendrelTest, LayoutFollowsTheWindowAndTheStripDragsTheBoundary)
{
    start();
    QWidget* surface = form->centralWidget();
    EXPECT_EQ(surface->size(), QSize(380, 411)); // 5700 x 6165 twips

    form->resize(form->size() + QSize(220, 189)); // a client area of 600 x 600 pixels, 9000 x 9000 twips
    QCoreApplication::processEvents();
    ASSERT_EQ(surface->size(), QSize(600, 600));
    auto* sivra = control<QWidget>("Sivra1");
    auto* tree = control<QWidget>("TreeView1");
    EXPECT_EQ(sivra->geometry(), QRect(8, 28, 573, 268));            // 120, 420, W - 400, H / 2 - 485 twips
    EXPECT_EQ(tree->geometry(), QRect(8, 300, 573, 234));            // top H / 2, height H / 2 - 990
    EXPECT_EQ(control<QWidget>("CommandGo")->geometry().top(), 537); // H - 950
    EXPECT_EQ(control<QWidget>("CommandGo")->geometry().center().x(), 300); // centred
    EXPECT_EQ(control<QWidget>("CheckAll")->geometry().top(), 537);
    EXPECT_EQ(control<QWidget>("CommandLoad")->geometry().left() + 37, 593); // ends at W - 100 twips

    // A press on the tree's top edge starts nothing; a press in the strip and a 600-twip drag move the
    // boundary with the pointer, the strip keeping its 65 twips and the tree its lower edge.
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(surface, QPoint(300, 340));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(300, 340));
    EXPECT_EQ(sivra->height(), 268);

    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(300, 298)); // 4470 twips
    EXPECT_TRUE(form->layout().dragging());
    EXPECT_EQ(surface->cursor().shape(), Qt::SplitVCursor);
    QTest::mouseMove(surface, QPoint(300, 338)); // 5070 twips
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(300, 338));
    EXPECT_FALSE(form->layout().dragging());
    const FormLayout& layout = form->layout();
    EXPECT_EQ(layout.sivra1.height, 5070 - 420);
    EXPECT_EQ(layout.treeView1.top, 5070 + 65);
    EXPECT_EQ(layout.treeView1.height, 9000 - 5135 - 255 - 700);
    EXPECT_EQ(layout.commandGo.top - layout.treeView1.bottom(), 5);
    EXPECT_EQ(sivra->height(), 310);
    EXPECT_EQ(tree->geometry().top(), 342);

    // A resize puts the boundary back in the middle.
    form->resize(form->size() + QSize(0, 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->layout().treeView1.top, float(surface->height() * 15) / 2);
}
