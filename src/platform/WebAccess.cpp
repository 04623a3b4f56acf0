#include "WebAccess.h"

namespace vendrel {

namespace {
const QString webPrefix = QStringLiteral("/web/");
}

void WebAccess::setWorld(const QString& address, bool web)
{
    m_world = address;
    m_webWorld = web;
}

void WebAccess::allow(const QString& host)
{
    m_leaves->allowed[m_world].insert(host.toLower());
}

bool WebAccess::allows(const QString& host) const
{
    if (host.isEmpty())
        return false;
    return m_leaves->allowAll || m_webWorld || m_leaves->allowed.value(m_world).contains(host.toLower());
}

QUrl WebAccess::throughGate(const QUrl& web)
{
    QUrl gate;
    gate.setScheme(QStringLiteral("vendrel"));
    gate.setHost(QStringLiteral("local"));
    QString authority = web.host(QUrl::FullyEncoded);
    if (web.port() != -1)
        authority += u':' + QString::number(web.port());
    gate.setPath(webPrefix + web.scheme().toLower() + u'/' + authority + web.path(QUrl::FullyEncoded),
                 QUrl::StrictMode);
    gate.setQuery(web.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return gate;
}

QUrl WebAccess::behindGate(const QString& path, const QString& query)
{
    if (!path.startsWith(webPrefix))
        return {};
    const QString rest = path.mid(webPrefix.size());
    const qsizetype slash = rest.indexOf(u'/');
    const QString scheme = rest.left(slash);
    if (slash < 0 || (scheme != u"http" && scheme != u"https"))
        return {};
    QUrl web(scheme + QStringLiteral("://") + rest.mid(slash + 1), QUrl::StrictMode);
    if (!web.isValid() || web.host().isEmpty())
        return {};
    if (!query.isEmpty())
        web.setQuery(query, QUrl::StrictMode);
    return web;
}

} // namespace vendrel
