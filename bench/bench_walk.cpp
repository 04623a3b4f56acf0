// Walks simulated scenes of 10,000 to 1,000,000 tree items and reports time, items, and the tree's peak
// memory per item (every heap byte the walk allocates, counted by the replaced operator new).

#include "BenchStubs.h"
#include "core/FieldTypes.h"
#include "core/IdleEventPump.h"
#include "core/MessageBox.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"
#include "sim/SimScene.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

void countAllocation(std::size_t size)
{
    const long long now = liveBytes.fetch_add(static_cast<long long>(size)) + static_cast<long long>(size);
    long long peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}

} // namespace

// Each block remembers its size in front of it, so frees can be counted too.
void* operator new(std::size_t size)
{
    auto* block = static_cast<std::size_t*>(std::malloc(size + 16));
    if (!block)
        throw std::bad_alloc();
    *block = size;
    countAllocation(size);
    return reinterpret_cast<char*>(block) + 16;
}

void operator delete(void* p) noexcept
{
    if (!p)
        return;
    auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - 16);
    liveBytes.fetch_sub(static_cast<long long>(*block));
    std::free(block);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

using namespace vendrel;
using vendrel::bench::NoMessages;

/// Named nodes: Transforms N0, N1, ... in a tree of fan-out 8, each with translation, rotation and scale
/// (three access items each) and its children (three more): 13 items a node.
std::shared_ptr<SimScene> namedScene(int items)
{
    auto scene = SimScene::create();
    const int nodes = items / 13;
    std::vector<SimNode*> all;
    all.reserve(std::size_t(nodes));
    for (int i = 0; i < nodes; ++i) {
        SimNode& node = scene->addNode("Transform", QStringLiteral("N%1").arg(i));
        node.addField(InputOutput, SFVec3f, "translation");
        node.addField(InputOutput, SFRotation, "rotation");
        node.addField(InputOutput, SFVec3f, "scale");
        node.addField(InputOutput, MFNode, "children").nodes(); // an empty array, not a missing one
        if (i == 0)
            scene->addRoot(&node);
        else
            all[std::size_t((i - 1) / 8)]->field(u"children")->nodes().append(&node);
        all.push_back(&node);
    }
    return scene;
}

/// Unnamed nodes under named ones, walked with "All" ticked: each named Transform holds 8 unnamed Shapes
/// with an unnamed Appearance and Material below; unnamed fields borrow the Transform's name.
std::shared_ptr<SimScene> unnamedScene(int items)
{
    auto scene = SimScene::create();
    // Per Transform: 1 + 3 + 8 * (1 + 2 + 1 + 2 + 1 + 2 * 3) = 108 items.
    const int groups = std::max(1, items / 108);
    SimNode& root = scene->addNode("Group", "World");
    root.addField(InitializeOnly, MFNode, "children");
    scene->addRoot(&root);
    for (int g = 0; g < groups; ++g) {
        SimNode& transform = scene->addNode("Transform", QStringLiteral("T%1").arg(g));
        transform.addField(InputOutput, MFNode, "children");
        root.field(u"children")->nodes().append(&transform);
        for (int s = 0; s < 8; ++s) {
            SimNode& shape = scene->addNode("Shape");
            SimNode& appearance = scene->addNode("Appearance");
            SimNode& material = scene->addNode("Material");
            shape.addField(InputOutput, SFNode, "appearance").setNode(&appearance);
            appearance.addField(InputOutput, SFNode, "material").setNode(&material);
            material.addField(InputOutput, SFColor, "diffuseColor");
            material.addField(InputOutput, SFFloat, "transparency");
            material.addField(InputOutput, SFFloat, "shininess");
            transform.field(u"children")->nodes().append(&shape);
        }
    }
    return scene;
}

void walk(benchmark::State& state, std::shared_ptr<SimScene> scene, int checkAll)
{
    ModuleOrva orva;
    orva.context = scene;
    NoMessages messages;
    IdleEventPump events;
    long long items = 0;
    double bytesPerItem = 0;
    for (auto _ : state) {
        SceneTree tree;
        SceneWalker walker(tree, orva, messages, events, [checkAll] { return checkAll; });
        const long long before = liveBytes.load();
        peakBytes.store(before);
        walker.BuildSceneTree();
        items = tree.count();
        bytesPerItem = double(peakBytes.load() - before) / double(items);
        state.PauseTiming();
        tree.clear();
        state.ResumeTiming();
    }
    struct rusage usage
    {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["items"] = double(items);
    state.counters["tree_bytes_per_item"] = bytesPerItem;
    state.counters["max_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
    state.SetItemsProcessed(state.iterations() * items);
}

void BM_WalkNamed(benchmark::State& state)
{
    walk(state, namedScene(int(state.range(0))), 0);
}

void BM_WalkUnnamedAll(benchmark::State& state)
{
    walk(state, unnamedScene(int(state.range(0))), 1);
}

} // namespace

BENCHMARK(BM_WalkNamed)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkUnnamedAll)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
