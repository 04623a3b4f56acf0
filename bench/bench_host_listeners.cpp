// A page with X_ITE, vendrel-host.js and a generated script of 1,000 listeners: the time from the world
// being initialized to every listener attached (the library's call of setupListeners()). Target: under
// 50 ms. Runs the real browser, so it needs a display (make bench starts a virtual one).

#include "BenchStubs.h"
#include "BenchXiteWorld.h"
#include "core/FileReader.h"
#include "platform/HostLibrary.h"
#include "platform/WebEngineSetup.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"
#include "platform/XiteLoadWaiter.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"
#include "scriptgen/ScriptGenerator.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>

#include <benchmark/benchmark.h>

namespace {

/// A Script with `count` inputOutput fields: each gets an "On_" item.
QByteArray world(int count)
{
    QByteArray text = "#X3D V3.3 utf8\nPROFILE Immersive\nDEF S Script {\n";
    for (int i = 0; i < count; ++i)
        text += "  inputOutput SFFloat f" + QByteArray::number(i) + " 0\n";
    return text + "}\n";
}

/// The page's answer to `js`, waited for.
QVariant evaluate(vendrel::XiteBrowser& browser, const QString& js)
{
    QEventLoop loop;
    QVariant result;
    browser.page()->runJavaScript(js, [&](const QVariant& value) {
        result = value;
        loop.quit();
    });
    loop.exec();
    return result;
}

void BM_SetupListeners(benchmark::State& state)
{
    vendrel::bench::XiteWorld scene;
    if (!scene.prepare(world(int(state.range(0))), QStringLiteral("listeners.x3dv"), state))
        return;
    const auto& browser = scene.browser;
    QByteArray host;
    vendrel::FileReader::read(vendrel::HostLibrary::path(), host, nullptr);
    for (auto _ : state) {
        vendrel::SceneTree tree;
        if (!scene.load(tree, 1, state))
            return;
        for (int i = 1; i <= tree.count(); ++i)
            tree.setChecked(i, tree.text(i).startsWith(u"On_"));
        // The library finds the world initialized and calls setupListeners(), timed here, once the
        // page's scripts have run.
        evaluate(*browser, QString::fromUtf8(host) + vendrel::ScriptGenerator::GenerateScript(tree) +
                               QStringLiteral(";const timed = setupListeners; window.setupListeners = () => {"
                                              "const start = performance.now(); timed();"
                                              "window.setupMs = performance.now() - start; }; 0"));
        QVariant ms;
        while (!(ms = evaluate(*browser, QStringLiteral("window.setupMs"))).isValid()) {
            QEventLoop pause;
            QTimer::singleShot(20, &pause, &QEventLoop::quit);
            pause.exec();
        }
        state.SetIterationTime(ms.toDouble() / 1000);
        state.counters["listeners"] = evaluate(*browser, QStringLiteral("Object.keys(window).filter((k) => "
                                                                        "k.endsWith('_observer') && window[k]"
                                                                        " && window[k].field).length"))
                                          .toDouble();
    }
}
BENCHMARK(BM_SetupListeners)->Arg(1000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return vendrel::bench::runWithWebEngine(argc, argv);
}
