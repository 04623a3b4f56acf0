#include "XiteLoadError.h"

#include "WebAccess.h"

#include <QRegularExpression>

namespace vendrel {

namespace {

QString fileName(const QString& address)
{
    const QString path = QUrl(address).path();
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

QString XiteLoadError::inWords(const QString& reason, const WebFailure& webFailure)
{
    // X_ITE puts its own words before the cause: "Couldn't load X3D file. Error: ..."
    static const QRegularExpression prefix(QStringLiteral("^Couldn't load X3D file\\.\\s*(?:\\w*Error: )?"));
    QString cause = reason;
    cause.remove(prefix);

    static const QRegularExpression noHandler(QStringLiteral("No suitable file handler found for '([^']*)'"));
    if (const auto match = noHandler.match(cause); match.hasMatch())
        return QStringLiteral("%1 is not a world X_ITE can read: it is neither VRML nor X3D (XML, JSON or "
                              "classic encoding), or it is not well-formed")
            .arg(fileName(match.captured(1)));

    static const QRegularExpression parser(
        QStringLiteral("Parser error at line (\\d+):(\\d+) in '([^']*)'.*\\^\\s*(.*)$"));
    if (const auto match = parser.match(cause); match.hasMatch()) {
        const QString address =
            QString(match.captured(3)).replace(QLatin1String("vendrel://local/web/"), QLatin1String(""));
        return QStringLiteral("Parse error in %1 at line %2, column %3: %4")
            .arg(fileName(address), match.captured(1), match.captured(2), match.captured(4).trimmed());
    }

    static const QRegularExpression fetch(QStringLiteral("Failed to fetch (vendrel://local/web/\\S+)"));
    if (const auto match = fetch.match(cause); match.hasMatch()) {
        const QUrl page(match.captured(1));
        const QUrl web = WebAccess::behindGate(page.path(QUrl::FullyEncoded), page.query(QUrl::FullyEncoded));
        if (web.isValid()) {
            const QString why = webFailure ? webFailure(web) : QString();
            return why.isEmpty() ? QStringLiteral("Couldn't fetch %1").arg(web.toString())
                                 : QStringLiteral("Couldn't fetch %1: %2").arg(web.toString(), why);
        }
    }
    return reason;
}

} // namespace vendrel
