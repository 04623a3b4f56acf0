#pragma once

#include <QByteArray>
#include <QString>

namespace vendrel {

/// Reads whole files the way FileWriter writes them, reporting as it does.
class FileReader
{
public:
    /// The content of the regular file at `path` into `bytes`. Anything else (a folder, a FIFO, a device)
    /// is refused without being opened for long, so a FIFO that nothing writes never holds the caller.
    /// On failure `bytes` is left empty.
    static bool read(const QString& path, QByteArray& bytes, QString* error);
};

} // namespace vendrel
