#include "AppCommandLine.h"

#include "AppConfig.h"
#include "AppStartup.h"

#include <QFileInfo>

#include <cstdio>

namespace {

constexpr const char* kProgram = "TarvoScope";

} // namespace

AppCommandLine AppCommandLine::parse(const QStringList& arguments, bool qtOptionsRemoved)
{
    AppCommandLine result;
    QStringList positional;
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            positional << argument;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            result.m_action = Action::ShowHelp;
            return result;
        } else if (argument == "-v" || argument == "--version") {
            result.m_action = Action::ShowVersion;
            return result;
        } else if (argument == "--camera" || argument.startsWith("--camera=")) {
            const bool joined = argument.startsWith("--camera=");
            if (joined) {
                result.m_camera = argument.section('=', 1, -1);
            } else if (i + 1 < arguments.size()) {
                result.m_camera = arguments.at(++i);
            }
            if (result.m_camera.isEmpty() && qtOptionsRemoved) {
                result.fail(tr("%1: --camera needs the serial of a camera").arg(kProgram));
                return result;
            }
        } else if (qtOptionsRemoved) {
            result.fail(tr("%1: unknown option '%2'").arg(kProgram, argument));
            return result;
        }
    }
    if (!qtOptionsRemoved) {
        // The values of Qt's own options look like recordings until Qt has taken them out.
        return result;
    }
    if (positional.size() > 1) {
        result.fail(tr("%1: give one recording at most, not %2").arg(kProgram).arg(positional.size()));
        return result;
    }
    if (!positional.isEmpty() && !result.m_camera.isEmpty()) {
        result.fail(tr("%1: give a recording or a camera, not both").arg(kProgram));
        return result;
    }
    if (!positional.isEmpty()) {
        result.m_recording = QFileInfo(positional.first()).absoluteFilePath();
    }
    return result;
}

void AppCommandLine::fail(const QString& problem)
{
    m_action = Action::Fail;
    m_error = problem + "\n" + tr("Try '%1 --help'.").arg(kProgram) + "\n";
}

int AppCommandLine::answerConsoleOptions(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const Action action = parse(arguments, false).action();
    if (action != Action::ShowHelp && action != Action::ShowVersion) {
        return -1;
    }
    // A console application is enough for the translation and needs no display.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kProgram);
    QCoreApplication::setOrganizationName("Tarvo");
    AppStartup::initResources();
    AppStartup::installTranslator(AppConfig::storedLanguage());
    const QString text = action == Action::ShowHelp ? helpText() : versionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

QString AppCommandLine::helpText()
{
    return tr("Usage: %1 [RECORDING.raw | --camera SERIAL]\n"
              "\n"
              "Plays event camera recordings (RAW files): step through them, pick a range, export it\n"
              "to an MP4 video or cut it into a new recording. Shows event cameras live.\n"
              "\n"
              "  RECORDING.raw    a recording to open; it plays at once\n"
              "  --camera SERIAL  a camera to open; it shows live once it is up (Device > Open\n"
              "                   Camera lists the cameras attached and their serials)\n"
              "  -h, --help       show this help and exit\n"
              "  -v, --version    show the version and exit\n"
              "\n"
              "Without either the window starts empty: File > Open Recording opens a recording,\n"
              "Device > Open Camera a camera.\n")
        .arg(kProgram);
}

QString AppCommandLine::versionText()
{
    return QString("%1 %2\n").arg(kProgram, AppStartup::kVersion);
}
