#pragma once

#include <QStringView>

namespace vendrel {

/// How a wanted name is compared with an item's text. Both off: the classic test, a case-sensitive
/// substring search compared code unit by code unit.
struct MatchOptions
{
    /// The whole text must equal the name, not just contain it.
    bool exactMatch = false;
    /// Letters are compared after Unicode case folding.
    bool ignoreCase = false;

    friend bool operator==(const MatchOptions&, const MatchOptions&) = default;
};

/// Whether `text` matches `wanted` under `options`. Without "Exact Match" an empty `wanted` is found in
/// every non-empty text, and nothing is found in an empty text.
bool textMatches(QStringView text, QStringView wanted, MatchOptions options);

} // namespace vendrel
