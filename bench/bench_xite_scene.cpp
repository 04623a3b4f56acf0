// Reads a scene description of the size of the corpus's largest world (about 6,600 nodes and 80,000
// fields) and walks it into the tree: the share of a load that is ours once X_ITE reports the world
// initialized. X_ITE alone takes about 2.7 s on that world; our share should stay under a tenth of it.

#include "BenchStubs.h"
#include "platform/XiteScene.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

namespace {

using QuietMessages = vendrel::bench::NoMessages;

/// Groups of a named Transform over unnamed Shape, Appearance, Material and geometry: `groups` * 5 nodes.
QByteArray description(int groups)
{
    auto fields = [](int count, const QJsonArray& linked) {
        QJsonArray list = linked;
        for (int i = list.size(); i < count; ++i)
            list.append(
                QJsonArray{QStringLiteral("f%1").arg(i), i % 4 == 0 ? 1 : 7, QStringLiteral("SFVec3f")});
        return list;
    };
    const QJsonArray defs{
        fields(13, {QJsonArray{"metadata", 7, "SFNode"}, QJsonArray{"children", 7, "MFNode"}}),
        fields(10, {QJsonArray{"appearance", 7, "SFNode"}, QJsonArray{"geometry", 7, "SFNode"}}),
        fields(12, QJsonArray{QJsonValue(QJsonArray{"material", 7, "SFNode"})}),
        fields(24, {}),
        fields(18, {}),
    };
    QJsonArray nodes;
    QJsonArray roots;
    for (int g = 0; g < groups; ++g) {
        const int base = g * 5;
        roots.append(base);
        nodes.append(
            QJsonArray{"Transform", QStringLiteral("T%1").arg(g), 0, QJsonArray{-1, QJsonArray{base + 1}}});
        nodes.append(QJsonArray{"Shape", "", 1, QJsonArray{base + 2, base + 4}});
        nodes.append(QJsonArray{"Appearance", "", 2, QJsonArray{base + 3}});
        nodes.append(QJsonArray{"Material", "", 3, QJsonArray{}});
        nodes.append(QJsonArray{"IndexedFaceSet", "", 4, QJsonArray{}});
    }
    return QJsonDocument(QJsonObject{{"defs", defs}, {"nodes", nodes}, {"roots", roots}})
        .toJson(QJsonDocument::Compact);
}

void BM_DescriptionToTree(benchmark::State& state)
{
    const QByteArray text = description(int(state.range(0)));
    QuietMessages messages;
    vendrel::IdleEventPump events;
    int items = 0;
    for (auto _ : state) {
        const auto scene = vendrel::XiteScene::parse(QJsonDocument::fromJson(text).object());
        vendrel::SceneTree tree;
        vendrel::ModuleOrva orva;
        orva.context = scene->executionContext();
        vendrel::SceneWalker walker(tree, orva, messages, events, [] { return 1; });
        walker.BuildSceneTree();
        items = tree.count();
        state.counters["fields"] = double(scene->fieldTotal());
    }
    state.counters["items"] = items;
    state.counters["nodes"] = double(state.range(0) * 5);
}
BENCHMARK(BM_DescriptionToTree)->Arg(1320)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
