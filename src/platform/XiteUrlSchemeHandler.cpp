#include "XiteUrlSchemeHandler.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>

namespace vendrel {

namespace {

const QString host = QStringLiteral("local");
const QString appPrefix = QStringLiteral("/app/");
const QString filePrefix = QStringLiteral("/file/");

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
        const QString real = m_gate.resolve(path.mid(filePrefix.size() - 1));
        if (real.isEmpty()) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        replyWithFile(job, real);
        return;
    }
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}

} // namespace vendrel
