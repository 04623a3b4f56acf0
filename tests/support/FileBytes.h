#pragma once

#include <QFile>
#include <QStringEncoder>

namespace vendrel::test {

/// The whole content of a file; "<missing>" when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

/// Makes the file hold exactly `bytes`; false when it cannot.
inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

/// The text in UTF-16, little-endian, with no byte order mark unless the text begins with one.
inline QByteArray utf16(QStringView text)
{
    QStringEncoder encode(QStringConverter::Utf16LE);
    return encode(text);
}

} // namespace vendrel::test
