#include "XiteUrlSchemeHandler.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>
#include <QWebEngineUrlRequestJob>

namespace vendrel {

namespace {

const QString host = QStringLiteral("local");
const QString appPrefix = QStringLiteral("/app/");
const QString filePrefix = QStringLiteral("/file/");

/// Kinds of files a world may refer to, by extension.
bool isWorldMaterial(const QString& path)
{
    static const QSet<QString> extensions = {
        QStringLiteral("wrl"),  QStringLiteral("wrz"),  QStringLiteral("x3d"),   QStringLiteral("x3dv"),
        QStringLiteral("x3db"), QStringLiteral("x3dz"), QStringLiteral("x3dvz"), QStringLiteral("gz"),
        QStringLiteral("png"),  QStringLiteral("jpg"),  QStringLiteral("jpeg"),  QStringLiteral("gif"),
        QStringLiteral("bmp"),  QStringLiteral("webp"), QStringLiteral("svg"),   QStringLiteral("ktx2"),
        QStringLiteral("dds"),  QStringLiteral("hdr"),  QStringLiteral("mp3"),   QStringLiteral("wav"),
        QStringLiteral("ogg"),  QStringLiteral("oga"),  QStringLiteral("ogv"),   QStringLiteral("mp4"),
        QStringLiteral("webm"), QStringLiteral("js"),   QStringLiteral("glsl"),  QStringLiteral("vs"),
        QStringLiteral("fs"),   QStringLiteral("vert"), QStringLiteral("frag"),  QStringLiteral("geom"),
        QStringLiteral("gltf"), QStringLiteral("glb"),  QStringLiteral("bin"),   QStringLiteral("obj"),
        QStringLiteral("mtl"),  QStringLiteral("stl"),  QStringLiteral("ply"),   QStringLiteral("ttf"),
        QStringLiteral("otf"),  QStringLiteral("woff"), QStringLiteral("woff2"),
    };
    return extensions.contains(QFileInfo(path).suffix().toLower());
}

void replyWithFile(QWebEngineUrlRequestJob* job, const QString& path)
{
    auto* file = new QFile(path, job); // the job owns the device and outlives the reply
    if (!QFileInfo(path).isFile() || !file->open(QIODevice::ReadOnly)) {
        delete file;
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    static const QMimeDatabase mimes;
    QByteArray type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8();
    if (path.endsWith(QLatin1String(".js")))
        type = QByteArrayLiteral("text/javascript");
    job->reply(type, file);
}

} // namespace

XiteUrlSchemeHandler::XiteUrlSchemeHandler(QString webFolder, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), m_webFolder(std::move(webFolder))
{}

QUrl XiteUrlSchemeHandler::pageUrl()
{
    return QUrl(QStringLiteral("vendrel://local/app/index.html"));
}

QUrl XiteUrlSchemeHandler::fileUrl(const QString& absolutePath)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(scheme()));
    url.setHost(host);
    url.setPath(QString(filePrefix + QString(absolutePath).remove(0, absolutePath.startsWith(u'/') ? 1 : 0)));
    return url;
}

QString XiteUrlSchemeHandler::fileRootFor(const QString& worldPath)
{
    QString folder = QDir::cleanPath(QFileInfo(worldPath).absolutePath());
    for (int up = 0; up < 4; ++up)
        folder = QFileInfo(folder).path(); // "/" stays "/"
    return folder;
}

bool XiteUrlSchemeHandler::mayServe(const QString& absolutePath) const
{
    if (m_fileRoot.isEmpty() || !QDir::isAbsolutePath(absolutePath))
        return false;
    const QString path = QDir::cleanPath(absolutePath);
    const QString root = m_fileRoot.endsWith(u'/') ? m_fileRoot : QString(m_fileRoot + u'/');
    if (!path.startsWith(root))
        return false;
    if (path.contains(QLatin1String("/.")))
        return false; // hidden files and folders (keys, settings) are never world material
    return isWorldMaterial(path);
}

void XiteUrlSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    if (url.host() != host || job->requestMethod() != "GET") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString path = QDir::cleanPath(url.path(QUrl::FullyDecoded));
    if (path.startsWith(appPrefix)) {
        const QString relative = path.mid(appPrefix.size());
        if (relative.isEmpty() || relative.contains(QLatin1String(".."))) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        replyWithFile(job, m_webFolder + u'/' + relative);
        return;
    }
    if (path.startsWith(filePrefix)) {
        const QString local = path.mid(filePrefix.size() - 1);
        if (!mayServe(local)) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        replyWithFile(job, local);
        return;
    }
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}

} // namespace vendrel
