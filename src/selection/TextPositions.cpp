#include "TextPositions.h"

#include "core/EventPump.h"
#include "scene/SceneTree.h"

#include <algorithm>

namespace vendrel {

int TextPositions::firstAfter(const QString& text, int after)
{
    // The next match is usually close by (ticks taken from this tree): look there first.
    const int count = m_tree.count();
    const int near = std::min(count, after + nearby);
    for (int i = after + 1; i <= near; ++i) {
        if (m_tree.text(i) == text)
            return i;
    }
    if (near == count)
        return 0;
    if (m_generation != m_tree.generation() || m_count != m_tree.count())
        rebuild();
    const auto found = m_positions.constFind(text);
    if (found == m_positions.cend())
        return 0;
    const auto next = std::upper_bound(found->begin(), found->end(), after);
    return next == found->end() ? 0 : *next;
}

int TextPositions::tick(const QStringList& texts, EventPump* events, QStringList* unmatched)
{
    int lastMatched = 0;
    int ticked = 0;
    for (const QString& text : texts) {
        const int match = firstAfter(text, lastMatched);
        if (match == 0) {
            if (unmatched)
                unmatched->append(text);
            continue;
        }
        m_tree.setChecked(match, true);
        ++ticked;
        lastMatched = match;
        if (events)
            events->processPendingEvents();
    }
    return ticked;
}

void TextPositions::rebuild()
{
    m_positions.clear();
    m_generation = m_tree.generation();
    m_count = m_tree.count();
    for (int i = 1; i <= m_count; ++i)
        m_positions[m_tree.text(i)].push_back(i);
}

} // namespace vendrel
