#pragma once

#include "FormLayout.h"
#include "load/WorldControls.h"
#include "persistence/ModuleINI.h"
#include "scene/ModuleOrva.h"
#include "scene/SceneTree.h"
#include "selection/TreeSearch.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QAction;
class QCheckBox;
class QDockWidget;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTreeView;

namespace vendrel {

class ConsoleDock;
class DetailsDock;
class EventPump;
class FileDialog;
class FormSearch;
class FormSelect;
class LoadCommand;
class MessageBox;
class SceneTreeModel;
class SceneWalker;
class TryDock;
class XiteTry;

/// The main window: the address box with "..." and "Go", the browser view, the scene tree, "All" and
/// "Create SAI JavaScript", the File, Edit, View and About menus, the script check's findings in a dock
/// and a status line. It wires the commands of the other
/// libraries to its controls and keeps the state of one run: the loaded world, the tree, the search and
/// the splitter.
class FormVendrel : public QMainWindow, private WorldControls
{
    Q_OBJECT
public:
    /// What the window works with. Null entries get the real thing: the Qt dialogs, message boxes and
    /// event loop, and an empty view. A null browser means there is no browser object.
    struct Platform
    {
        std::shared_ptr<Browser> browser;
        QWidget* browserView = nullptr; ///< Sivra1; the window takes it over
        FileDialog* fileDialog = nullptr;
        MessageBox* messageBox = nullptr;
        EventPump* eventPump = nullptr;
    };

    /// Makes the window and runs the start-up (Form_Load): the address loaded last goes into the
    /// address box and the load command starts listening to the browser.
    explicit FormVendrel(Platform platform, QWidget* parent = nullptr);
    ~FormVendrel() override;

    /// Puts `address` into the address box and loads it as "Go" would, once the event loop runs.
    void openAtStart(const QString& address);

    /// "..." and "Open": picks a world file and loads it.
    void CommandBrowse_Click();
    /// "Go": loads the address box's world (LoadCommand). When it does not load, the address box shows
    /// the world shown again.
    void CommandLoad_Click();
    /// File > "Stop" (Esc): abandons the load in progress; the world shown stays.
    void Stop_Click();
    /// "Create SAI JavaScript"; with "Also write vendrel-host.js" ticked, the host library goes beside
    /// the script; then the script check of what it wrote.
    void CommandGo_Click();
    /// File > "Also write vendrel-host.js": the tick is kept in the settings.
    void AlsoWriteHost_Click();
    void ExportTestPage_Click();
    /// Edit > "Check Script": the script check of the items ticked now, without writing.
    void CheckScript_Click();
    /// A click on "All": the tree is built anew.
    void CheckAll_Click();
    void FileSaveSel_Click();
    void LoadSelections_Click();
    void FindName_Click();
    void SelectByName_Click();
    void About_Click();

    SceneTree& tree() { return m_tree; }

protected:
    void closeEvent(QCloseEvent* event) override;
    /// A world file or address dropped on the window is loaded as if typed and "Go" pressed.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    void Form_Resize();
    void makeControls(QWidget* browserView);
    void makeMenus();
    void makeFindingsList();
    /// Runs the script check and lists its findings in the dock, which it shows; returns the status line
    /// ending "N functions, M warnings".
    QString showCheck();
    /// Highlights the item in the tree view and scrolls to it.
    void showItem(const QModelIndex& index);
    void makeDetails();
    void applyLayout();
    void updateCursor(float y);
    /// The window's geometry and boundary as the last run left them, once the settings are readable.
    void restorePlace();
    void keepPlace();
    /// Tells in the status line how many items a bulk command ticked or unticked.
    void tellTicked(int count, const QString& what);
    void showUnmatched();
    void setEnabled(WorldMenuEntry entry, bool enabled) override;
    void setScriptEnabled(bool enabled) override;
    void showStatus(const QString& text) override;
    void setLoading(bool loading) override;
    void makeConsole();
    void makeTry();
    QAction* addMenuAction(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key,
                           const std::function<void()>& command);
    float clientWidth() const;
    float clientHeight() const;

    SceneTree m_tree;
    ModuleOrva m_orva;
    ModuleINI m_ini;
    FormLayout m_layout;
    QString m_lastSelectText;
    /// The surface height and view height of the last run: the boundary comes back while the window
    /// has that height, until the user drags it.
    std::optional<std::pair<float, float>> m_keptSplit;
    bool m_placeKept = false;
    QStringList m_unmatched; // the texts of the last selections load that ticked nothing
    QString m_unmatchedFile;
    QString m_unmatchedMessage;

    std::unique_ptr<FileDialog> m_ownFileDialog;
    std::unique_ptr<MessageBox> m_ownMessageBox;
    std::unique_ptr<EventPump> m_ownEventPump;
    FileDialog* m_fileDialog = nullptr;
    MessageBox* m_messageBox = nullptr;
    EventPump* m_eventPump = nullptr;

    std::unique_ptr<TreeSearch> m_search;
    std::unique_ptr<SceneWalker> m_walker;
    std::unique_ptr<LoadCommand> m_load;
    SceneTreeModel* m_model = nullptr;
    QPointer<FormSearch> m_formSearch;
    QPointer<FormSelect> m_formSelect;
    DetailsDock* m_details = nullptr;
    ConsoleDock* m_console = nullptr;
    XiteTry* m_xiteTry = nullptr;
    TryDock* m_try = nullptr;
    QAction* m_stop = nullptr;
    QWidget* m_hint = nullptr; // over the view until a world is loaded
    bool m_busy = false;       // the busy cursor is set

    QWidget* m_surface = nullptr;
    QLineEdit* m_textFileName = nullptr;
    QPushButton* m_commandBrowse = nullptr;
    QPushButton* m_commandLoad = nullptr;
    QWidget* m_sivra1 = nullptr;
    QTreeView* m_treeView1 = nullptr;
    QCheckBox* m_checkAll = nullptr;
    QPushButton* m_commandGo = nullptr;
    QPushButton* m_showUnmatched = nullptr;
    QAction* m_alsoWriteHost = nullptr;
    QAction* m_exportTestPage = nullptr;
    QAction* m_checkScript = nullptr;
    QDockWidget* m_findingsDock = nullptr;
    QListWidget* m_findings = nullptr;
    std::uint64_t m_findingsGeneration = 0;   // the tree the findings are about
    std::array<QAction*, 7> m_worldEntries{}; // by WorldMenuEntry
};

} // namespace vendrel
