#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace vendrel {

class EventPump;
class SceneTree;

/// Finds items by text the way a selections file ticks them: each text the first item after the
/// previous match whose text equals it exactly. Knows where every text stands, so a text finds its next
/// item without scanning the rest of the tree, even when it matches nothing; follows a tree that was
/// rebuilt meanwhile.
class TextPositions
{
public:
    explicit TextPositions(SceneTree& tree) : m_tree(tree) {}

    /// The first position after `after` (up to the current count) whose text is `text`; 0 when none.
    int firstAfter(const QString& text, int after);

    /// Ticks the items `texts` name, in order, each after the previous match; texts that match nothing
    /// are skipped (and appended to `unmatched` when given). Only adds ticks. Lets events run after every
    /// tick when `events` is given. Returns how many items it ticked.
    int tick(const QStringList& texts, EventPump* events = nullptr, QStringList* unmatched = nullptr);

private:
    static constexpr int nearby = 64;

    void rebuild();

    SceneTree& m_tree;
    QHash<QString, std::vector<int>> m_positions;
    std::uint64_t m_generation = 0;
    int m_count = -1;
};

} // namespace vendrel
