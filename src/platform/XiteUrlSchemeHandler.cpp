#include "XiteUrlSchemeHandler.h"

#include "WebAccess.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QWebEngineUrlRequestJob>

namespace vendrel {

namespace {

const QString host = QStringLiteral("local");
const QString appPrefix = QStringLiteral("/app/");
const QString filePrefix = QStringLiteral("/file/");
const QString webPrefix = QStringLiteral("/web/");
constexpr int webTimeoutMs = 30'000;
constexpr qint64 maxWebBytes = 512LL * 1024 * 1024;
constexpr qsizetype maxFailures = 1'000; // a world cannot fill the memory with failing fetches
constexpr qsizetype maxServed = 100'000; // nor with the names of the files it reads

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

XiteUrlSchemeHandler::XiteUrlSchemeHandler(QString webFolder, std::shared_ptr<const WebAccess> access,
                                           QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), m_webFolder(std::move(webFolder)), m_access(std::move(access)),
      m_network(new QNetworkAccessManager(this))
{}

void XiteUrlSchemeHandler::fetch(QWebEngineUrlRequestJob* job, const QUrl& web)
{
    QNetworkRequest request(web);
    request.setTransferTimeout(webTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = m_network->get(request);
    const QPointer<QWebEngineUrlRequestJob> guarded(job); // the page may give up on the request
    connect(job, &QObject::destroyed, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > maxWebBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, guarded, web] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (m_failures.size() < maxFailures)
                m_failures.insert(
                    web.toString(),
                    status ? QStringLiteral("the server answered %1 %2")
                                 .arg(status)
                                 .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                           : reply->errorString());
        }
        if (!guarded)
            return;
        if (reply->error() != QNetworkReply::NoError) {
            guarded->fail(reply->error() == QNetworkReply::ContentNotFoundError
                              ? QWebEngineUrlRequestJob::UrlNotFound
                              : QWebEngineUrlRequestJob::RequestFailed);
            return;
        }
        QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
        if (type.isEmpty()) {
            static const QMimeDatabase mimes;
            type = mimes.mimeTypeForFile(reply->url().path(), QMimeDatabase::MatchExtension).name().toUtf8();
        }
        auto* body = new QBuffer(guarded); // the job owns the device and outlives the reply
        body->setData(reply->readAll());
        body->open(QIODevice::ReadOnly);
        guarded->reply(type.split(';').first().trimmed(), body);
    });
}

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
    if (path.startsWith(webPrefix)) {
        const QUrl web = WebAccess::behindGate(url.path(QUrl::FullyEncoded), url.query(QUrl::FullyEncoded));
        if (!web.isValid() || !m_access->allows(web.host())) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        fetch(job, web);
        return;
    }
    if (path.startsWith(filePrefix)) {
        const QString real = m_gate.resolve(path.mid(filePrefix.size() - 1));
        if (real.isEmpty()) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        if (m_served.size() < maxServed && QFileInfo(real).isFile() && !m_servedSet.contains(real)) {
            m_servedSet.insert(real);
            m_served.append(real);
        }
        replyWithFile(job, real);
        return;
    }
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}

} // namespace vendrel
