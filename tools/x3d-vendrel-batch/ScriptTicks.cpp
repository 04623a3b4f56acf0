#include "ScriptTicks.h"

#include "persistence/SelectionsFile.h"
#include "selection/SelectionCommands.h"

namespace vendrel {

bool ScriptTicks::apply(SceneTree& tree, const BatchOptions& options, ModuleINI& ini, EventPump& events,
                        QString* error)
{
    if (options.selectNames.isEmpty()) {
        if (options.get)
            SelectAllGet(tree);
        if (options.set)
            SelectAllSet(tree);
        if (options.on)
            SelectAllOn(tree);
    } else {
        for (const QString& name : options.selectNames)
            SelectEm(tree, name, options.set, options.get, options.on);
    }
    if (options.selectionsFile.isEmpty())
        return true;
    return SelectionsFile::LoadSelectionsFrom(tree, ini, events, options.selectionsFile, error).done;
}

} // namespace vendrel
