#pragma once

#include <QString>
#include <QStringView>

namespace vendrel {

/// Taking apart file names and addresses, as the proposed names of the script and selections files need.
class FileNames
{
public:
    /// Everything after the last ":", "/" or "\", or the whole path when it has none of them.
    static QString FileNamePart(QStringView path);

    /// The name without its last "." and what follows it; the name itself when it has no dot. The last
    /// dot anywhere counts, even one in a folder or host name.
    static QString StripExtension(QStringView name);
};

} // namespace vendrel
