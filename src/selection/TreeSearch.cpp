#include "TreeSearch.h"

#include "core/EventPump.h"
#include "scene/SceneTree.h"

#include <Qt>

namespace vendrel {

TreeSearch::TreeSearch(SceneTree& tree, EventPump& events) : m_tree(tree), m_events(events) {}

bool TreeSearch::FindNext(const QString& s, MatchOptions options)
{
    // `s` may be LastSearchText itself: copy before overwriting.
    const QString wanted = s;
    m_lastSearchText = wanted;
    m_lastOptions = options;

    // Catch up with a highlight the user moved past the last match.
    const int count = m_tree.count();
    const int selected = m_tree.selectedIndex();
    if (selected > m_searchIndex && selected <= count)
        m_searchIndex = selected;

    for (int i = m_searchIndex + 1; i <= count; ++i) {
        if (!textMatches(m_tree.text(i), wanted, options))
            continue;
        m_tree.setSelected(i, true);
        m_events.processPendingEvents();
        m_searchIndex = i;
        return true;
    }
    if (m_noMatch)
        m_noMatch(wanted);
    return false;
}

bool TreeSearch::FindAgain()
{
    return FindNext(m_lastSearchText, m_lastOptions);
}

void TreeSearch::TreeView1_NodeClick(int index)
{
    if (index < 1 || index > m_tree.count())
        return;
    m_searchIndex = index;
    m_tree.setSelected(index, true); // the tree highlights one item at most
}

bool TreeSearch::isF3(int keyCode)
{
    return keyCode == keyF3 || keyCode == Qt::Key_F3;
}

bool TreeSearch::TreeView1_KeyDown(int keyCode, int shift)
{
    (void)shift; // Shift+F3 searches forward too
    if (!isF3(keyCode))
        return false;
    FindAgain();
    return true;
}

} // namespace vendrel
