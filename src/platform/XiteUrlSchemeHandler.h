#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

namespace vendrel {

/// Serves the X3D page and the files of a local world under one origin, vendrel://local/:
///   /app/...   the page, its script and the X_ITE files, from the web folder;
///   /file/...  local files, by absolute path, for the world loaded last.
/// A world is untrusted: its scripts run in the page and can ask for any address. So local files are
/// served only while a local world is loaded, only files of the kinds a world refers to (worlds, images,
/// sounds, movies, shaders, fonts, scripts, models), never hidden files or files in hidden folders, and
/// only below the fourth folder above the world's own. Everything else is refused.
class XiteUrlSchemeHandler : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    explicit XiteUrlSchemeHandler(QString webFolder, QObject* parent = nullptr);

    static QByteArray scheme() { return QByteArrayLiteral("vendrel"); }
    /// The page's address.
    static QUrl pageUrl();
    /// The address under which the page reaches a local file.
    static QUrl fileUrl(const QString& absolutePath);

    /// Local files from now on are served from below `root` (empty: none at all).
    void setFileRoot(const QString& root) { m_fileRoot = root; }
    /// The folder local files are served from for a world at `worldPath`.
    static QString fileRootFor(const QString& worldPath);

    /// Whether a local file may be served under the current root (the checks above, no file access).
    bool mayServe(const QString& absolutePath) const;

    void requestStarted(QWebEngineUrlRequestJob* job) override;

private:
    QString m_webFolder;
    QString m_fileRoot;
};

} // namespace vendrel
