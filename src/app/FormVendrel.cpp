#include "FormVendrel.h"

#include "ConsoleDock.h"
#include "DetailsDock.h"
#include "FontFit.h"
#include "FormControls.h"
#include "FormSearch.h"
#include "FormSelect.h"
#include "SceneTreeView.h"
#include "TryDock.h"
#include "core/FileDialog.h"
#include "core/FileNames.h"
#include "core/MessageBox.h"
#include "load/LoadCommand.h"
#include "persistence/RecentWorlds.h"
#include "persistence/SelectionsFile.h"
#include "platform/HostLibrary.h"
#include "platform/QtEventPump.h"
#include "platform/QtFileDialog.h"
#include "platform/QtMessageBox.h"
#include "platform/TestPageExport.h"
#include "platform/XiteBrowser.h"
#include "platform/XiteTry.h"
#include "scene/SceneTreeModel.h"
#include "scene/SceneWalker.h"
#include "scriptgen/ScriptCheck.h"
#include "scriptgen/ScriptGenerator.h"
#include "selection/SelectionCommands.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <functional>

namespace vendrel {

namespace {

/// "1 item", "2 items", "1,024 items": `what` in the singular.
QString counted(qsizetype count, QStringView what)
{
    return QLocale(QLocale::English).toString(count) % u' ' % what % (count == 1 ? u"" : u"s");
}

/// The example world, beside the program once installed or in the source tree; "" when neither has it.
QString exampleWorld()
{
    const QString candidates[] = {
        QCoreApplication::applicationDirPath() +
            QStringLiteral("/../share/x3d-vendrel/examples/vendrel-demo.x3dv"),
        QStringLiteral(VENDREL_EXAMPLE_WORLD),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

} // namespace

FormVendrel::FormVendrel(Platform platform, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormVendrel"));
    setWindowTitle(QStringLiteral("X3D Vendrel"));

    if (!platform.fileDialog)
        m_ownFileDialog = std::make_unique<QtFileDialog>(this);
    if (!platform.messageBox)
        m_ownMessageBox = std::make_unique<QtMessageBox>(this);
    if (!platform.eventPump)
        m_ownEventPump = std::make_unique<QtEventPump>();
    m_fileDialog = platform.fileDialog ? platform.fileDialog : m_ownFileDialog.get();
    m_messageBox = platform.messageBox ? platform.messageBox : m_ownMessageBox.get();
    m_eventPump = platform.eventPump ? platform.eventPump : m_ownEventPump.get();
    m_orva.browser = std::move(platform.browser);

    m_search = std::make_unique<TreeSearch>(m_tree, *m_eventPump);
    m_search->setNoMatchListener(
        [this](const QString& text) { statusBar()->showMessage(u"No more matches for " % text); });
    m_walker = std::make_unique<SceneWalker>(m_tree, m_orva, *m_messageBox, *m_eventPump, [this] {
        switch (m_checkAll->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
        }
        return 0;
    });
    WorldControls& controls = *this;
    m_load = std::make_unique<LoadCommand>(m_orva, *m_walker, m_ini, *m_messageBox, *m_eventPump, controls);

    makeControls(platform.browserView);
    makeFindingsList();
    makeDetails();
    makeConsole();
    makeTry();
    makeMenus();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addPermanentWidget(m_console->badge());
    m_showUnmatched = new QPushButton(QStringLiteral("Show unmatched"), statusBar());
    m_showUnmatched->setObjectName(QStringLiteral("ShowUnmatched"));
    m_showUnmatched->setToolTip(QStringLiteral("The texts of the selections file that ticked no item"));
    m_showUnmatched->setFlat(true);
    m_showUnmatched->hide();
    statusBar()->addPermanentWidget(m_showUnmatched);
    connect(m_showUnmatched, &QPushButton::clicked, this, &FormVendrel::showUnmatched);
    // The button belongs to the message of the load: another message hides it.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message != m_unmatchedMessage)
            m_showUnmatched->hide();
    });
    // The menus, the status line and the details area come on top of the window's own size: the world
    // view keeps all of its room.
    const int detailsWidth =
        DetailsDock::initialWidth + style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
    resize(sizeFromTwips(5700, 6165) +
           QSize(detailsWidth, menuBar()->sizeHint().height() + statusBar()->sizeHint().height()));
    resizeDocks({m_details}, {DetailsDock::initialWidth}, Qt::Horizontal);
    Form_Load();
}

FormVendrel::~FormVendrel()
{
    Form_Unload();
    delete m_try; // it watches the tree, which goes before the window's children
}

void FormVendrel::makeControls(QWidget* browserView)
{
    // The window's own surface: the strip between browser view and tree is the splitter.
    m_surface = new QWidget(this);
    m_surface->setObjectName(QStringLiteral("surface"));
    m_surface->setMouseTracking(true);
    m_surface->installEventFilter(this);
    setCentralWidget(m_surface);

    m_textFileName = makeControl<QLineEdit>(m_surface, "TextFileName", QStringLiteral("Text1"), {});
    m_commandBrowse = makeControl<QPushButton>(m_surface, "CommandBrowse", QStringLiteral("..."), {});
    m_commandLoad = makeControl<QPushButton>(m_surface, "CommandLoad", QStringLiteral("Go"), {});
    m_checkAll = makeControl<QCheckBox>(m_surface, "CheckAll", QStringLiteral("All"), {});
    m_checkAll->setToolTip(QStringLiteral("All, or just Named nodes"));
    m_checkAll->setChecked(true);
    m_commandGo =
        makeControl<QPushButton>(m_surface, "CommandGo", QStringLiteral("Create SAI JavaScript"), {});
    m_commandGo->setEnabled(false);
    // The window has no default button; Enter in the address box loads, as "Go".
    for (QPushButton* button : {m_commandBrowse, m_commandLoad, m_commandGo})
        button->setAutoDefault(false);
    if (const QString example = exampleWorld(); !example.isEmpty())
        m_textFileName->setPlaceholderText(example);
    m_textFileName->setToolTip(QStringLiteral("The world's file or http(s) address"));
    m_commandBrowse->setToolTip(QStringLiteral("Choose a world file"));
    m_commandLoad->setToolTip(QStringLiteral("Load the world (Enter)"));
    m_commandGo->setToolTip(QStringLiteral("Write the script of the ticked items"));
    // A larger font widens the buttons and the box; the layout places the controls by these widths.
    for (const auto& [place, control] :
         {std::pair<TwipRect*, QWidget*>{&m_layout.commandBrowse, m_commandBrowse},
          {&m_layout.commandLoad, m_commandLoad},
          {&m_layout.checkAll, m_checkAll},
          {&m_layout.commandGo, m_commandGo}})
        place->width = std::max(place->width, toTwips(neededSize(control).width()));

    m_sivra1 = browserView ? browserView : new QWidget;
    m_sivra1->setParent(m_surface);
    m_sivra1->setObjectName(QStringLiteral("Sivra1"));
    // A drop on the view must not take the page elsewhere: the window loads it as a world.
    m_sivra1->setAcceptDrops(false);
    setAcceptDrops(true);
    // Until a world is loaded, the view says what to do.
    auto* hint = new QLabel(QStringLiteral("Type or drop a world, then press Go"), m_surface);
    hint->setObjectName(QStringLiteral("ViewHint"));
    hint->setAlignment(Qt::AlignCenter);
    hint->setAutoFillBackground(true);
    hint->setWordWrap(true);
    m_hint = hint;

    m_treeView1 = new SceneTreeView(m_surface);
    m_treeView1->setObjectName(QStringLiteral("TreeView1"));
    m_treeView1->setToolTip(
        QStringLiteral("The world's nodes and fields: tick the Get_, Set_ and On_ items the "
                       "script is to have (* opens everything below an item)"));
    m_treeView1->setHeaderHidden(true);
    m_treeView1->setUniformRowHeights(true); // trees of a million items stay quick to scroll
    m_model = new SceneTreeModel(m_tree, this);
    m_treeView1->setModel(m_model);
    // The items take the width; the type names a fixed column at the right.
    QHeaderView* header = m_treeView1->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(SceneTreeModel::typeColumn, QHeaderView::Fixed);
    header->resizeSection(SceneTreeModel::typeColumn,
                          m_treeView1->fontMetrics().horizontalAdvance(QStringLiteral("MFColorRGBA")) + 12);
    connect(m_model, &SceneTreeModel::itemSelected, m_treeView1,
            [this](const QModelIndex& index) { showItem(index); });
    connect(m_model, &SceneTreeModel::itemExpanded, m_treeView1,
            [this](const QModelIndex& index, bool expanded) { m_treeView1->setExpanded(index, expanded); });
    connect(m_treeView1, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { m_search->TreeView1_NodeClick(m_model->itemOf(index)); });

    connect(m_commandBrowse, &QPushButton::clicked, this, &FormVendrel::CommandBrowse_Click);
    connect(m_commandLoad, &QPushButton::clicked, this, &FormVendrel::CommandLoad_Click);
    connect(m_textFileName, &QLineEdit::returnPressed, this, &FormVendrel::CommandLoad_Click);
    connect(m_commandGo, &QPushButton::clicked, this, &FormVendrel::CommandGo_Click);
    connect(m_checkAll, &QCheckBox::clicked, this, &FormVendrel::CheckAll_Click);

    applyLayout();
}

void FormVendrel::makeDetails()
{
    m_details = new DetailsDock(m_tree, m_orva.browser ? m_orva.browser->fieldValues() : nullptr, this);
    addDockWidget(Qt::RightDockWidgetArea, m_details);
    connect(m_treeView1->selectionModel(), &QItemSelectionModel::currentChanged, m_details,
            [this](const QModelIndex& current) { m_details->highlight(m_model->itemOf(current)); });
}

QAction* FormVendrel::addMenuAction(QMenu* menu, const char* name, const QString& caption,
                                    const QKeySequence& key, const std::function<void()>& command)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, command);
    return action;
}

void FormVendrel::makeMenus()
{
    // Access keys: Alt+letter opens a menu, and F10 the first one.
    QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    addMenuAction(fileMenu, "FileOpen", QStringLiteral("&Open"), {}, [this] { CommandBrowse_Click(); });
    m_stop = addMenuAction(fileMenu, "FileStop", QStringLiteral("S&top"), QKeySequence(Qt::Key_Escape),
                           [this] { Stop_Click(); });
    m_stop->setEnabled(false);
    QMenu* recent = fileMenu->addMenu(QStringLiteral("&Recent Worlds"));
    recent->setObjectName(QStringLiteral("RecentWorlds"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        for (const QString& address : RecentWorlds(m_ini).list()) {
            connect(recent->addAction(address), &QAction::triggered, this, [this, address] {
                m_textFileName->setText(address);
                CommandLoad_Click();
            });
        }
        if (recent->isEmpty())
            recent->addAction(QStringLiteral("(none)"))->setEnabled(false);
    });
    auto worldEntry = [this](WorldMenuEntry which, QMenu* menu, const char* name, const QString& caption,
                             Qt::Key key, const std::function<void()>& command) {
        m_worldEntries[std::size_t(which)] =
            addMenuAction(menu, name, caption, QKeySequence(Qt::CTRL | key), command);
    };
    worldEntry(WorldMenuEntry::LoadSelections, fileMenu, "LoadSelections",
               QStringLiteral("&Load Selections..."), Qt::Key_L, [this] { LoadSelections_Click(); });
    worldEntry(WorldMenuEntry::FileSaveSel, fileMenu, "FileSaveSel", QStringLiteral("&Save Selections..."),
               Qt::Key_S, [this] { FileSaveSel_Click(); });
    // Remembered in the settings: whether "Create SAI JavaScript" also writes the host library.
    m_alsoWriteHost = addMenuAction(fileMenu, "AlsoWriteHost", QStringLiteral("Also &write vendrel-host.js"),
                                    {}, [this] { AlsoWriteHost_Click(); });
    m_alsoWriteHost->setCheckable(true);
    m_exportTestPage = addMenuAction(fileMenu, "ExportTestPage", QStringLiteral("E&xport Test Page..."), {},
                                     [this] { ExportTestPage_Click(); });
    m_exportTestPage->setEnabled(false);
    fileMenu->addSeparator();
    QAction* quit =
        addMenuAction(fileMenu, "FileQuit", QStringLiteral("&Quit"), QKeySequence::Quit, [this] { close(); });
    quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit"));
    worldEntry(WorldMenuEntry::FindName, edit, "FindName", QStringLiteral("&Find by name"), Qt::Key_F,
               [this] { FindName_Click(); });
    worldEntry(WorldMenuEntry::SelectAllSet, edit, "SelectAllSet", QStringLiteral("Select All &Set"),
               Qt::Key_A, [this] { tellTicked(SelectAllSet(m_tree), setPrefix % u" item"); });
    addMenuAction(edit, "SelectByName", QStringLiteral("Select by &name"), QKeySequence(Qt::CTRL | Qt::Key_N),
                  [this] { SelectByName_Click(); });
    worldEntry(WorldMenuEntry::SelectAllGet, edit, "SelectAllGet", QStringLiteral("Select All &Get"),
               Qt::Key_G, [this] { tellTicked(SelectAllGet(m_tree), getPrefix % u" item"); });
    worldEntry(WorldMenuEntry::SelectAllOn, edit, "SelectAllOn", QStringLiteral("Select All &On"), Qt::Key_O,
               [this] { tellTicked(SelectAllOn(m_tree), onPrefix % u" item"); });
    worldEntry(WorldMenuEntry::DeselectAll, edit, "DeselectAll", QStringLiteral("&Deselect All"), Qt::Key_X,
               [this] { statusBar()->showMessage(u"Unticked " % counted(DeselectAll(m_tree), u"item")); });
    m_checkScript = addMenuAction(edit, "CheckScript", QStringLiteral("&Check Script"), {},
                                  [this] { CheckScript_Click(); });
    m_checkScript->setEnabled(false);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View"));
    QAction* types = view->addAction(QStringLiteral("Field &Types"));
    types->setObjectName(QStringLiteral("ViewFieldTypes"));
    types->setCheckable(true);
    types->setChecked(true);
    connect(types, &QAction::toggled, this,
            [this](bool shown) { m_treeView1->setColumnHidden(SceneTreeModel::typeColumn, !shown); });
    // Each dock shows or hides through its own entry.
    const auto dockEntry = [view](QDockWidget* dock, const char* name, const QString& caption) {
        QAction* entry = dock->toggleViewAction();
        entry->setObjectName(QString::fromLatin1(name));
        entry->setText(caption);
        view->addAction(entry);
    };
    dockEntry(m_findingsDock, "ViewScriptCheck", QStringLiteral("Script &Check"));
    dockEntry(m_details, "ViewDetails", QStringLiteral("&Details"));
    dockEntry(m_console, "ViewConsole", QStringLiteral("C&onsole"));
    dockEntry(m_try, "ViewTry", QStringLiteral("T&ry"));

    // A top-level entry of the menu bar that acts when clicked.
    QAction* about = menuBar()->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("About"));
    connect(about, &QAction::triggered, this, &FormVendrel::About_Click);

    QAction* menus = new QAction(this);
    menus->setObjectName(QStringLiteral("OpenMenus"));
    menus->setShortcut(Qt::Key_F10);
    addAction(menus);
    connect(menus, &QAction::triggered, this,
            [this, fileMenu] { menuBar()->setActiveAction(fileMenu->menuAction()); });
}

void FormVendrel::setEnabled(WorldMenuEntry entry, bool enabled)
{
    m_worldEntries[std::size_t(entry)]->setEnabled(enabled);
}

void FormVendrel::setScriptEnabled(bool enabled)
{
    m_commandGo->setEnabled(enabled);
    m_checkScript->setEnabled(enabled);
    m_exportTestPage->setEnabled(enabled);
}

void FormVendrel::showStatus(const QString& text)
{
    statusBar()->showMessage(text);
    statusBar()->repaint(); // the load may keep the event loop waiting
}

void FormVendrel::setLoading(bool loading)
{
    // Stop gives up a load that waits for its world; the tree of one that came is built in a moment.
    m_stop->setEnabled(loading && m_load->isLoading());
    // The busy cursor with an arrow: the world shown stays usable meanwhile.
    if (loading != m_busy)
        loading ? QApplication::setOverrideCursor(Qt::BusyCursor) : QApplication::restoreOverrideCursor();
    m_busy = loading;
}

void FormVendrel::makeConsole()
{
    m_console = new ConsoleDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_console);
    m_console->hide();
    if (auto* xite = dynamic_cast<XiteBrowser*>(m_orva.browser.get()))
        connect(xite, &XiteBrowser::consoleMessage, m_console, &ConsoleDock::add);
}

void FormVendrel::makeTry()
{
    // The page of the world shown, even while another loads.
    auto* xite = dynamic_cast<XiteBrowser*>(m_orva.browser.get());
    m_xiteTry = new XiteTry(
        [xite]() -> QWebEnginePage* {
            if (!xite)
                return nullptr;
            return xite->pageBelow() ? xite->pageBelow() : xite->page();
        },
        this);
    m_try = new TryDock(m_tree, m_xiteTry, this);
    // A tab beside the details: the tall area at the right holds many rows, the world view keeps its room.
    addDockWidget(Qt::RightDockWidgetArea, m_try);
    tabifyDockWidget(m_details, m_try);
    m_try->hide();
    connect(m_try->toggleViewAction(), &QAction::triggered, m_try, [this](bool shown) {
        if (shown)
            m_try->raise();
    });
}

void FormVendrel::makeFindingsList()
{
    // Not modal: the list stays while the user works on the ticks.
    m_findingsDock = new QDockWidget(QStringLiteral("Script Check"), this);
    m_findingsDock->setObjectName(QStringLiteral("ScriptCheck"));
    m_findings = new QListWidget(m_findingsDock);
    m_findings->setObjectName(QStringLiteral("ScriptFindings"));
    m_findings->setToolTip(QStringLiteral("A double click highlights the finding's item in the tree"));
    m_findingsDock->setWidget(m_findings);
    addDockWidget(Qt::BottomDockWidgetArea, m_findingsDock);
    m_findingsDock->hide();
    connect(m_findings, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* finding) {
        const int item = finding->data(Qt::UserRole).toInt();
        // A finding is about the tree it was made on.
        if (m_tree.generation() != m_findingsGeneration || item < 1 || item > m_tree.count())
            return;
        m_tree.setSelected(item, true);
        showItem(m_model->indexOfItem(item));
    });
}

QString FormVendrel::showCheck()
{
    const ScriptCheck::Result result = ScriptCheck::run(m_tree);
    m_findings->clear();
    for (const ScriptCheck::Finding& finding : result.findings) {
        auto* row = new QListWidgetItem(ScriptCheck::describe(m_tree, finding), m_findings);
        row->setData(Qt::UserRole, finding.item);
    }
    m_findingsGeneration = m_tree.generation();
    m_findingsDock->show();
    return QStringLiteral("%1 functions, %2 warnings").arg(result.functions).arg(result.findings.size());
}

void FormVendrel::showItem(const QModelIndex& index)
{
    m_treeView1->setCurrentIndex(index);
    m_treeView1->scrollTo(index);
}

void FormVendrel::Form_Load()
{
    m_ini.SetSettingsTarget();
    m_alsoWriteHost->setChecked(m_ini.ReadINI(ModuleINI::settingsKeyWithHost, QString()) == u"1");
    m_textFileName->setText(m_load->lastAddress());
    m_load->attach();
    restorePlace();
}

void FormVendrel::restorePlace()
{
    const QByteArray geometry = m_ini.ReadINI(ModuleINI::settingsKeyGeometry, QString()).toLatin1();
    if (geometry.isEmpty() || !restoreGeometry(QByteArray::fromBase64(geometry)))
        return; // the first start: the initial size
    const QStringList split = m_ini.ReadINI(ModuleINI::settingsKeySplit, QString()).split(u' ');
    bool heightRead = false, viewRead = false;
    const float height = split.value(0).toFloat(&heightRead), view = split.value(1).toFloat(&viewRead);
    if (heightRead && viewRead && split.size() == 2)
        m_keptSplit = {height, view};
    Form_Resize();
}

void FormVendrel::keepPlace()
{
    if (std::exchange(m_placeKept, true))
        return;
    // Not keeping the place costs only the convenience: the window closes anyway.
    m_ini.WriteINI(ModuleINI::settingsKeyGeometry, QString::fromLatin1(saveGeometry().toBase64()));
    m_ini.WriteINI(ModuleINI::settingsKeySplit,
                   QString::number(clientHeight()) % u' ' % QString::number(m_layout.sivra1.height));
}

void FormVendrel::Form_Unload()
{
    keepPlace();
    // The dialogs have no owner window: they would outlive this one.
    if (m_formSearch)
        m_formSearch->close();
    if (m_formSelect)
        m_formSelect->close();
}

void FormVendrel::closeEvent(QCloseEvent* event)
{
    setLoading(false);
    m_load->abandon(); // a load waiting for its world gives up
    Form_Unload();
    QMainWindow::closeEvent(event);
}

namespace {

/// The world a drop carries: a local file's path, a web address, or nothing.
QString droppedWorld(const QMimeData* data)
{
    if (!data->hasUrls() || data->urls().isEmpty())
        return {};
    const QUrl url = data->urls().constFirst();
    if (url.isLocalFile())
        return url.toLocalFile();
    return url.scheme().startsWith(u"http") ? url.toString() : QString();
}

} // namespace

void FormVendrel::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedWorld(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FormVendrel::dropEvent(QDropEvent* event)
{
    const QString world = droppedWorld(event->mimeData());
    if (world.isEmpty())
        return;
    event->acceptProposedAction();
    m_textFileName->setText(world);
    QTimer::singleShot(0, this, [this] { CommandLoad_Click(); }); // the drag ends first
}

void FormVendrel::openAtStart(const QString& address)
{
    m_textFileName->setText(address);
    QTimer::singleShot(0, this, [this] { CommandLoad_Click(); });
}

void FormVendrel::CommandBrowse_Click()
{
    if (const std::optional<QString> chosen =
            LoadCommand::chooseWorld(m_textFileName->text(), *m_fileDialog)) {
        m_textFileName->setText(*chosen);
        CommandLoad_Click();
    }
}

void FormVendrel::CommandLoad_Click()
{
    const QString address = m_textFileName->text().trimmed();
    if (address.isEmpty()) {
        statusBar()->showMessage(QStringLiteral("Type or choose a world first"));
        return;
    }
    if (m_load->load(address) != LoadCommand::Outcome::Loaded) {
        m_console->loadDropped();
        if (const QString shown = m_load->shownAddress(); !shown.isEmpty())
            m_textFileName->setText(shown);
        return;
    }
    m_console->loadDone();
    m_try->clear();
    m_hint->hide();
    setWindowTitle(FileNames::FileNamePart(address) + QStringLiteral(" - X3D Vendrel"));
}

void FormVendrel::Stop_Click()
{
    m_load->stop();
}

void FormVendrel::CommandGo_Click()
{
    ScriptGenerator generator(m_tree);
    if (!generator.CommandGo_Click(m_textFileName->text(), *m_fileDialog))
        return;
    statusBar()->showMessage(u"Wrote " % generator.fileName() % u": " % showCheck());
    if (!m_alsoWriteHost->isChecked())
        return;
    QString error;
    if (!HostLibrary::writeBeside(generator.fileName(), &error))
        m_messageBox->show(error);
}

void FormVendrel::AlsoWriteHost_Click()
{
    m_ini.WriteINI(ModuleINI::settingsKeyWithHost,
                   m_alsoWriteHost->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void FormVendrel::ExportTestPage_Click()
{
    const QString address = m_load->shownAddress();
    const std::optional<QString> folder = m_fileDialog->showFolder(FileDialogRequest::make({}, {}, {}));
    if (!folder)
        return;
    const bool cdn = m_messageBox->ask(QStringLiteral(
        "Name X_ITE by its address on cdn.jsdelivr.net instead of copying it into the folder?"));
    const auto* xite = dynamic_cast<XiteBrowser*>(m_orva.browser.get());
    TestPageExport::Result written;
    QString error;
    if (!TestPageExport::write(m_tree, {address, xite ? xite->worldFiles() : QStringList(), *folder, cdn},
                               &written, &error)) {
        m_messageBox->warn(error);
        return;
    }
    statusBar()->showMessage(u"Exported a test page to " % *folder % u": " %
                             QString::number(written.functions) % u" functions");
}

void FormVendrel::CheckScript_Click()
{
    statusBar()->showMessage(u"Script check: " % showCheck());
}

void FormVendrel::CheckAll_Click()
{
    vendrel::CheckAll_Click(m_tree, *m_walker);
}

void FormVendrel::FileSaveSel_Click()
{
    QString error;
    const SelectionsFile::Result saved =
        SelectionsFile::FileSaveSel_Click(m_tree, m_ini, *m_fileDialog, m_textFileName->text(), &error);
    if (saved.done)
        statusBar()->showMessage(u"Saved " % counted(saved.items, u"selection") % u" to " % saved.fileName);
    else if (!error.isEmpty())
        m_messageBox->warn(error);
}

void FormVendrel::LoadSelections_Click()
{
    const SelectionsFile::Result loaded = SelectionsFile::LoadSelections_Click(
        m_tree, m_ini, *m_fileDialog, *m_eventPump, *m_messageBox, m_textFileName->text());
    if (!loaded.done)
        return;
    m_unmatched = loaded.unmatched;
    m_unmatchedFile = loaded.fileName;
    m_unmatchedMessage = u"Loaded " % loaded.fileName % u": " % counted(loaded.items, u"item") %
                         u" ticked, " % counted(int(loaded.unmatched.size()), u"text") % u" matched nothing";
    statusBar()->showMessage(m_unmatchedMessage);
    m_showUnmatched->setVisible(!m_unmatched.isEmpty());
}

void FormVendrel::showUnmatched()
{
    // A file of another world may miss thousands: the box shows the first ones.
    constexpr qsizetype shown = 40;
    QString text = m_unmatchedFile % u" holds texts that ticked no item:\n" %
                   QStringList(m_unmatched.mid(0, shown)).join(u'\n');
    if (m_unmatched.size() > shown)
        text += u"\n... and " % QLocale(QLocale::English).toString(m_unmatched.size() - shown) % u" more";
    m_messageBox->show(text);
}

void FormVendrel::tellTicked(int count, const QString& what)
{
    statusBar()->showMessage(u"Ticked " % counted(count, what));
}

void FormVendrel::FindName_Click()
{
    FormSearch::showDialog(m_formSearch, *m_search);
}

void FormVendrel::SelectByName_Click()
{
    const bool opening = !m_formSelect;
    FormSelect* dialog = FormSelect::showDialog(m_formSelect, m_tree, m_lastSelectText);
    if (opening) {
        connect(dialog, &FormSelect::ticked, this, [this](int count, const QString& name) {
            statusBar()->showMessage(u"Ticked " % counted(count, u"item") % u" matching " % name);
        });
    }
}

void FormVendrel::About_Click()
{
    m_messageBox->show(QStringLiteral("X3D Vendrel %1\nX_ITE %2")
                           .arg(QApplication::applicationVersion(), XiteBrowser::xiteVersion()));
}

float FormVendrel::clientWidth() const
{
    return toTwips(m_surface->width());
}

float FormVendrel::clientHeight() const
{
    return toTwips(m_surface->height());
}

void FormVendrel::Form_Resize()
{
    m_layout.resize(clientWidth(), clientHeight());
    if (m_keptSplit && m_keptSplit->first == clientHeight())
        m_layout.placeBoundary(m_keptSplit->second, clientHeight());
    applyLayout();
}

void FormVendrel::applyLayout()
{
    m_textFileName->setGeometry(toPixels(m_layout.textFileName));
    m_commandBrowse->setGeometry(toPixels(m_layout.commandBrowse));
    m_commandLoad->setGeometry(toPixels(m_layout.commandLoad));
    m_sivra1->setGeometry(toPixels(m_layout.sivra1));
    m_hint->setGeometry(m_sivra1->geometry());
    m_treeView1->setGeometry(toPixels(m_layout.treeView1));
    m_checkAll->setGeometry(toPixels(m_layout.checkAll));
    m_commandGo->setGeometry(toPixels(m_layout.commandGo));
}

void FormVendrel::keyPressEvent(QKeyEvent* event)
{
    // F3 from the tree, the address box or the window itself: keys the controls leave alone end up here.
    if (!m_search->TreeView1_KeyDown(event->key(), int(event->modifiers())))
        QMainWindow::keyPressEvent(event);
}

bool FormVendrel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_surface)
        return QMainWindow::eventFilter(watched, event);
    const auto pointerY = [event] {
        return toTwips(static_cast<QMouseEvent*>(event)->position().y());
    };
    switch (event->type()) {
    case QEvent::Resize:
        Form_Resize();
        break;
    case QEvent::MouseButtonPress:
        m_layout.mouseDown(pointerY());
        if (m_layout.dragging())
            m_keptSplit.reset(); // the user's boundary from now on
        updateCursor(pointerY());
        break;
    case QEvent::MouseMove:
        // While a button is held after a press on the surface, moves arrive wherever the pointer is.
        if (m_layout.dragging()) {
            m_layout.mouseMove(pointerY(), clientHeight());
            applyLayout();
        }
        updateCursor(pointerY());
        break;
    case QEvent::MouseButtonRelease:
        m_layout.mouseUp();
        updateCursor(pointerY());
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void FormVendrel::updateCursor(float y)
{
    if (m_layout.dragging() || m_layout.inStrip(y))
        m_surface->setCursor(Qt::SplitVCursor);
    else
        m_surface->unsetCursor();
}

} // namespace vendrel
