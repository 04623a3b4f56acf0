#pragma once

#include "BatchOptions.h"
#include "platform/XiteLoadWaiter.h"

#include <QDeadlineTimer>
#include <QTextStream>

#include <memory>

namespace vendrel {

class SceneTree;
class TextChunks;
class X3DBrowserView;
class XiteBrowser;

/// Runs one command of x3d-vendrel-batch with the embedded browser in a small window of its own.
/// Needs a running QApplication (on a display with WebGL) and prepareWebEngine() before it.
class BatchRunner
{
public:
    BatchRunner(QTextStream& out, QTextStream& err);
    ~BatchRunner();

    /// Returns the exit status: 0 done, 2 bad usage (or a file of the script command that cannot be read
    /// or written), 3 the world (or the browser) could not be loaded, 4 the script check found faults and
    /// --strict was given.
    int run(const BatchOptions& options);

    /// The outcome of loading one world and walking it.
    struct WorldResult
    {
        XiteLoadWaiter::Result result = XiteLoadWaiter::Result::Failed;
        qint64 loadMs = 0; ///< load request to X_ITE reporting the world initialized
        qint64 treeMs = 0; ///< from there to the finished tree (describing the scene, reading it, walking it)
        int items = 0;
        QString error;
        QDeadlineTimer deadline; ///< when the world's time is up, the script included
    };

private:
    bool startBrowser();
    WorldResult loadAndWalk(const QString& address, const BatchOptions& options, SceneTree& tree);
    /// Loads and walks the command's world; when it cannot, says why and returns false.
    bool loadTarget(const BatchOptions& options, SceneTree& tree, WorldResult& world);
    int tree(const BatchOptions& options);
    int sweep(const BatchOptions& options);
    /// The script command, and the check and page commands up to their own part.
    int script(const BatchOptions& options);
    /// The page command once the items are ticked: writes the test page; returns the exit status.
    int page(const BatchOptions& options, const SceneTree& tree);
    /// Prints the script check's findings; returns 4 for findings with --strict, else 0.
    int check(const BatchOptions& options, const SceneTree& tree);
    /// Writes the script's bytes unchanged to the output stream's device; returns the exit status.
    int writeToStandardOutput(const TextChunks& script);

    QTextStream& m_out;
    QTextStream& m_err;
    std::shared_ptr<XiteBrowser> m_browser;
    std::unique_ptr<X3DBrowserView> m_view;
    std::unique_ptr<XiteLoadWaiter> m_waiter;
};

} // namespace vendrel
