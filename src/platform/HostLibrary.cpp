#include "HostLibrary.h"

#include "XiteBrowser.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"

#include <QDir>
#include <QFileInfo>

namespace vendrel {

QString HostLibrary::path()
{
    const QString folder = XiteBrowser::webFolder();
    return folder.isEmpty() ? QString() : folder + u'/' + fileName;
}

bool HostLibrary::writeBeside(const QString& scriptFile, QString* error)
{
    const QFileInfo script(scriptFile);
    const QString target = script.absoluteDir().filePath(fileName);
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("Couldn't write ") + target + QStringLiteral(": ") + reason;
        return false;
    };
    // The script would be replaced by the library.
    if (script.fileName() == fileName)
        return fail(QStringLiteral("it is the script's own name"));
    const QString source = path();
    if (source.isEmpty())
        return fail(QStringLiteral("the tool's copy of it is missing"));
    QByteArray bytes;
    QString reason;
    if (!FileReader::read(source, bytes, &reason))
        return fail(QStringLiteral("the tool's copy of it cannot be read: ") + reason);
    if (!FileWriter::write(target, bytes, &reason))
        return fail(reason);
    return true;
}

} // namespace vendrel
