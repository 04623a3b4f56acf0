#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace vendrel {

/// Why a load failed, in words: X_ITE's and the page's technical reasons turned into what went wrong and
/// where (not a world file, a parse error at a line, a host that could not be reached).
class XiteLoadError
{
public:
    /// Why the tool could not fetch the web address; "" when it does not know.
    using WebFailure = std::function<QString(const QUrl& web)>;

    /// `reason` as the page reported it, with local files named by their file URLs. Reasons it does not
    /// know are returned as they are.
    static QString inWords(const QString& reason, const WebFailure& webFailure);
};

} // namespace vendrel
