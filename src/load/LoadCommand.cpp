#include "LoadCommand.h"

#include "WorldControls.h"
#include "core/EventPump.h"
#include "core/FileDialog.h"
#include "core/MessageBox.h"
#include "persistence/ModuleINI.h"
#include "scene/ModuleOrva.h"
#include "scene/SceneWalker.h"
#include "selection/SelectionCommands.h"

#include <QDir>
#include <QFileInfo>

namespace vendrel {

namespace {

QString couldNotLoad(const QString& address, const QString& reason)
{
    return reason.isEmpty() ? QStringLiteral("Couldn't load %1").arg(address)
                            : QStringLiteral("Couldn't load %1\n%2").arg(address, reason);
}

} // namespace

LoadCommand::LoadCommand(ModuleOrva& orva, SceneWalker& walker, ModuleINI& settings, MessageBox& messages,
                         EventPump& events, WorldControls& controls)
    : m_orva(orva), m_walker(walker), m_settings(settings), m_messages(messages), m_events(events),
      m_controls(controls)
{}

LoadCommand::~LoadCommand()
{
    if (m_attached)
        m_attached->removeBrowserListener(&m_listener);
}

void LoadCommand::attach()
{
    if (!m_orva.browser) {
        m_messages.show(noBrowserMessage);
        return;
    }
    m_attached = m_orva.browser;
    m_attached->addBrowserListener(&m_listener);
    m_listener.onWebRefused = [this](const QString& host) {
        webRefused(host);
    };
    EnableMenus(m_controls, false);
}

QString LoadCommand::lastAddress() const
{
    return m_settings.ReadINI(ModuleINI::settingsKeyFile, QString());
}

std::optional<QString> LoadCommand::chooseWorld(const QString& address, FileDialog& dialog)
{
    const std::optional<QString> chosen = dialog.showOpen(FileDialogRequest::make(
        worldFilter, QStringLiteral(".wrl"), address.startsWith(u"http") ? QDir::currentPath() : address));
    if (!chosen)
        return std::nullopt;
    return QFileInfo(*chosen).absoluteFilePath();
}

LoadCommand::Outcome LoadCommand::load(const QString& address)
{
    m_controls.setScriptEnabled(false);
    if (!m_orva.browser)
        return fail(noBrowserMessage);
    const int serial = ++m_serial;
    m_address = address;
    m_reload = false;
    if (const std::optional<QString> refused = request(address))
        return fail(*refused);
    const Outcome waited = wait(serial, address);
    if (waited != Outcome::Loaded)
        return waited;
    adopt();
    if (m_reload && serial == m_serial)
        return load(address);
    return Outcome::Loaded;
}

void LoadCommand::webRefused(const QString& host)
{
    const QString asked = m_address + u'\n' + host;
    if (m_address.isEmpty() || m_asked.contains(asked))
        return;
    m_asked.insert(asked);
    if (!m_messages.ask(webHostQuestion.arg(m_address, host)))
        return;
    m_orva.browser->allowWebHost(host);
    // What the world fetched has failed already: it shows the material once loaded again.
    if (isLoading())
        m_reload = true;
    else
        load(m_address);
}

std::optional<QString> LoadCommand::request(const QString& address)
{
    // Wait for the world asked for now, not for one that arrived before.
    m_listener.bWorldLoaded = false;
    m_listener.bLoadFailed = false;
    try {
        m_orva.browser->loadURL({address}, {});
    } catch (const Failure& failure) {
        return couldNotLoad(address, QString::fromUtf8(failure.what()));
    }
    // Remembered whether or not the world ever arrives: the next start offers it again.
    m_settings.WriteINI(ModuleINI::settingsKeyFile, address);
    return std::nullopt;
}

LoadCommand::Outcome LoadCommand::wait(int serial, const QString& address)
{
    const std::weak_ptr<const bool> alive = m_alive;
    ++m_waiting;
    while (!m_listener.bWorldLoaded && !m_listener.bLoadFailed && serial > m_abandonedUpTo) {
        m_events.waitForEvents();
        if (alive.expired())
            return Outcome::Abandoned; // the command is gone, and everything it worked with
    }
    --m_waiting;
    if (serial <= m_abandonedUpTo)
        return keepShownWorld(Outcome::Abandoned);
    if (m_listener.bWorldLoaded)
        return Outcome::Loaded;
    // Only the latest load reports its failure; an earlier one was given up for it.
    if (serial != m_serial)
        return keepShownWorld(Outcome::Superseded);
    return fail(couldNotLoad(address, m_orva.browser->lastError()));
}

void LoadCommand::adopt()
{
    m_hasWorld = true;
    EnableMenus(m_controls, true);
    m_controls.setScriptEnabled(true);
    try {
        m_orva.context = m_orva.browser->getExecutionContext();
        m_walker.BuildSceneTree();
    } catch (const std::exception&) {
        // The world went away meanwhile: the tree shows what could be walked.
    }
}

LoadCommand::Outcome LoadCommand::fail(const QString& message)
{
    m_messages.show(message);
    return keepShownWorld(Outcome::Failed);
}

LoadCommand::Outcome LoadCommand::keepShownWorld(Outcome outcome)
{
    m_controls.setScriptEnabled(m_hasWorld);
    return outcome;
}

} // namespace vendrel
