#include "TextRoutines.h"

#include "Failure.h"

#include <QFile>
#include <QSaveFile>

namespace vendrel {

namespace {

[[noreturn]] void fail(const QString& fileName, const QString& reason)
{
    throw Failure(QString(u"Cannot write " + fileName + u": " + reason).toStdString());
}

} // namespace

void TextRoutines::WriteTextFile(const QString& fileName, QStringView text, bool append)
{
    WriteUtf8File(fileName, text.toUtf8(), append);
}

void TextRoutines::WriteUtf8File(const QString& fileName, const QByteArray& utf8, bool append)
{
    QByteArray content;
    if (append) {
        // Appending goes through the same temporary file: old content, then the new text.
        QFile existing(fileName);
        if (existing.exists()) {
            if (!existing.open(QIODevice::ReadOnly))
                fail(fileName, existing.errorString());
            content = existing.readAll();
            if (existing.error() != QFileDevice::NoError)
                fail(fileName, existing.errorString());
        }
    }
    if (content.isEmpty())
        content = utf8;
    else
        content.append(utf8);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        fail(fileName, file.errorString());
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(fileName, reason);
    }
    if (!file.commit())
        fail(fileName, file.errorString());
}

QString TextRoutines::FileNamePart(QStringView path)
{
    qsizetype n = path.size();
    while (n > 0) {
        const QChar c = path[n - 1];
        if (c == u':' || c == u'/' || c == u'\\')
            break;
        --n;
    }
    return path.mid(n).toString();
}

QString TextRoutines::StripExtension(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot < 0 ? name : name.left(dot)).toString();
}

} // namespace vendrel
