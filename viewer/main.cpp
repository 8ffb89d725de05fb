// TarvoScope: answers --help and --version on the console; otherwise sets up Qt, the font, the
// settings and the language, shows the splash dialog and then the main window, which opens the
// recording or the camera given on the command line.
#include "AppCommandLine.h"
#include "AppConfig.h"
#include "AppStartup.h"
#include "InitDialog.h"
#include "MainWidget.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Before any window exists, so that these need no display.
    const int consoleStatus = AppCommandLine::answerConsoleOptions(argc, argv);
    if (consoleStatus >= 0) {
        return consoleStatus;
    }

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

    // Qt has taken its own options out by now; whatever is left must be ours.
    const AppCommandLine commandLine = AppCommandLine::parse(QApplication::arguments(), true);
    if (commandLine.action() == AppCommandLine::Action::Fail) {
        std::fputs(commandLine.error().toLocal8Bit().constData(), stderr);
        return 2;
    }
    QApplication::setWindowIcon(QIcon(AppStartup::kWindowIconResource));

    {
        InitDialog splash;
        splash.exec();
    }
    MainWidget window;
    window.show();
    if (!commandLine.recording().isEmpty()) {
        window.openRecording(commandLine.recording());
    } else if (!commandLine.camera().isEmpty()) {
        window.openCamera(commandLine.camera());
    }
    return app.exec();
}
