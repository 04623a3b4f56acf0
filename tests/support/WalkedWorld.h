#pragma once

#include "CountingEventPump.h"
#include "RecordingMessageBox.h"
#include "TreeDump.h"
#include "scene/ModuleOrva.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"
#include "sim/SimScene.h"

namespace vendrel::test {

/// A world written in the simulated scene's notation and walked into a tree as a load does; the "All"
/// box reads `checkAll`, and cannot be read at all while it is negative.
struct WalkedWorld
{
    /// Loads `description` and walks it with "All" in state `all`; the tree as dumpTree gives it.
    QStringList walk(const char* description, int all = 0)
    {
        scene = SimScene::parse(QString::fromUtf8(description));
        orva.context = scene;
        checkAll = all;
        walker.BuildSceneTree();
        return dumpTree(tree);
    }

    /// Walks the world of `context` (a real browser's, say) with "All" in state `all`.
    void walk(std::shared_ptr<ExecutionContext> context, int all)
    {
        orva.context = std::move(context);
        checkAll = all;
        walker.BuildSceneTree();
    }

    /// The first item with this text; 0 when there is none.
    int indexOfText(QStringView text) const
    {
        for (int i = 1; i <= tree.count(); ++i) {
            if (tree.text(i) == text)
                return i;
        }
        return 0;
    }

    /// Ticks the items with these texts; fails when one is missing.
    void tick(const QStringList& texts)
    {
        for (const QString& text : texts) {
            const int index = indexOfText(text);
            if (index == 0)
                throw Failure("No item " + text.toStdString());
            tree.setChecked(index, true);
        }
    }

    std::shared_ptr<SimScene> scene;
    SceneTree tree;
    ModuleOrva orva;
    RecordingMessageBox messages;
    CountingEventPump events;
    int checkAll = 0;
    SceneWalker walker{tree, orva, messages, events, [this] {
                           return checkAll >= 0 ? checkAll : throw Failure("The All box cannot be read");
                       }};
};

} // namespace vendrel::test
