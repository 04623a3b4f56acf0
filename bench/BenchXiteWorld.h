#pragma once

#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"

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

    std::shared_ptr<XiteBrowser> browser;
    std::unique_ptr<X3DBrowserView> view;
    QTemporaryDir folder;
    QString path;
};

} // namespace vendrel::bench
