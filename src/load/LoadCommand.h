#pragma once

#include "scene/OrvaListener.h"

#include <QElapsedTimer>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace vendrel {

class Browser;
class EventPump;
class FileDialog;
class MessageBox;
class ModuleINI;
class SceneWalker;
class WorldControls;
struct ModuleOrva;

/// "Go": brings the world at an address into the window. A load runs in three phases, each of which may
/// end it: the request (the browser is asked for the world), the wait for the browser's answer, and the
/// adoption (the world's execution context is kept, the tree is rebuilt, its controls are enabled and the
/// settings remember the address, among the recent worlds too). A load that ends early leaves the world
/// shown before it, its tree, controls and settings as they were; the status line follows every phase.
///
/// The wait lets events run without keeping a processor busy; whatever the user starts meanwhile runs
/// nested inside it, on the world still shown. A second load during the wait ends both waits with its
/// world, and when it fails only it says so. `abandon` gives up every waiting load without a word, as
/// does destroying the command; `stop` also tells the browser and says so in the status line.
class LoadCommand
{
public:
    enum class Outcome
    {
        Loaded,     ///< the world is shown and its tree built
        Failed,     ///< a message said why
        Superseded, ///< the wait ended with a later load's failure, which said why
        Abandoned,  ///< given up while waiting
    };

    static inline const QString noBrowserMessage = QStringLiteral("Couldn't get browser object");
    static inline const QString worldFilter = QStringLiteral(
        "X3D (*.wrl;*.x3d;*.x3dv)|*.wrl;*.x3d;*.x3dv;*.wrl.gz;*.wrz;*.x3d.gz;*.x3dz;*.x3dv.gz;*.x3dvz|"
        "All files (*)|*|");

    /// `settings` must point at the program's settings whenever a load runs.
    LoadCommand(ModuleOrva& orva, SceneWalker& walker, ModuleINI& settings, MessageBox& messages,
                EventPump& events, WorldControls& controls);
    ~LoadCommand();
    LoadCommand(const LoadCommand&) = delete;
    LoadCommand& operator=(const LoadCommand&) = delete;

    /// Start-up, once before any load: listens to the browser and disables the world's controls. Without
    /// a browser object it says so and leaves the controls alone.
    void attach();
    /// The address loaded last, as the settings remember it; "" when there is none.
    QString lastAddress() const;
    /// "..." and "Open": asks for a world file, offering `address`, or the current folder when the address
    /// begins with "http". Returns the chosen file's full path; nothing on cancel.
    static std::optional<QString> chooseWorld(const QString& address, FileDialog& dialog);

    /// Loads the world at `address`, used unchanged, and returns once its tree is built or the load ended.
    Outcome load(const QString& address);
    /// Gives up every load that is waiting now; later loads are not affected.
    void abandon() { m_abandonedUpTo = m_serial; }
    /// "Stop": gives up the waiting loads, and the browser its load, however stuck its world is.
    void stop();
    /// The address of the world shown; "" when none is.
    QString shownAddress() const { return m_shownAddress; }
    /// Whether a load is waiting for its world.
    bool isLoading() const { return m_waiting > 0; }

    static inline const QString webHostQuestion = QStringLiteral(
        "The world %1 asks for material from %2 on the web.\nLet it reach %2 for this session?");
    static inline const QString loadingStatus = QStringLiteral("Loading %1...");
    static inline const QString filesStatus = QStringLiteral("Loading %1: %2 files left");
    static inline const QString fileStatus = QStringLiteral("Loading %1: 1 file left");
    static inline const QString buildingStatus = QStringLiteral("Building the tree: %1 items");
    static inline const QString loadedStatus = QStringLiteral("Loaded %1: %2 nodes, %3 items in %4 s");
    static inline const QString failedStatus = QStringLiteral("Couldn't load %1");
    static inline const QString stoppedStatus = QStringLiteral("Stopped loading %1");

private:
    std::optional<QString> request(const QString& address);
    Outcome wait(int serial, const QString& address);
    void adopt(const QString& address);
    Outcome fail(const QString& message);
    void webRefused(const QString& host);

    ModuleOrva& m_orva;
    SceneWalker& m_walker;
    ModuleINI& m_settings;
    MessageBox& m_messages;
    EventPump& m_events;
    WorldControls& m_controls;
    OrvaListener m_listener;
    std::shared_ptr<Browser> m_attached;                                      // has m_listener
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true); // watched by waits
    int m_serial = 0;                                                         // of the latest load
    int m_abandonedUpTo = 0;
    int m_waiting = 0;
    QString m_address;      // of the latest load
    QString m_shownAddress; // of the world shown
    QElapsedTimer m_clock;  // since the latest load began
    QSet<QString> m_asked;  // address + "\n" + host, asked once a session
    bool m_reload = false;  // the latest load's world is to load again, with a host allowed
};

} // namespace vendrel
