#include "FormVendrel.h"
#include "platform/WebEngineSetup.h"
#include "platform/X3DBrowserView.h"
#include "platform/XiteBrowser.h"

#include <QApplication>

int main(int argc, char** argv)
{
    vendrel::prepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("X3D Vendrel"));
    QApplication::setApplicationVersion(QStringLiteral(VENDREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("x3d-vendrel"));

    // Without the browser the window still opens and says so.
    std::shared_ptr<vendrel::XiteBrowser> browser = vendrel::XiteBrowser::create();
    vendrel::FormVendrel::Platform platform;
    platform.browser = browser;
    platform.browserView = new vendrel::X3DBrowserView(browser);
    vendrel::FormVendrel window(platform);
    window.show();
    // One optional argument: a world to load at once, as if typed and "Go" pressed.
    if (const QStringList arguments = QApplication::arguments(); arguments.size() > 1)
        window.openAtStart(arguments.at(1));
    return app.exec();
}
