#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The viewer's command line: `TarvoScope [RECORDING.raw | --camera SERIAL]`, plus --help and
// --version, which answer on the console without a window or a display.
class AppCommandLine
{
    Q_DECLARE_TR_FUNCTIONS(AppCommandLine)

public:
    enum class Action
    {
        Run,         // start the viewer, with the recording when one was given
        ShowHelp,    // print the help text and exit
        ShowVersion, // print the version and exit
        Fail,        // print the error and exit with status 2
    };

    // Reads `arguments` (the program first). Before the QApplication exists its own options
    // (-platform, -style, ...) are still in the list, so with `qtOptionsRemoved` false an
    // option this command line does not know is passed over rather than refused.
    static AppCommandLine parse(const QStringList& arguments, bool qtOptionsRemoved);

    // Answers --help and --version before any window exists: prints the text (in the configured
    // language) and returns the exit status; -1 when the viewer should start.
    static int answerConsoleOptions(int argc, char* argv[]);

    Action action() const { return m_action; }
    // The recording to open, as an absolute path; empty when none was given.
    QString recording() const { return m_recording; }
    // The serial of the camera to open; empty when none was given.
    QString camera() const { return m_camera; }
    // What was wrong with the command line and where to find help, for Action::Fail.
    QString error() const { return m_error; }

    static QString helpText();
    static QString versionText();

private:
    void fail(const QString& problem);

    Action m_action = Action::Run;
    QString m_recording;
    QString m_camera;
    QString m_error;
};
