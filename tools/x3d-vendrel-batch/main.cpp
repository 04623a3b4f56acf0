// x3d-vendrel-batch: loads worlds into the embedded X3D browser and prints their scene trees (or writes
// their scripts) without the main window.

#include "BatchOptions.h"
#include "BatchRunner.h"
#include "VirtualDisplay.h"
#include "platform/WebEngineSetup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// Whether standard output was closed when the tool started. Its descriptor then gets /dev/null, so
/// that nothing opened later (the X connection) takes it and receives what the tool prints.
bool keepStandardOutputTaken()
{
    if (::fcntl(STDOUT_FILENO, F_GETFD) != -1 || errno != EBADF)
        return false;
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0 && null != STDOUT_FILENO) {
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    return true;
}

/// Qt reads file names as UTF-8 text, so a world whose name is in other bytes (Latin-1, say) would not
/// be found: it is reached through a link with a readable name in a private folder.
QString readableName(const QByteArray& bytes, QTemporaryDir& links)
{
    const QString name = QString::fromLocal8Bit(bytes);
    if (QFile::encodeName(name) == bytes || !links.isValid())
        return name;
    QByteArray target = bytes;
    if (!target.startsWith('/'))
        target.prepend(QFile::encodeName(QDir::currentPath()) + '/');
    const QByteArray base = bytes.mid(bytes.lastIndexOf('/') + 1);
    const QString link = links.filePath(QString::fromLatin1(base));
    return ::symlink(target.constData(), QFile::encodeName(link).constData()) == 0 ? link : name;
}

/// Whether `folder` is a runtime folder Qt takes without a word: an absolute path to a real folder (no
/// link) of this user that only this user may enter.
bool quietRuntimeFolder(const QByteArray& folder)
{
    struct stat info = {};
    return folder.startsWith('/') && ::lstat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 07777) == 0700;
}

/// Qt warns on stderr when XDG_RUNTIME_DIR is not set (as under cron or su), or names a folder that is
/// missing, someone else's or open to others, and then uses a folder of its own in /tmp; the tool makes
/// such a folder itself, quietly, so its stderr holds only its messages.
void ensureRuntimeFolder()
{
    if (quietRuntimeFolder(qgetenv("XDG_RUNTIME_DIR")))
        return;
    QByteArray folder = "/tmp/runtime-" + QByteArray::number(::getuid());
    if (::mkdir(folder.constData(), 0700) != 0 && errno == EEXIST && !quietRuntimeFolder(folder)) {
        // Taken by someone else or made open: a fresh private folder, left behind as Qt's own would be.
        QByteArray pattern = folder + "-XXXXXX";
        folder = ::mkdtemp(pattern.data()) ? pattern : QByteArray();
    }
    if (quietRuntimeFolder(folder))
        qputenv("XDG_RUNTIME_DIR", folder);
}

} // namespace

int main(int argc, char** argv)
{
    const bool outputClosed = keepStandardOutputTaken();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    auto options = vendrel::BatchOptions::parse(arguments, &error);
    if (!options) {
        err << "x3d-vendrel-batch: " << error << "\n\n" << vendrel::BatchOptions::usage();
        return 2;
    }
    if (options->command == vendrel::BatchOptions::Command::Help) {
        out << vendrel::BatchOptions::usage();
        return 0;
    }
    if (options->command == vendrel::BatchOptions::Command::Version) {
        out << vendrel::BatchOptions::version();
        return 0;
    }
    if (outputClosed &&
        (options->command != vendrel::BatchOptions::Command::Script || options->output.isEmpty())) {
        err << "x3d-vendrel-batch: standard output is closed" << Qt::endl;
        return 2;
    }
    QTemporaryDir links;
    for (int i = 1; i < argc; ++i) {
        if (arguments[i - 1] == options->target)
            options->target = readableName(QByteArray(argv[i]), links);
    }

    ensureRuntimeFolder();
    vendrel::VirtualDisplay display;
    if (!display.ensure(&error)) {
        err << "x3d-vendrel-batch: " << error << Qt::endl;
        return 3;
    }
    qputenv("QT_QPA_PLATFORM", "xcb"); // the offscreen platform has no WebGL
    vendrel::prepareWebEngine();
    // The web engine describes its graphics set-up at every start; that is noise on a tool's stderr.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("x3d-vendrel-batch"));

    int status = 0;
    {
        vendrel::BatchRunner runner(out, err);
        status = runner.run(*options);
    }
    return status;
}
