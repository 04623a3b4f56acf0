#pragma once

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace vendrel::test {

/// Serves the files of one folder over HTTP on 127.0.0.1, as `python3 -m http.server` would: GET only,
/// one request per connection, 404 for anything else.
class FolderHttpServer : public QObject
{
public:
    explicit FolderHttpServer(QString folder) : m_folder(std::move(folder))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
    }

    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_server.serverPort()).arg(path));
    }

private:
    void answer(QTcpSocket* socket)
    {
        if (!socket->canReadLine())
            return;
        const QList<QByteArray> request = socket->readLine().split(' ');
        socket->readAll();
        const QString path =
            QDir::cleanPath(QUrl::fromPercentEncoding(request.value(1).split('?').first()).mid(1));
        QFile file(m_folder + u'/' + path);
        const bool found = request.value(0) == "GET" && !path.startsWith(QLatin1String("..")) &&
                           file.open(QIODevice::ReadOnly);
        const QByteArray body = found ? file.readAll() : QByteArray("not found");
        static const QMimeDatabase mimes;
        const QByteArray type =
            mimes.mimeTypeForFile(file.fileName(), QMimeDatabase::MatchExtension).name().toUtf8();
        socket->write((found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                      QByteArray("Content-Type: ") +
                      (path.endsWith(QLatin1String(".js")) ? "text/javascript" : type) +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QString m_folder;
    QTcpServer m_server;
};

} // namespace vendrel::test
