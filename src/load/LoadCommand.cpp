#include "LoadCommand.h"

#include "WorldControls.h"
#include "core/EventPump.h"
#include "core/FileDialog.h"
#include "core/FileNames.h"
#include "core/MessageBox.h"
#include "persistence/ModuleINI.h"
#include "persistence/RecentWorlds.h"
#include "scene/ModuleOrva.h"
#include "scene/SceneWalker.h"
#include "selection/SelectionCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

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
{
    m_walker.setProgress([this](int items) {
        m_controls.showStatus(buildingStatus.arg(QLocale(QLocale::English).toString(items)));
    });
}

LoadCommand::~LoadCommand()
{
    m_walker.setProgress({});
    if (m_attached)
        m_attached->removeBrowserListener(&m_listener);
}

void LoadCommand::attach()
{
    if (!m_orva.browser) {
        m_messages.warn(noBrowserMessage);
        return;
    }
    m_attached = m_orva.browser;
    m_attached->addBrowserListener(&m_listener);
    m_listener.onWebRefused = [this](const QString& host) {
        webRefused(host);
    };
    m_listener.onLoadProgress = [this](int files) {
        if (isLoading() && files > 0)
            m_controls.showStatus((files == 1 ? fileStatus : filesStatus.arg(u"%1", QString::number(files)))
                                      .arg(FileNames::FileNamePart(m_address)));
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
    if (!m_orva.browser)
        return fail(noBrowserMessage);
    const int serial = ++m_serial;
    m_address = address;
    m_reload = false;
    m_clock.start();
    m_controls.showStatus(loadingStatus.arg(FileNames::FileNamePart(address)));
    if (const std::optional<QString> refused = request(address))
        return fail(*refused);
    const Outcome waited = wait(serial, address);
    if (waited != Outcome::Loaded || serial != m_serial)
        return waited; // a later load that brought its world took it in already
    adopt(address);
    if (m_reload && serial == m_serial)
        return load(address);
    return Outcome::Loaded;
}

void LoadCommand::stop()
{
    if (!isLoading())
        return;
    abandon();
    if (m_orva.browser)
        m_orva.browser->cancelLoad();
    m_controls.showStatus(stoppedStatus.arg(FileNames::FileNamePart(m_address)));
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
    return std::nullopt;
}

LoadCommand::Outcome LoadCommand::wait(int serial, const QString& address)
{
    const std::weak_ptr<const bool> alive = m_alive;
    ++m_waiting;
    m_controls.setLoading(true);
    while (!m_listener.bWorldLoaded && !m_listener.bLoadFailed && serial > m_abandonedUpTo) {
        m_events.waitForEvents();
        if (alive.expired())
            return Outcome::Abandoned; // the command is gone, and everything it worked with
    }
    --m_waiting;
    m_controls.setLoading(m_waiting > 0);
    if (serial <= m_abandonedUpTo)
        return Outcome::Abandoned;
    if (m_listener.bWorldLoaded)
        return Outcome::Loaded;
    // Only the latest load reports its failure; an earlier one was given up for it.
    if (serial != m_serial)
        return Outcome::Superseded;
    m_orva.browser->cancelLoad(); // whatever is left of it
    return fail(couldNotLoad(address, m_orva.browser->lastError()));
}

void LoadCommand::adopt(const QString& address)
{
    m_controls.setLoading(true);
    m_controls.showStatus(buildingStatus.arg(0));
    try {
        m_orva.context = m_orva.browser->getExecutionContext();
        m_walker.BuildSceneTree();
    } catch (const std::exception&) {
        // The world went away meanwhile: the tree shows what could be walked.
    }
    m_shownAddress = address;
    EnableMenus(m_controls, true);
    m_controls.setScriptEnabled(true);
    // The next start offers the world that loaded last.
    m_settings.WriteINI(ModuleINI::settingsKeyFile, address);
    const QString name = FileNames::FileNamePart(address);
    const QLocale english(QLocale::English);
    QString status = loadedStatus.arg(name, english.toString(m_walker.nodeCount()),
                                      english.toString(m_walker.tree().count()),
                                      QString::number(double(m_clock.elapsed()) / 1000, 'f', 1));
    if (QString error; !RecentWorlds(m_settings).add(address, &error))
        status = QStringLiteral("Loaded %1, but the recent worlds could not be kept: %2").arg(name, error);
    m_controls.showStatus(status);
    m_controls.setLoading(m_waiting > 0);
}

LoadCommand::Outcome LoadCommand::fail(const QString& message)
{
    m_controls.showStatus(failedStatus.arg(FileNames::FileNamePart(m_address)));
    m_messages.warn(message);
    return Outcome::Failed;
}

} // namespace vendrel
