// Generates (and checks) the script for 100,000 ticked access items: a third each "Get_", "On_" and "Set_",
// over named Transforms and Coordinates and unnamed Shapes, Appearances and Materials below them (walked with
// "All" ticked), with fields of seven types.

#include "BenchStubs.h"
#include "core/FieldTypes.h"
#include "core/FileWriter.h"
#include "core/IdleEventPump.h"
#include "core/MessageBox.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"
#include "scriptgen/ScriptCheck.h"
#include "scriptgen/ScriptGenerator.h"
#include "sim/SimScene.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>

namespace {

using namespace vendrel;
using vendrel::bench::NoMessages;

/// Per group: Transform T<g> (translation, rotation, scale, children: 12 access items) holding an
/// unnamed Shape > Appearance > Material (diffuseColor, transparency: 8 items) and Coordinate C<g>
/// (point: 3 items).
std::shared_ptr<SimScene> mixedScene(int groups)
{
    auto scene = SimScene::create();
    SimNode& root = scene->addNode("Group", "World");
    root.addField(InitializeOnly, MFNode, "children");
    scene->addRoot(&root);
    for (int g = 0; g < groups; ++g) {
        SimNode& transform = scene->addNode("Transform", QStringLiteral("T%1").arg(g));
        transform.addField(InputOutput, SFVec3f, "translation");
        transform.addField(InputOutput, SFRotation, "rotation");
        transform.addField(InputOutput, SFVec3f, "scale");
        transform.addField(InputOutput, MFNode, "children");
        root.field(u"children")->nodes().append(&transform);
        SimNode& shape = scene->addNode("Shape");
        SimNode& appearance = scene->addNode("Appearance");
        SimNode& material = scene->addNode("Material");
        shape.addField(InputOutput, SFNode, "appearance").setNode(&appearance);
        appearance.addField(InputOutput, SFNode, "material").setNode(&material);
        material.addField(InputOutput, SFColor, "diffuseColor");
        material.addField(InputOutput, SFFloat, "transparency");
        SimNode& coordinate = scene->addNode("Coordinate", QStringLiteral("C%1").arg(g));
        coordinate.addField(InputOutput, MFVec3f, "point");
        transform.field(u"children")->nodes().append(&shape);
        transform.field(u"children")->nodes().append(&coordinate);
    }
    return scene;
}

int markerOf(QStringView text)
{
    return text.startsWith(u"Get_") ? 0 : text.startsWith(u"On_") ? 1 : text.startsWith(u"Set_") ? 2 : -1;
}

/// Ticks `total` access items, a third of each kind, spread evenly over the tree.
void tickThirds(SceneTree& tree, int total)
{
    std::array<long long, 3> available{};
    for (int i = 1; i <= tree.count(); ++i)
        if (const int m = markerOf(tree.text(i)); m >= 0)
            ++available[std::size_t(m)];
    const std::array<long long, 3> wanted{total - 2 * (total / 3), total / 3, total / 3};
    std::array<long long, 3> seen{};
    SceneTree::ChangeBatch batch(tree);
    for (int i = 1; i <= tree.count(); ++i) {
        const int m = markerOf(tree.text(i));
        if (m < 0)
            continue;
        const auto k = std::size_t(m);
        const long long before = seen[k] * wanted[k] / available[k];
        ++seen[k];
        if (seen[k] * wanted[k] / available[k] != before)
            tree.setChecked(i, true);
    }
}

struct Fixture
{
    explicit Fixture(int ticked)
    {
        orva.context = mixedScene(ticked / 3 / 4 + 1); // 4 "On_" items a group
        SceneWalker walker(tree, orva, messages, events, [] { return 1; });
        walker.BuildSceneTree();
        tickThirds(tree, ticked);
    }
    SceneTree tree;
    ModuleOrva orva;
    NoMessages messages;
    IdleEventPump events;
};

/// Runs `generate` on the tree of `state.range(0)` ticked items once an iteration.
template <typename Generate> void measure(benchmark::State& state, Generate generate)
{
    Fixture fixture(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(generate(fixture.tree));
    state.counters["ticked"] = double(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

/// The file's bytes in blocks, as the command makes them before writing.
void BM_GenerateScriptChunks(benchmark::State& state)
{
    measure(state, [](const SceneTree& tree) { return ScriptGenerator::GenerateScriptChunks(tree).size(); });
}

/// The file's bytes in one piece.
void BM_GenerateScriptUtf8(benchmark::State& state)
{
    measure(state, [](const SceneTree& tree) { return ScriptGenerator::GenerateScriptUtf8(tree).size(); });
}

/// The script as one QString.
void BM_GenerateScript(benchmark::State& state)
{
    measure(state, [](const SceneTree& tree) { return ScriptGenerator::GenerateScript(tree).size(); });
}

/// The blocks and the writing of the file, as the command does it after the dialog.
void BM_GenerateAndWrite(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("out.js");
    measure(state, [&name](const SceneTree& tree) {
        return FileWriter::write(name, ScriptGenerator::GenerateScriptChunks(tree).pieces(), nullptr);
    });
}

/// The script check over the same items, as it runs after every write; the mark is 50 ms.
void BM_CheckScript(benchmark::State& state)
{
    measure(state, [](const SceneTree& tree) { return ScriptCheck::run(tree).findings.size(); });
}

} // namespace

BENCHMARK(BM_GenerateScriptChunks)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateScriptUtf8)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateScript)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateAndWrite)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckScript)->Arg(100'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
