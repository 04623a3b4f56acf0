// x3d-vendrel-batch: loads worlds into the embedded X3D browser and prints their scene trees (or writes
// their scripts) without the main window.

#include "BatchOptions.h"
#include "BatchRunner.h"
#include "VirtualDisplay.h"
#include "platform/WebEngineSetup.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    const auto options = vendrel::BatchOptions::parse(arguments, &error);
    if (!options) {
        err << "x3d-vendrel-batch: " << error << "\n\n" << vendrel::BatchOptions::usage();
        return 2;
    }
    if (options->command == vendrel::BatchOptions::Command::Help) {
        out << vendrel::BatchOptions::usage();
        return 0;
    }

    vendrel::VirtualDisplay display;
    if (!display.ensure(&error)) {
        err << "x3d-vendrel-batch: " << error << Qt::endl;
        return 3;
    }
    qputenv("QT_QPA_PLATFORM", "xcb"); // the offscreen platform has no WebGL
    vendrel::prepareWebEngine();
    // The web engine describes its graphics set-up at every start; that is noise on a tool's stderr.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("x3d-vendrel-batch"));

    int status = 0;
    {
        vendrel::BatchRunner runner(out, err);
        status = runner.run(*options);
    }
    return status;
}
