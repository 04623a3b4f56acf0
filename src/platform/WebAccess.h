#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QUrl>

#include <memory>

namespace vendrel {

/// Which web hosts the page of one world may reach; it reaches them only through the tool, which fetches
/// with plain GETs and serves the answers under the page's own origin (so servers need no CORS headers).
/// A world from the web may reach any host: it has no local file to give away. A local world reaches
/// only the hosts the user allowed for it in this session (or all, when told so once).
///
/// Each page judges its own world; the user's leaves are the session's, shared by every copy.
class WebAccess
{
public:
    /// The world whose requests are judged from now on, by its address; `web` when it came from the web.
    void setWorld(const QString& address, bool web);
    /// Lets this world reach `host` for the rest of the session, on every page that shows it.
    void allow(const QString& host);
    /// Lets every world reach every host (the batch tool's --allow-network).
    void allowAll() { m_leaves->allowAll = true; }
    bool allows(const QString& host) const;

    /// The page's address for a web address: http://h:p/a?q becomes vendrel://local/web/http/h:p/a?q.
    static QUrl throughGate(const QUrl& web);
    /// The web address behind a page path below /web/ (with the page address's query), or an invalid
    /// URL when it names none.
    static QUrl behindGate(const QString& path, const QString& query);

private:
    struct Leaves
    {
        bool allowAll = false;
        QHash<QString, QSet<QString>> allowed; // by world address
    };
    QString m_world;
    bool m_webWorld = false;
    std::shared_ptr<Leaves> m_leaves = std::make_shared<Leaves>();
};

} // namespace vendrel
