// TarvoScope: sets up Qt, the font, the settings and the language, shows the splash dialog and
// then the main window.
#include "AppConfig.h"
#include "AppStartup.h"
#include "InitDialog.h"
#include "MainWidget.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    // The frameless window agent watches the top-level window only; native child windows
    // would take its mouse events. (High-DPI scaling is always on in Qt 6.)
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    AppStartup::initResources();
    AppStartup::loadFont();
    AppStartup::installSimulatedCameras();

    // These two decide the application-data directory, so they precede the configuration.
    QApplication::setApplicationName("TarvoScope");
    QApplication::setOrganizationName("Tarvo");

    AppConfig* config = AppConfig::instance();
    AppStartup::installTranslator(config->language());
    QApplication::setWindowIcon(QIcon(AppStartup::kWindowIconResource));

    {
        InitDialog splash;
        splash.exec();
    }
    MainWidget window;
    window.show();
    return app.exec();
}
