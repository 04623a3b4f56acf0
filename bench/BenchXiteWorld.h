#pragma once

#include "BenchStubs.h"
#include "core/IdleEventPump.h"
#include "platform/WebEngineSetup.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"
#include "platform/XiteLoadWaiter.h"
#include "scene/ModuleOrva.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace vendrel::bench {

/// The real browser in a view that is shown (X_ITE gets frames only then), and a world written to a
/// temporary folder for it to load.
struct XiteWorld
{
    /// False, the benchmark told why, when there is no browser or the world cannot be written.
    bool prepare(const QByteArray& text, const QString& name, benchmark::State& state)
    {
        browser = XiteBrowser::create();
        if (!browser) {
            state.SkipWithError("no X_ITE files");
            return false;
        }
        view = std::make_unique<X3DBrowserView>(browser);
        view->resize(320, 240);
        view->show();
        path = folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0) {
            state.SkipWithError("cannot write the world");
            return false;
        }
        return true;
    }

    /// Loads the world and walks it into `tree` ("All" as `checkAll` reads it); false, the benchmark
    /// told why, when it does not load.
    bool load(SceneTree& tree, int checkAll, benchmark::State& state)
    {
        XiteLoadWaiter waiter(*browser);
        if (waiter.load(path, 60000) != XiteLoadWaiter::Result::Loaded) {
            state.SkipWithError("the world did not load");
            return false;
        }
        ModuleOrva orva;
        orva.context = browser->getExecutionContext();
        NoMessages messages;
        IdleEventPump events;
        SceneWalker(tree, orva, messages, events, [checkAll] { return checkAll; }).BuildSceneTree();
        return true;
    }

    std::shared_ptr<XiteBrowser> browser;
    std::unique_ptr<X3DBrowserView> view;
    QTemporaryDir folder;
    QString path;
};

/// The main() of a benchmark that needs the web engine: it must be prepared before the application.
inline int runWithWebEngine(int argc, char** argv)
{
    prepareWebEngine();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace vendrel::bench
