#include "FileNames.h"

namespace vendrel {

QString FileNames::FileNamePart(QStringView path)
{
    qsizetype n = path.size();
    while (n > 0) {
        const QChar c = path[n - 1];
        if (c == u':' || c == u'/' || c == u'\\')
            break;
        --n;
    }
    return path.mid(n).toString();
}

QString FileNames::StripExtension(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot < 0 ? name : name.left(dot)).toString();
}

} // namespace vendrel
