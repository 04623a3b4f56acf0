#pragma once

#include "MatchOptions.h"

#include <QString>

#include <functional>

namespace vendrel {

class SceneTree;
class EventPump;

/// Finding items by name: the one place that keeps the last search text, the options it was made with
/// and the search position shared by the Search dialog, F3 in the tree and F3 in the main window.
///
/// `SearchIndex` is the index after which the next search begins (0: before the first item). It is
/// written only by FindNext, by a click on an item and when the Search dialog opens; a rebuild of the
/// tree leaves it alone.
class TreeSearch
{
public:
    /// The classic key code of F3; TreeView1_KeyDown also takes Qt::Key_F3.
    static constexpr int keyF3 = 114;

    TreeSearch(SceneTree& tree, EventPump& events);

    /// Highlights the next item after the later of SearchIndex and the highlighted item whose text
    /// matches `s`, lets events run once so the tree repaints, then moves SearchIndex to it. Without a
    /// match nothing changes (no wrap-around). Remembers `s` and `options` for F3. Returns whether an
    /// item was found; without one the no-match listener is told.
    bool FindNext(const QString& s, MatchOptions options = {});
    /// F3: the last search again, with the options it was made with.
    bool FindAgain();

    /// A click on an item: it becomes the only highlighted item and the next search begins after it.
    void TreeView1_NodeClick(int index);
    /// A key pressed in the tree (or the main window): F3, with any modifiers, searches again. Returns
    /// whether the key was F3; other keys are left to the caller.
    bool TreeView1_KeyDown(int keyCode, int shift = 0);
    /// Whether `keyCode` is F3, as the classic code 114 or as Qt::Key_F3.
    static bool isF3(int keyCode);

    /// `listener` is told the text of every search, from the dialog or F3, that finds nothing more.
    void setNoMatchListener(std::function<void(const QString&)> listener) { m_noMatch = std::move(listener); }

    /// The Search dialog opened: searching starts again from the highlighted item.
    void resetSearchIndex() { m_searchIndex = 0; }

    const QString& LastSearchText() const { return m_lastSearchText; }
    MatchOptions lastOptions() const { return m_lastOptions; }
    int SearchIndex() const { return m_searchIndex; }
    SceneTree& tree() { return m_tree; }

private:
    SceneTree& m_tree;
    EventPump& m_events;
    QString m_lastSearchText;
    MatchOptions m_lastOptions;
    int m_searchIndex = 0;
    std::function<void(const QString&)> m_noMatch;
};

} // namespace vendrel
