// Bulk selection commands, a search to the end of the tree, and saving and loading the ticks, on trees of
// 10,000 to 1,000,000 items shaped like a walked world (a node item and its Get_/On_/Set_ items).

#include "BenchStubs.h"
#include "core/FileDialog.h"
#include "core/IdleEventPump.h"
#include "persistence/ModuleINI.h"
#include "persistence/SelectionsFile.h"
#include "scene/SceneTree.h"
#include "scene/SceneTreeModel.h"
#include "selection/SelectionCommands.h"
#include "selection/TreeSearch.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace vendrel;
using vendrel::bench::fill;
using vendrel::bench::NoMessages;

/// Answers every dialog with one file name.
class FixedFileDialog : public FileDialog
{
public:
    explicit FixedFileDialog(QString name) : m_name(std::move(name)) {}
    std::optional<QString> showOpen(const FileDialogRequest&) override { return m_name; }
    std::optional<QString> showSave(const FileDialogRequest&) override { return m_name; }
    std::optional<QString> showFolder(const FileDialogRequest&) override { return m_name; }

private:
    QString m_name;
};

void BM_SelectAllGetThenDeselectAll(benchmark::State& state)
{
    SceneTree tree;
    fill(tree, int(state.range(0)));
    for (auto _ : state) {
        SelectAllGet(tree);
        DeselectAll(tree);
    }
    state.counters["items"] = tree.count();
    state.SetItemsProcessed(state.iterations() * tree.count() * 2);
}

/// The same with the tree shown: the model announces every changed tick to the view.
void BM_SelectAllGetThenDeselectAllShown(benchmark::State& state)
{
    SceneTree tree;
    SceneTreeModel model(tree);
    fill(tree, int(state.range(0)));
    long long announced = 0;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&announced] { ++announced; });
    for (auto _ : state) {
        SelectAllGet(tree);
        DeselectAll(tree);
    }
    state.counters["items"] = tree.count();
    state.counters["signals_per_command"] = double(announced) / double(2 * state.iterations());
    state.SetItemsProcessed(state.iterations() * tree.count() * 2);
}

void BM_SelectEm(benchmark::State& state)
{
    SceneTree tree;
    fill(tree, int(state.range(0)));
    const MatchOptions options{false, state.range(1) != 0};
    for (auto _ : state) {
        SelectEm(tree, QStringLiteral("n9"), 1, 1, 1, options);
        state.PauseTiming();
        DeselectAll(tree);
        state.ResumeTiming();
    }
    state.counters["items"] = tree.count();
    state.SetItemsProcessed(state.iterations() * tree.count());
}

/// A search whose only match is the last item: every item is looked at once.
void BM_FindNextToTheEnd(benchmark::State& state)
{
    SceneTree tree;
    fill(tree, int(state.range(0)));
    const QString last = tree.text(tree.count());
    IdleEventPump events;
    TreeSearch search(tree, events);
    for (auto _ : state) {
        search.TreeView1_NodeClick(1);
        benchmark::DoNotOptimize(search.FindNext(last));
    }
    state.counters["items"] = tree.count();
    state.SetItemsProcessed(state.iterations() * tree.count());
}

/// Every Get_ item ticked (a quarter of the tree), saved, unticked and loaded again.
void BM_SaveAndLoadSelections(benchmark::State& state)
{
    SceneTree tree;
    fill(tree, int(state.range(0)));
    QTemporaryDir folder;
    FixedFileDialog dialog(folder.filePath(QStringLiteral("world.x3ds")));
    ModuleINI ini;
    IdleEventPump events;
    NoMessages messages;
    int loaded = 0;
    for (auto _ : state) {
        SelectAllGet(tree);
        SelectionsFile::FileSaveSel_Click(tree, ini, dialog, QStringLiteral("world.wrl"));
        DeselectAll(tree);
        loaded = SelectionsFile::LoadSelections_Click(tree, ini, dialog, events, messages,
                                                      QStringLiteral("world.wrl"))
                     .items;
    }
    state.counters["items"] = tree.count();
    state.counters["ticks"] = loaded;
}

} // namespace

BENCHMARK(BM_SelectAllGetThenDeselectAll)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAllGetThenDeselectAllShown)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectEm)->Args({1'000'000, 0})->Args({1'000'000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNextToTheEnd)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAndLoadSelections)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
