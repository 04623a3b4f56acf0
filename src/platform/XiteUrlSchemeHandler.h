#pragma once

#include "WorldFileGate.h"

#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

#include <memory>

class QNetworkAccessManager;

namespace vendrel {

class WebAccess;

/// Serves the X3D page and the files of a local world under one origin, vendrel://local/:
///   /app/...   the page, its script and the X_ITE files, from the web folder;
///   /file/...  local files, by absolute path, for the world loaded last, as its WorldFileGate allows;
///   /web/...   web material fetched by the tool, as WebAccess allows (GET only, bounded in size and time).
/// Everything else is refused.
class XiteUrlSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    /// `access` judges the page's web requests; shared, since the page's requests may outlive a load.
    XiteUrlSchemeHandler(QString webFolder, std::shared_ptr<const WebAccess> access,
                         QObject* parent = nullptr);

    static QByteArray scheme() { return QByteArrayLiteral("vendrel"); }
    /// The page's address.
    static QUrl pageUrl();
    /// The address under which the page reaches a local file.
    static QUrl fileUrl(const QString& absolutePath);

    /// The local world whose files are served from now on (empty: none at all).
    void setWorld(const QString& worldPath) { m_gate.setWorld(worldPath); }

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    /// Why the fetch of `web` failed, as the network or the server said; "" when it did not.
    QString failureOf(const QUrl& web) const { return m_failures.value(web.toString()); }
    /// The real paths of the local files served so far, each once, in the order first asked for: the
    /// world file and the material it reached (a test page copies them).
    const QStringList& servedFiles() const { return m_served; }

private:
    void fetch(QWebEngineUrlRequestJob* job, const QUrl& web);

    QString m_webFolder;
    std::shared_ptr<const WebAccess> m_access;
    QNetworkAccessManager* m_network = nullptr;
    WorldFileGate m_gate;
    QHash<QString, QString> m_failures; // web address -> why its fetch failed
    QStringList m_served;
    QSet<QString> m_servedSet;
};

} // namespace vendrel
