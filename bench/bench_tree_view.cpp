// "*" (expand everything below the current item) on the window's tree view over a tree of a million
// items, against Qt's own handling of the key in a plain QTreeView. Runs without a display.

#include "BenchStubs.h"
#include "app/SceneTreeView.h"
#include "scene/SceneTreeModel.h"

#include <QApplication>
#include <QKeyEvent>

#include <optional>

#include <benchmark/benchmark.h>

namespace {

using namespace vendrel;

/// Range 0: the number of items; range 1: 0 for a flat tree (top item, nodes, their fields), 1 for a
/// nested one (top item, models of seven nodes with fields), 2 for the nested one beside a second top
/// item, where "*" on the first cannot simply expand everything.
template <class View> void expandEverything(benchmark::State& state)
{
    SceneTree tree;
    if (state.range(1) == 0)
        bench::fill(tree, int(state.range(0)));
    else
        bench::fillNested(tree, int(state.range(0)));
    if (state.range(1) == 2)
        tree.add({}, u"Other", u"Other");
    SceneTreeModel model(tree);
    std::optional<View> shown;
    for (auto _ : state) {
        state.PauseTiming();
        shown.reset(); // a view with every item expanded takes long to go: not measured
        View& view = shown.emplace();
        view.setUniformRowHeights(true);
        view.setModel(&model);
        view.resize(400, 600);
        view.show();
        view.setCurrentIndex(model.index(0, 0));
        QApplication::processEvents();
        state.ResumeTiming();
        QKeyEvent star(QEvent::KeyPress, Qt::Key_Asterisk, Qt::NoModifier, QStringLiteral("*"));
        QApplication::sendEvent(&view, &star);
        QApplication::processEvents(); // the layout that follows
        state.PauseTiming();
        shown.reset();
        state.ResumeTiming();
    }
    state.counters["items"] = tree.count();
}

void BM_ExpandEverythingSceneTreeView(benchmark::State& state)
{
    expandEverything<SceneTreeView>(state);
}
BENCHMARK(BM_ExpandEverythingSceneTreeView)
    ->Args({1'000'000, 0})
    ->Args({880'000, 1})
    ->Args({880'000, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_ExpandEverythingPlainQTreeView(benchmark::State& state)
{
    expandEverything<QTreeView>(state);
}
BENCHMARK(BM_ExpandEverythingPlainQTreeView)
    ->Args({1'000'000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
