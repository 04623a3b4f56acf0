#include "SelectionCommands.h"

#include "TextPositions.h"
#include "core/Failure.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"

namespace vendrel {

int SelectAllWithPrefix(SceneTree& tree, QStringView prefix)
{
    SceneTree::ChangeBatch batch(tree);
    const int count = tree.count();
    int matched = 0;
    for (int i = 1; i <= count; ++i) {
        if (tree.text(i).startsWith(prefix)) {
            tree.setChecked(i, true);
            ++matched;
        }
    }
    return matched;
}

int SelectAllGet(SceneTree& tree)
{
    return SelectAllWithPrefix(tree, getPrefix);
}

int SelectAllSet(SceneTree& tree)
{
    return SelectAllWithPrefix(tree, setPrefix);
}

int SelectAllOn(SceneTree& tree)
{
    return SelectAllWithPrefix(tree, onPrefix);
}

int DeselectAll(SceneTree& tree)
{
    SceneTree::ChangeBatch batch(tree);
    const int count = tree.count();
    int unticked = 0;
    for (int i = 1; i <= count; ++i) {
        unticked += tree.checked(i) ? 1 : 0;
        tree.setChecked(i, false);
    }
    return unticked;
}

int SelectEm(SceneTree& tree, const QString& name, int sets, int gets, int ons, MatchOptions options)
{
    if (sets == 0 && gets == 0 && ons == 0)
        return 0; // no item could be ticked
    SceneTree::ChangeBatch batch(tree);
    const int count = tree.count();
    int matched = 0;
    for (int i = 1; i <= count; ++i) {
        const QString text = tree.text(i);
        if (!textMatches(text, name, options))
            continue;
        if ((gets != 0 && text.startsWith(getPrefix)) || (sets != 0 && text.startsWith(setPrefix)) ||
            (ons != 0 && text.startsWith(onPrefix))) {
            tree.setChecked(i, true);
            ++matched;
        }
    }
    return matched;
}

void EnableMenus(MenuState& menus, bool enabled)
{
    for (WorldMenuEntry entry :
         {WorldMenuEntry::FileSaveSel, WorldMenuEntry::LoadSelections, WorldMenuEntry::FindName,
          WorldMenuEntry::SelectAllOn, WorldMenuEntry::SelectAllGet, WorldMenuEntry::SelectAllSet,
          WorldMenuEntry::DeselectAll})
        menus.setEnabled(entry, enabled);
}

bool CheckAll_Click(SceneTree& tree, SceneWalker& walker)
{
    QStringList ticked;
    for (int i = 1; i <= tree.count(); ++i) {
        if (tree.checked(i))
            ticked.append(tree.text(i));
    }
    try {
        walker.BuildSceneTree();
        TextPositions(tree).tick(ticked);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

} // namespace vendrel
