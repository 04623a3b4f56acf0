#include "FileWriter.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vendrel {

namespace {

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

/// Writes all of `bytes`, however many calls it takes; 0, or the error code of the call that failed.
int writeAll(int fd, QByteArrayView bytes)
{
    const char* at = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, std::size_t(std::min<qsizetype>(left, qsizetype(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        at += n;
        left -= n;
    }
    return 0;
}

int openFile(const QByteArray& name, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

/// Writes into a FIFO or a device as it is.
bool writeInto(const QByteArray& name, const struct stat& target, const std::vector<QByteArrayView>& pieces,
               QString* error)
{
    // Without O_NONBLOCK the open of a FIFO would wait for a reader, maybe for ever.
    const int fd = openFile(name, O_WRONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENXIO && S_ISFIFO(target.st_mode))
            return fail(error, QStringLiteral("Nothing reads from the FIFO"));
        return fail(error, qt_error_string(errno));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    int code = flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? errno : 0;
    for (const QByteArrayView piece : pieces) {
        if (code == 0)
            code = writeAll(fd, piece);
    }
    if (::close(fd) != 0 && code == 0)
        code = errno;
    return code == 0 || fail(error, qt_error_string(code));
}

/// Writes a temporary file beside `target` and renames it over it. `earlier` is the file there now, if any.
bool replace(const QByteArray& target, const struct stat* earlier, const std::vector<QByteArrayView>& pieces,
             QString* error)
{
    const qsizetype slash = target.lastIndexOf('/');
    // A shortened name leaves room for the suffix within the file system's limit on names.
    const QByteArray prefix = target.left(slash + 1) + target.mid(slash + 1).left(200) + '.';
    const mode_t mode = earlier ? earlier->st_mode & 07777 : 0666;
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = prefix + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = openFile(temp, O_WRONLY | O_CREAT | O_EXCL, mode);
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            return fail(error, qt_error_string(errno));
    }
    // The umask was applied on creation; an earlier file's permissions are kept as they were.
    int code = earlier && ::fchmod(fd, mode) != 0 ? errno : 0;
    for (const QByteArrayView piece : pieces) {
        if (code == 0)
            code = writeAll(fd, piece);
    }
    // Some file systems report a full disk only when the data goes out.
    if (code == 0 && ::fdatasync(fd) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && ::rename(temp.constData(), target.constData()) != 0)
        code = errno;
    if (code == 0)
        return true;
    ::unlink(temp.constData());
    return fail(error, qt_error_string(code));
}

} // namespace

bool FileWriter::write(const QString& path, const std::vector<QByteArrayView>& pieces, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat target = {};
    struct stat link = {};
    if (name.isEmpty())
        return fail(error, qt_error_string(ENOENT));
    if (::stat(name.constData(), &target) != 0) {
        if (errno != ENOENT)
            return fail(error, qt_error_string(errno));
        if (::lstat(name.constData(), &link) == 0)
            return fail(error, QStringLiteral("The symbolic link leads nowhere"));
        return replace(name, nullptr, pieces, error);
    }
    if (S_ISDIR(target.st_mode))
        return fail(error, qt_error_string(EISDIR));
    if (!S_ISREG(target.st_mode))
        return writeInto(name, target, pieces, error);
    // The superuser passes every access check: the mode bits decide for everybody.
    if ((target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return fail(error, QStringLiteral("Read-only file"));
    if (::access(name.constData(), W_OK) != 0)
        return fail(error, qt_error_string(errno));
    if (::lstat(name.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return replace(name, &target, pieces, error);
    char* resolved = ::realpath(name.constData(), nullptr);
    if (!resolved)
        return fail(error, qt_error_string(errno));
    const QByteArray real(resolved);
    std::free(resolved);
    return replace(real, &target, pieces, error);
}

bool FileWriter::write(const QString& path, QByteArrayView bytes, QString* error)
{
    return write(path, std::vector<QByteArrayView>{bytes}, error);
}

} // namespace vendrel
