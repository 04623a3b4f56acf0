#pragma once

#include "MatchOptions.h"
#include "MenuState.h"

#include <QString>
#include <QStringView>

namespace vendrel {

class SceneTree;
class SceneWalker;

// The commands that change ticks. An item's kind is read from its text alone ("Get_", "Set_", "On_" at
// the first character, case-sensitive); ticks never propagate to other items. None of them lets events
// run, shows a message or fails on an empty tree.

inline constexpr QStringView getPrefix = u"Get_";
inline constexpr QStringView setPrefix = u"Set_";
inline constexpr QStringView onPrefix = u"On_";

/// Ticks every item whose text begins with `prefix`; other ticks stay as they were. Returns how many
/// items begin with it (all of them ticked now, whether or not they were before).
int SelectAllWithPrefix(SceneTree& tree, QStringView prefix);
/// "Select All Get", "Select All Set", "Select All On"; return as SelectAllWithPrefix.
int SelectAllGet(SceneTree& tree);
int SelectAllSet(SceneTree& tree);
int SelectAllOn(SceneTree& tree);
/// "Deselect All": unticks every item, the top item, node and field items included. Returns how many
/// were ticked.
int DeselectAll(SceneTree& tree);

/// Ticks the items whose text matches `name` and begins with a prefix whose flag is on (any non-zero
/// value). Nothing is unticked. Returns how many items match (all of them ticked now).
int SelectEm(SceneTree& tree, const QString& name, int sets, int gets, int ons, MatchOptions options = {});

/// Sets the seven world-dependent entries, in their menu's order, to `enabled`.
void EnableMenus(MenuState& menus, bool enabled);

/// A click on "All": rebuilds the tree through the walk; the items of the new tree whose texts were
/// ticked are ticked again, matched in order as a selections file matches them. The search position is
/// left alone. Before a world has been loaded there is nothing to walk and the tree stays as it is;
/// returns false then (and whenever the walk could not reach the world).
bool CheckAll_Click(SceneTree& tree, SceneWalker& walker);

} // namespace vendrel
