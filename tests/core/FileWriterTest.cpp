#include "core/FileWriter.h"
#include "core/FileReader.h"

#include "FileBytes.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vendrel;
using namespace vendrel::test;

namespace {

/// The status of the file at `path`, through links; zeros when there is none.
struct stat statusOf(const QString& path)
{
    struct stat status = {};
    stat(QFile::encodeName(path).constData(), &status);
    return status;
}

TEST(FileWriterTest, RegularFilesAreReplacedWholeThroughATemporaryFileOrLeftExactlyAsTheyWere)
{
    const struct
    {
        QString target, file, link; // made first: `file` with `mode`, a link at the target to `link`
        int mode;
        const char* reason; // none: the write succeeds
    } cases[] = {
        {"new.js", "", "", 0, nullptr},
        {"old.js", "old.js", "", 0666, nullptr},
        {"link.js", "real.js", "real.js", 0644, nullptr},
        {"locked.js", "locked.js", "", 0444, "Read-only file"}, // also for root
        {".", "", "", 0, "Is a directory"},
        {"no/such.js", "", "", 0, "No such file or directory"},
        {"dangling.js", "", "gone.js", 0, "The symbolic link leads nowhere"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        QTemporaryDir dir;
        QDir folder(dir.path());
        if (!c.file.isEmpty()) {
            writeBytes(folder.filePath(c.file), QByteArray(10000, 'e'));
            chmod(QFile::encodeName(folder.filePath(c.file)).constData(), mode_t(c.mode));
        }
        if (!c.link.isEmpty())
            QFile::link(c.link, folder.filePath(c.target));
        const QString target = folder.filePath(c.target);
        const struct stat before = statusOf(target);
        const QByteArray bytesBefore = fileBytes(target);
        const bool link = QFileInfo(target).isSymLink();
        QString error;
        const bool written =
            FileWriter::write(target, {QByteArrayView("new "), QByteArrayView("text")}, &error);
        EXPECT_EQ(written, !c.reason);
        EXPECT_EQ(error, c.reason ? c.reason : "");
        EXPECT_EQ(fileBytes(target), c.reason ? bytesBefore : "new text");
        EXPECT_EQ(QFileInfo(target).isSymLink(), link) << "a link stays a link";
        if (written && before.st_ino != 0) {
            EXPECT_NE(statusOf(target).st_ino, before.st_ino) << "written beside, then renamed over the file";
            EXPECT_EQ(statusOf(target).st_mode, before.st_mode);
        }
    }
}

TEST(FileWriterTest, AFifoIsWrittenIntoWhenReadAndRefusedWithoutWaitingOtherwiseAndNeverReadFrom)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    const QByteArray name = QFile::encodeName(fifo);
    ASSERT_EQ(mkfifo(name.constData(), 0600), 0);
    QString error;
    EXPECT_EQ(FileWriter::write(fifo, "lost", &error) ? "written" : error, "Nothing reads from the FIFO");

    const int reader = open(name.constData(), O_RDONLY | O_NONBLOCK);
    EXPECT_TRUE(FileWriter::write(fifo, "through", &error));
    char buffer[16] = {};
    read(reader, buffer, sizeof buffer - 1);
    EXPECT_STREQ(buffer, "through");
    close(reader);
    EXPECT_TRUE(S_ISFIFO(statusOf(fifo).st_mode)) << "never replaced";

    QByteArray bytes;
    EXPECT_EQ(FileReader::read(fifo, bytes, &error) ? "read" : error, "Not a regular file")
        << "without waiting";
}

} // namespace
