// The viewer's command line: parsing, the console answers of the real program without a display,
// and a recording named on the command line, which plays as File > Open Recording would.
#include "AppCommandLine.h"
#include "MainWidget.h"
#include "RecordingSupport.h"
#include "TestSupport.h"
#include "VxEventProcessor.h"
#include "VxFilePathReminderForm.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The environment of the real program in a home of its own: on the offscreen platform, or
// without any display at all, as from a console without a window system.
QProcessEnvironment programEnvironment(const QString& home, bool offscreen)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        environment.remove(name);
    }
    environment.insert("HOME", home);
    if (offscreen) {
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    }
    return environment;
}

// Runs the real program with `arguments` without a display; false when it did not end within
// the deadline.
bool runConsole(const QStringList& arguments, const QString& home, QProcess& process)
{
    process.setProcessEnvironment(programEnvironment(home, false));
    process.start(QStringLiteral(TARVO_SCOPE_BINARY), arguments);
    return process.waitForFinished(60000);
}

// Runs the real program offscreen in a home of its own until its log holds `awaited`, then ends
// it; false when that did not come within the deadline. `log` receives what it wrote.
bool runUntilLogged(const QStringList& arguments, const QByteArray& awaited, QByteArray& log)
{
    QTemporaryDir home;
    QProcess viewer;
    viewer.setProcessEnvironment(programEnvironment(home.path(), true));
    viewer.setProcessChannelMode(QProcess::MergedChannels);
    viewer.start(QStringLiteral(TARVO_SCOPE_BINARY), arguments);
    if (!viewer.waitForStarted(20000)) {
        return false;
    }
    const bool logged = QTest::qWaitFor(
        [&] {
            log += viewer.readAll();
            return log.contains(awaited);
        },
        60000);
    viewer.kill();
    viewer.waitForFinished(20000);
    return logged;
}

QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
    }
    return files;
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;
    QTemporaryDir* m_dir = nullptr;
    QString m_recording;

    static QList<VxFilePathReminderForm*> toasts(MainWidget& window)
    {
        return window.findChildren<VxFilePathReminderForm*>();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        m_dir = new QTemporaryDir;
        m_recording = m_dir->filePath("ticks.raw");
        QVERIFY(
            RecordingSupport::writeRecording(m_recording, RecordingSupport::tickEvents(0, 2000000, 1000), 0));
    }
    void cleanupTestCase()
    {
        delete m_dir;
        delete m_home;
    }
    void init() { TestSupport::failOnAnyWarning(); }

    void parsingFindsTheRecordingAndTheConsoleOptions()
    {
        using Action = AppCommandLine::Action;
        QCOMPARE(AppCommandLine::parse({"TarvoScope"}, true).action(), Action::Run);
        QVERIFY(AppCommandLine::parse({"TarvoScope"}, true).recording().isEmpty());
        // A relative path is taken from the folder the program was started in.
        const AppCommandLine relative = AppCommandLine::parse({"TarvoScope", "data/walk.raw"}, true);
        QCOMPARE(relative.action(), Action::Run);
        QCOMPARE(relative.recording(), QDir::current().absoluteFilePath("data/walk.raw"));
        QCOMPARE(AppCommandLine::parse({"TarvoScope", "--", "-odd.raw"}, true).recording(),
                 QDir::current().absoluteFilePath("-odd.raw"));
        for (const char* help : {"-h", "--help"}) {
            QCOMPARE(AppCommandLine::parse({"TarvoScope", "a.raw", help}, false).action(), Action::ShowHelp);
        }
        for (const char* version : {"-v", "--version"}) {
            QCOMPARE(AppCommandLine::parse({"TarvoScope", version}, true).action(), Action::ShowVersion);
        }

        // Before Qt has taken its own options out, an unknown one may be Qt's.
        QCOMPARE(AppCommandLine::parse({"TarvoScope", "-platform", "offscreen", "a.raw"}, false).action(),
                 Action::Run);
        const AppCommandLine unknown = AppCommandLine::parse({"TarvoScope", "--loop", "a.raw"}, true);
        QCOMPARE(unknown.action(), Action::Fail);
        QCOMPARE(unknown.error(), QString("TarvoScope: unknown option '--loop'\nTry 'TarvoScope --help'.\n"));
        const AppCommandLine two = AppCommandLine::parse({"TarvoScope", "a.raw", "b.raw"}, true);
        QCOMPARE(two.action(), Action::Fail);
        QVERIFY(two.error().startsWith("TarvoScope: give one recording at most, not 2\n"));
    }

    void parsingFindsTheCamera()
    {
        using Action = AppCommandLine::Action;
        for (const QStringList& arguments : {QStringList{"TarvoScope", "--camera", "KST-USB-0001"},
                                             QStringList{"TarvoScope", "--camera=KST-USB-0001"}}) {
            const AppCommandLine camera = AppCommandLine::parse(arguments, true);
            QCOMPARE(camera.action(), Action::Run);
            QCOMPARE(camera.camera(), QString("KST-USB-0001"));
            QVERIFY(camera.recording().isEmpty());
        }
        // The serial is the option's, not a recording, also before Qt has taken its options out.
        QVERIFY(AppCommandLine::parse({"TarvoScope", "--camera", "A", "--help"}, false).action() ==
                Action::ShowHelp);
        const AppCommandLine missing = AppCommandLine::parse({"TarvoScope", "--camera"}, true);
        QCOMPARE(missing.action(), Action::Fail);
        QVERIFY(missing.error().startsWith("TarvoScope: --camera needs the serial of a camera\n"));
        QCOMPARE(AppCommandLine::parse({"TarvoScope", "--camera="}, true).action(), Action::Fail);
        const AppCommandLine both = AppCommandLine::parse({"TarvoScope", "a.raw", "--camera", "A"}, true);
        QCOMPARE(both.action(), Action::Fail);
        QVERIFY(both.error().startsWith("TarvoScope: give a recording or a camera, not both\n"));
    }

    void helpAndVersionAnswerWithoutADisplayAndLeaveNoFiles()
    {
        QTemporaryDir home;
        QProcess help;
        QVERIFY(runConsole({"--help"}, home.path(), help));
        QCOMPARE(help.exitStatus(), QProcess::NormalExit);
        QCOMPARE(help.exitCode(), 0);
        const QString helpText = QString::fromLocal8Bit(help.readAllStandardOutput());
        QVERIFY2(helpText.startsWith("Usage: TarvoScope [RECORDING.raw | --camera SERIAL]\n"),
                 qPrintable(helpText));
        QVERIFY(helpText.contains("--version"));
        QVERIFY(helpText.contains("  --camera SERIAL  a camera to open"));
        QCOMPARE(helpText, AppCommandLine::helpText());

        QProcess version;
        QVERIFY(runConsole({"-v"}, home.path(), version));
        QCOMPARE(version.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(version.readAllStandardOutput()), QString("TarvoScope 1.2.0\n"));
        QCOMPARE(version.readAllStandardError(), QByteArray());
        // Asking for the version creates no settings or folders.
        QCOMPARE(filesBelow(home.path()), QStringList());
    }

    void helpSpeaksTheConfiguredLanguage()
    {
        QTemporaryDir home;
        const QString data = home.path() + "/.local/share/Tarvo/TarvoScope";
        QVERIFY(QDir().mkpath(data));
        {
            QSettings settings(data + "/config.ini", QSettings::IniFormat);
            settings.setValue("Setting/language", "zh");
        }
        QProcess help;
        QVERIFY(runConsole({"--help"}, home.path(), help));
        QCOMPARE(help.exitCode(), 0);
        const QString text = QString::fromUtf8(help.readAllStandardOutput());
        QVERIFY2(text.startsWith(QString("用法：TarvoScope [RECORDING.raw | --camera SERIAL]")),
                 qPrintable(text));
    }

    void anUnknownOptionFailsWithTheReason()
    {
        QTemporaryDir home;
        QProcess process;
        process.setProcessEnvironment(programEnvironment(home.path(), true));
        process.start(QStringLiteral(TARVO_SCOPE_BINARY), {"--fullscreen", m_recording});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 2);
        const QString error = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(error.contains("TarvoScope: unknown option '--fullscreen'\nTry 'TarvoScope --help'."),
                 qPrintable(error));
    }

    void aRecordingOnTheCommandLinePlaysAtOnce()
    {
        // As main() does once the window shows.
        const QString relative = QDir::current().relativeFilePath(m_recording);
        const AppCommandLine commandLine = AppCommandLine::parse({"TarvoScope", relative}, true);
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        window.openRecording(commandLine.recording());
        VxEventProcessor* engine = window.eventProcessor();
        QTRY_VERIFY_WITH_TIMEOUT(engine->hasFile() && engine->isPlaying(), 20000);
        QTRY_VERIFY(window.findChild<QPushButton*>("pb_play")->isChecked());
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
        QCOMPARE(window.findChild<QLabel*>("lb_viewer_file_name")->text(), QString("File name: ticks.raw"));
        QTRY_VERIFY(engine->currentTimestamp() > 100000);
        QVERIFY(toasts(window).isEmpty());
    }

    void aRecordingThatCannotOpenSaysWhyAndLeavesAUsableWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing.raw"
                                 << "there is no such file.";
        QTest::newRow("not a recording") << "notes.txt"
                                         << "it is not a RAW recording.";
    }

    void aRecordingThatCannotOpenSaysWhyAndLeavesAUsableWindow()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const QString notes = m_dir->filePath("notes.txt");
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not events\n") > 0);
        file.close();

        const AppCommandLine commandLine = AppCommandLine::parse({"TarvoScope", m_dir->filePath(name)}, true);
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        window.openRecording(commandLine.recording());
        QTRY_VERIFY_WITH_TIMEOUT(!toasts(window).isEmpty(), 20000);
        QCOMPARE(toasts(window).first()->type(), VxMessageType::Error);
        QCOMPARE(toasts(window).first()->findChild<QLabel*>("lb_show_tips")->text(),
                 QString("Could not open %1: %2").arg(m_dir->filePath(name), reason));
        QCOMPARE(window.viewerType(), MainWidget::ViewerNone);
        QVERIFY(!window.findChild<QPushButton*>("pb_play")->isEnabled());

        // The window goes on working: the next recording plays.
        window.openRecording(m_recording);
        QTRY_VERIFY_WITH_TIMEOUT(window.eventProcessor()->isPlaying(), 20000);
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
    }

    void theProgramShowsACameraGivenOnItsCommandLine()
    {
        // The simulated cameras, with their bring-up at full length.
        QByteArray log;
        QVERIFY2(runUntilLogged({"--camera", "KST-USB-0001"}, "start camera.", log), log.constData());
        QVERIFY(log.contains("Select camera:  \"KST-USB-0001\""));
    }

    void theProgramLoadsARecordingGivenOnItsCommandLine()
    {
        QByteArray log;
        QVERIFY2(runUntilLogged({m_recording}, "Load raw file success.", log), log.constData());
        QVERIFY(log.contains(QString("Load raw file:  \"%1\"").arg(m_recording).toLocal8Bit()));
    }
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
