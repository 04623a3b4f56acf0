#include "ScriptTicks.h"

#include "persistence/SelectionsFile.h"
#include "selection/SelectionCommands.h"

#include <QFileInfo>

namespace vendrel {

bool ScriptTicks::apply(SceneTree& tree, const BatchOptions& options, ModuleINI& ini, EventPump& events)
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
    // A bare name would be looked for in the configuration folder: the command line means this folder.
    const QString file = QFileInfo(options.selectionsFile).absoluteFilePath();
    return SelectionsFile::LoadSelectionsFrom(tree, ini, events, file) >= 0;
}

} // namespace vendrel
