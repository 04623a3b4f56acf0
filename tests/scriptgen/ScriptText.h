#pragma once

#include <QString>
#include <QStringList>

namespace vendrel::test {

/// The lines joined as the generated script holds them: each one ends with CR LF.
inline QString crlfLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + u"\r\n";
    return text;
}

} // namespace vendrel::test
