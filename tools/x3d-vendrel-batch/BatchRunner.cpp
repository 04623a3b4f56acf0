#include "BatchRunner.h"

#include "ScriptTicks.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/IdleEventPump.h"
#include "core/MessageBox.h"
#include "persistence/ModuleINI.h"
#include "platform/HostLibrary.h"
#include "platform/TestPageExport.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"
#include "scene/ModuleOrva.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"
#include "scriptgen/ScriptCheck.h"
#include "scriptgen/ScriptGenerator.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace vendrel {

namespace {

/// The walk's messages go to standard error, and the run goes on as after a closed message box.
class StreamMessageBox : public MessageBox
{
public:
    explicit StreamMessageBox(QTextStream& err) : m_err(err) {}
    void show(const QString& text) override { m_err << text << Qt::endl; }
    // The batch tool lets worlds reach the web only when told so by --allow-network.
    bool ask(const QString&) override { return false; }

private:
    QTextStream& m_err;
};

bool isWorldFile(const QString& name)
{
    static const QStringList suffixes = {
        QStringLiteral(".wrl"),    QStringLiteral(".x3d"),    QStringLiteral(".x3dv"),
        QStringLiteral(".wrl.gz"), QStringLiteral(".x3d.gz"), QStringLiteral(".x3dv.gz"),
        QStringLiteral(".wrz"),    QStringLiteral(".x3dz"),   QStringLiteral(".x3dvz"),
    };
    const QString lower = name.toLower();
    return std::any_of(suffixes.begin(), suffixes.end(), [&](const QString& s) { return lower.endsWith(s); });
}

/// Why the script command could not use its files, found before the world is loaded (which takes
/// seconds); empty when they look usable.
QString scriptFileProblem(const BatchOptions& options)
{
    if (!options.selectionsFile.isEmpty()) {
        QByteArray selections;
        QString reason;
        if (QFileInfo(options.selectionsFile).isDir())
            return QStringLiteral("Couldn't read the selections file ") + options.selectionsFile +
                   QStringLiteral(": it is a folder");
        if (!FileReader::read(options.selectionsFile, selections, &reason))
            return QStringLiteral("Couldn't read the selections file ") + options.selectionsFile +
                   QStringLiteral(": ") + reason;
    }
    if (options.command == BatchOptions::Command::Page) {
        if (QFileInfo::exists(options.output) && !QFileInfo(options.output).isDir())
            return QStringLiteral("Couldn't write the test page to ") + options.output +
                   QStringLiteral(": it is a file, not a folder");
    } else if (!options.output.isEmpty()) {
        const QFileInfo output(options.output);
        if (output.isDir())
            return QStringLiteral("Couldn't write the script to ") + options.output +
                   QStringLiteral(": it is a folder");
        if (!output.absoluteDir().exists())
            return QStringLiteral("Couldn't write the script to ") + options.output +
                   QStringLiteral(": no such folder");
    }
    return {};
}

int tickedItems(const SceneTree& tree)
{
    int ticked = 0;
    for (int i = 1; i <= tree.count(); ++i)
        ticked += tree.checked(i) ? 1 : 0;
    return ticked;
}

const char* resultWord(XiteLoadWaiter::Result result)
{
    switch (result) {
    case XiteLoadWaiter::Result::Loaded:
        return "loaded";
    case XiteLoadWaiter::Result::Failed:
        return "failed";
    case XiteLoadWaiter::Result::Timeout:
        break;
    }
    return "timeout";
}

} // namespace

BatchRunner::BatchRunner(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

BatchRunner::~BatchRunner()
{
    m_waiter.reset();
    m_view.reset();
    m_browser.reset();
}

bool BatchRunner::startBrowser()
{
    QString why;
    m_browser = XiteBrowser::create(&why);
    if (!m_browser) {
        m_err << "Couldn't get browser object: " << why << Qt::endl;
        return false;
    }
    m_view = std::make_unique<X3DBrowserView>(m_browser);
    // X_ITE only runs in a page that is shown: a hidden page gets no frames.
    m_view->resize(480, 360);
    m_view->show();
    m_waiter = std::make_unique<XiteLoadWaiter>(*m_browser);
    return true;
}

BatchRunner::WorldResult BatchRunner::loadAndWalk(const QString& address, const BatchOptions& options,
                                                  SceneTree& tree)
{
    const int timeoutMs = options.timeoutSeconds * 1000;
    const bool named = options.named;
    WorldResult world;
    world.deadline = QDeadlineTimer(timeoutMs);
    world.result = m_waiter->load(address, timeoutMs);
    if (world.result == XiteLoadWaiter::Result::Timeout) {
        world.error = QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000);
        m_browser->restart(); // the page may be stuck in a world's script: the next world gets a fresh one
        return world;
    }
    if (world.result == XiteLoadWaiter::Result::Failed) {
        world.error = m_browser->lastError();
        return world;
    }
    world.loadMs = m_browser->lastLoadMs();

    QElapsedTimer walkTime;
    walkTime.start();
    ModuleOrva orva;
    orva.browser = m_browser;
    try {
        orva.context = m_browser->getExecutionContext();
        StreamMessageBox messages(m_err);
        IdleEventPump events;
        SceneWalker walker(tree, orva, messages, events, [named] { return named ? 0 : 1; });
        walker.setDeadline(world.deadline);
        tree.setItemLimit(options.maxItems);
        walker.BuildSceneTree();
        if (walker.timedOut()) {
            world.result = XiteLoadWaiter::Result::Timeout;
            world.error = QStringLiteral("the tree was not done within %1 s").arg(options.timeoutSeconds);
            return world;
        }
    } catch (const std::exception& e) {
        world.result = XiteLoadWaiter::Result::Failed;
        world.error = QString::fromUtf8(e.what());
        return world;
    }
    world.treeMs = m_browser->lastSceneMs() + walkTime.elapsed();
    world.items = tree.count();
    return world;
}

bool BatchRunner::loadTarget(const BatchOptions& options, SceneTree& tree, WorldResult& world)
{
    world = loadAndWalk(options.target, options, tree);
    if (world.result == XiteLoadWaiter::Result::Loaded)
        return true;
    m_err << "Couldn't load " << m_browser->currentUrl() << ": " << world.error << Qt::endl;
    return false;
}

int BatchRunner::run(const BatchOptions& options)
{
    if (options.command == BatchOptions::Command::Help) {
        m_out << BatchOptions::usage();
        return 0;
    }
    if (options.command == BatchOptions::Command::Sweep && !QFileInfo(options.target).isDir()) {
        m_err << "Not a folder: " << options.target << Qt::endl;
        return 2;
    }
    if (options.command == BatchOptions::Command::Script || options.command == BatchOptions::Command::Check ||
        options.command == BatchOptions::Command::Page) {
        const QString problem = scriptFileProblem(options);
        if (!problem.isEmpty()) {
            m_err << problem << Qt::endl;
            return 2;
        }
    }
    if (!startBrowser())
        return 3;
    if (options.allowNetwork)
        m_browser->allowAllWeb();
    else
        m_waiter->onWebRefused = [this, told = QSet<QString>()](const QString& host) mutable {
            if (!told.contains(host)) {
                told.insert(host);
                m_err << "Not fetched from " << host << ": a local world reaches the network only with "
                      << "--allow-network" << Qt::endl;
            }
        };
    if (options.verbose)
        QObject::connect(m_browser.get(), &XiteBrowser::consoleMessage,
                         [this](const QString& message) { m_err << message << Qt::endl; });
    switch (options.command) {
    case BatchOptions::Command::Tree:
        return tree(options);
    case BatchOptions::Command::Sweep:
        return sweep(options);
    case BatchOptions::Command::Script:
    case BatchOptions::Command::Check:
    case BatchOptions::Command::Page:
        return script(options);
    case BatchOptions::Command::Help:
    case BatchOptions::Command::Version:
        break;
    }
    return 2;
}

int BatchRunner::tree(const BatchOptions& options)
{
    SceneTree tree;
    WorldResult world;
    if (!loadTarget(options, tree, world))
        return 3;
    for (int i = 1; i <= tree.count(); ++i)
        m_out << i << '\t' << tree.key(i) << '\t' << tree.text(i) << '\n';
    m_out.flush();
    if (options.verbose)
        m_err << "X_ITE loaded the world in " << world.loadMs << " ms; the scene was described and read in "
              << m_browser->lastSceneMs() << " ms; the tree (" << world.items << " items) was done "
              << world.treeMs << " ms after X_ITE's report" << Qt::endl;
    return 0;
}

int BatchRunner::sweep(const BatchOptions& options)
{
    QStringList worlds;
    QDirIterator files(options.target, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (isWorldFile(path))
            worlds.append(path);
    }
    worlds.sort();

    QElapsedTimer total;
    total.start();
    int loaded = 0;
    int failed = 0;
    int timedOut = 0;
    qint64 loadMs = 0;
    qint64 treeMs = 0;
    qint64 items = 0;
    for (const QString& path : worlds) {
        SceneTree tree;
        BatchOptions sweepOptions = options;
        sweepOptions.named = false;
        const WorldResult world = loadAndWalk(path, sweepOptions, tree);
        switch (world.result) {
        case XiteLoadWaiter::Result::Loaded:
            ++loaded;
            break;
        case XiteLoadWaiter::Result::Failed:
            ++failed;
            break;
        case XiteLoadWaiter::Result::Timeout:
            ++timedOut;
            break;
        }
        loadMs += world.loadMs;
        treeMs += world.treeMs;
        items += world.items;
        m_out << path << '\t' << resultWord(world.result) << '\t' << world.loadMs << '\t' << world.treeMs
              << '\t' << world.items << Qt::endl;
        if (options.verbose && !world.error.isEmpty())
            m_err << path << ": " << world.error << Qt::endl;
    }
    m_out << "total\t" << worlds.size() << " worlds: " << loaded << " loaded, " << failed << " failed, "
          << timedOut << " timeout\t" << loadMs << '\t' << treeMs << '\t' << items << '\t' << total.elapsed()
          << " ms in all" << Qt::endl;
    return 0;
}

int BatchRunner::script(const BatchOptions& options)
{
    SceneTree tree;
    WorldResult world;
    if (!loadTarget(options, tree, world))
        return 3;

    // The tool never writes the settings; loading selections only moves the profile target and back.
    ModuleINI ini;
    ini.SetSettingsTarget();
    IdleEventPump events;
    QString error;
    if (!ScriptTicks::apply(tree, options, ini, events, &error)) {
        m_err << error << Qt::endl;
        return 2;
    }

    if (options.command == BatchOptions::Command::Check)
        return check(options, tree);
    if (options.command == BatchOptions::Command::Page)
        return page(options, tree);
    TextChunks script;
    try {
        script = ScriptGenerator::GenerateScriptChunks(tree, world.deadline);
    } catch (const Failure&) {
        m_err << "The script was not done within " << options.timeoutSeconds << " s" << Qt::endl;
        return 3;
    }
    if (options.verbose) {
        m_err << tickedItems(tree) << " of " << tree.count() << " items ticked; the script has "
              << script.size() << " bytes" << Qt::endl;
    }
    if (options.output.isEmpty()) {
        if (const int status = writeToStandardOutput(script); status != 0)
            return status;
    } else if (!FileWriter::write(options.output, script.pieces(), &error)) {
        m_err << "Couldn't write the script to " << options.output << ": " << error << Qt::endl;
        return 2;
    }
    if (options.withHost && !HostLibrary::writeBeside(options.output, &error)) {
        m_err << error << Qt::endl;
        return 2;
    }
    return check(options, tree);
}

int BatchRunner::page(const BatchOptions& options, const SceneTree& tree)
{
    TestPageExport::Result written;
    QString error;
    if (!TestPageExport::write(tree, {options.target, m_browser->worldFiles(), options.output, options.cdn},
                               &written, &error)) {
        m_err << error << Qt::endl;
        return 2;
    }
    m_out << "Exported a test page to " << options.output << ": " << written.functions << " functions"
          << Qt::endl;
    if (options.verbose)
        m_err << written.files << " files, " << written.bytes << " bytes" << Qt::endl;
    return 0;
}

int BatchRunner::check(const BatchOptions& options, const SceneTree& tree)
{
    QElapsedTimer time;
    time.start();
    const ScriptCheck::Result result = ScriptCheck::run(tree);
    const double checkMs = double(time.nsecsElapsed()) / 1e6;
    for (const ScriptCheck::Finding& finding : result.findings)
        m_err << "warning: " << ScriptCheck::describe(tree, finding) << '\n';
    if (options.verbose) {
        m_err << "The check of " << tickedItems(tree) << " ticked items took "
              << QString::number(checkMs, 'f', 1) << " ms" << '\n';
    }
    m_err.flush();
    if (options.command == BatchOptions::Command::Check)
        m_out << result.functions << " functions, " << result.findings.size() << " warnings" << Qt::endl;
    return options.strict && !result.findings.empty() ? 4 : 0;
}

int BatchRunner::writeToStandardOutput(const TextChunks& script)
{
    // The script's own bytes, CR LF and all: past the text stream, which would only add its encoding.
    m_out.flush();
    QIODevice* device = m_out.device();
    bool written = device != nullptr;
    for (const QByteArrayView piece : script.pieces()) {
        if (!written || device->write(piece.data(), piece.size()) != piece.size()) {
            written = false;
            break;
        }
    }
    if (auto* file = qobject_cast<QFileDevice*>(device); file && written)
        written = file->flush();
    if (!written) {
        m_err << "Couldn't write the script to standard output"
              << (device ? QString(QStringLiteral(": ") + device->errorString()) : QString()) << Qt::endl;
        return 2;
    }
    return 0;
}

} // namespace vendrel
