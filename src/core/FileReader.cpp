#include "FileReader.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vendrel {

namespace {

/// 0 when the file status is a regular file's; else the reason's error code, or -1 for "not regular".
int regularFile(const struct stat& status)
{
    if (S_ISDIR(status.st_mode))
        return EISDIR;
    return S_ISREG(status.st_mode) ? 0 : -1;
}

} // namespace

bool FileReader::read(const QString& path, QByteArray& bytes, QString* error)
{
    bytes.clear();
    const QByteArray name = QFile::encodeName(path);
    struct stat status = {};
    int code = ::stat(name.constData(), &status) != 0 ? errno : regularFile(status);
    int fd = -1;
    if (code == 0) {
        // O_NONBLOCK: should a FIFO have taken the file's place since, its open does not wait.
        do {
            fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        } while (fd < 0 && errno == EINTR);
        code = fd < 0 ? errno : ::fstat(fd, &status) != 0 ? errno : regularFile(status);
    }
    if (code == 0) {
        QByteArray content(qsizetype(status.st_size), Qt::Uninitialized);
        qsizetype size = 0;
        for (;;) {
            if (size == content.size())
                content.resize(size + 65536); // the file grew since
            const ssize_t n = ::read(fd, content.data() + size, std::size_t(content.size() - size));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                code = n < 0 ? errno : 0;
                break;
            }
            size += n;
        }
        content.truncate(size);
        if (code == 0)
            bytes = std::move(content);
    }
    if (fd >= 0)
        ::close(fd);
    if (code == 0)
        return true;
    if (error)
        *error = code < 0 ? QStringLiteral("Not a regular file") : qt_error_string(code);
    return false;
}

} // namespace vendrel
