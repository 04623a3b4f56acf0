#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace vendrel {

/// Writes whole files: the settings, the selections files and the scripts.
///
/// A regular file, or a name where there is no file yet, gets the new content in a temporary file beside
/// it, which then takes its place. Every write, the flush to the disk and the replacement are checked; on
/// any failure (a full disk, a file size limit) the temporary file goes and an earlier file stays exactly
/// as it was. The replacement keeps the earlier file's permissions. A symbolic link stays a link: the
/// regular file it leads to is replaced, and a link that leads nowhere is refused. A target that exists
/// but is not a regular file (a FIFO, a device such as /dev/null) is written into directly and never
/// replaced; a FIFO that nothing reads is refused rather than waited for. A folder, and a file without
/// any write permission bit (also for the superuser), are refused.
///
/// The file layer reports one way: a function returns whether it succeeded, and on failure puts the
/// reason in words ("No space left on device") into `*error` unless `error` is null. The reason does not
/// name the file; the caller says what it was writing.
class FileWriter
{
public:
    /// Writes the pieces one after the other as the file's whole content.
    static bool write(const QString& path, const std::vector<QByteArrayView>& pieces, QString* error);
    static bool write(const QString& path, QByteArrayView bytes, QString* error);
};

} // namespace vendrel
