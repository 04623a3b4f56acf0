#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

namespace vendrel {

/// Small text and file routines of the script generator and the selections file commands. None keeps
/// state or shows a message.
class TextRoutines
{
public:
    /// Writes `text` to `fileName` as UTF-8 without a byte-order mark: replacing the file, or after its
    /// current end when `append` is true (a missing file is created either way). The new content is
    /// written to a temporary file beside the target and renamed over it, so a failure never leaves a
    /// half-written file and keeps any earlier file as it was. Throws Failure when the file cannot be
    /// read (for append), written or renamed.
    static void WriteTextFile(const QString& fileName, QStringView text, bool append);
    /// The same for a text already in UTF-8, given in pieces that are written one after the other.
    static void WriteUtf8File(const QString& fileName, const std::vector<QByteArrayView>& pieces,
                              bool append);

    /// Everything after the last ":", "/" or "\", or the whole path when it has none of them.
    static QString FileNamePart(QStringView path);

    /// The name without its last "." and what follows it; the name itself when it has no dot. The last
    /// dot anywhere counts, even one in a folder or host name.
    static QString StripExtension(QStringView name);
};

} // namespace vendrel
