#include "MatchOptions.h"

namespace vendrel {

bool textMatches(QStringView text, QStringView wanted, MatchOptions options)
{
    const Qt::CaseSensitivity cs = options.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (options.exactMatch)
        return text.compare(wanted, cs) == 0;
    // Users know the classic rule: an empty text contains nothing, not even the empty name.
    if (text.isEmpty())
        return false;
    return text.contains(wanted, cs);
}

} // namespace vendrel
