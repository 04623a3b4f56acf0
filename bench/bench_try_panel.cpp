// The Try panel for a world of `fields` Script fields with their Get_, Set_ and On_ items ticked (three
// items a field): the time from "Try" to the panel ready, its rows built, the script loaded into the
// page and the setters' boxes filled. Runs the real browser, so it needs a display.

#include "BenchStubs.h"
#include "BenchXiteWorld.h"
#include "app/TryDock.h"
#include "platform/WebEngineSetup.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"
#include "platform/XiteLoadWaiter.h"
#include "platform/XiteTry.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

/// A Script with `count` inputOutput fields of four types.
QByteArray world(int count)
{
    static const char* const types[][2] = {
        {"SFVec3f", "1 2 3"}, {"SFFloat", "0.5"}, {"SFColor", "1 0 0"}, {"MFFloat", "[ 1 2 3 ]"}};
    QByteArray text = "#X3D V3.3 utf8\nPROFILE Immersive\nDEF S Script {\n";
    for (int i = 0; i < count; ++i)
        text += QByteArray("  inputOutput ") + types[i % 4][0] + " f" + QByteArray::number(i) + ' ' +
                types[i % 4][1] + '\n';
    return text + "}\n";
}

void BM_TryPanelReady(benchmark::State& state)
{
    vendrel::bench::XiteWorld scene;
    if (!scene.prepare(world(int(state.range(0))), QStringLiteral("try.x3dv"), state))
        return;
    const auto& browser = scene.browser;
    vendrel::SceneTree tree;
    if (!scene.load(tree, 0, state))
        return;
    int ticked = 0;
    for (int i = 1; i <= tree.count(); ++i) {
        const QString& text = tree.text(i);
        const bool tick =
            text.startsWith(u"Get_S_f") || text.startsWith(u"Set_S_f") || text.startsWith(u"On_S_f");
        tree.setChecked(i, tick);
        ticked += tick;
    }
    vendrel::XiteTry page([&] { return browser->page(); });
    vendrel::TryDock dock(tree, &page, nullptr);
    dock.resize(900, 700);
    dock.show(); // rows laid out and drawn, as in the window
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(&dock, &vendrel::TryDock::ready, &loop, &QEventLoop::quit);
        dock.refresh();
        loop.exec();
        state.SetIterationTime(double(dock.lastReadyMs()) / 1000);
    }
    state.counters["ticked"] = ticked;
}
BENCHMARK(BM_TryPanelReady)->Arg(334)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return vendrel::bench::runWithWebEngine(argc, argv);
}
