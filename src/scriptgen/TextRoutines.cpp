#include "TextRoutines.h"

#include "core/Failure.h"

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
    const QByteArray utf8 = text.toUtf8();
    WriteUtf8File(fileName, {QByteArrayView(utf8)}, append);
}

void TextRoutines::WriteUtf8File(const QString& fileName, const std::vector<QByteArrayView>& pieces,
                                 bool append)
{
    QByteArray earlier;
    if (append) {
        // Appending goes through the same temporary file: the old content, then the new text.
        QFile existing(fileName);
        if (existing.exists()) {
            if (!existing.open(QIODevice::ReadOnly))
                fail(fileName, existing.errorString());
            earlier = existing.readAll();
            if (existing.error() != QFileDevice::NoError)
                fail(fileName, existing.errorString());
        }
    }

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        fail(fileName, file.errorString());
    const auto write = [&file, &fileName](QByteArrayView bytes) {
        if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
            const QString reason = file.errorString();
            file.cancelWriting();
            fail(fileName, reason);
        }
    };
    write(earlier);
    for (const QByteArrayView piece : pieces)
        write(piece);
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
