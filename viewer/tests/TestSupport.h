#pragma once

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <functional>

class QImage;
class QLineEdit;
class QColor;
class QWidget;
class VxFilePathReminderForm;

// Points the home folder at a temporary directory and turns on the test mode of
// QStandardPaths, so that no test touches the real user folders. Restores HOME on destruction.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString documents() const { return m_dir.path() + "/Documents"; }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};

namespace TestSupport {

// How many pixels of a picture have each of the three theme colours.
struct ColourCounts
{
    int on = 0;
    int off = 0;
    int background = 0;
};
ColourCounts countColours(const QImage& image, const QColor& on, const QColor& off, const QColor& background);
// Pixels of row 0 that differ from the background: with RecordingSupport::tickEvents, the number
// of steps (milliseconds for a 1 ms step) a picture shows.
int litPixelsInFirstRow(const QImage& image, const QColor& background);
// Shows a main window at the screen's corner, large enough for the whole play bar; true once it
// is exposed.
bool showMainWindow(QWidget& window);

// Application names and resources as the viewer sets them at start.
void initViewerApplication();
// Any Qt warning in the running test function fails it (expected ones are ignored with
// QTest::ignoreMessage); call from init().
void failOnAnyWarning();
// Replaces the text of a field by typing, as a user would.
void retype(QLineEdit* edit, const QString& text);
// The bytes of a file; empty when it cannot be read.
QByteArray readFile(const QString& path);
// Replaces a file's contents; true on success.
bool writeFile(const QString& path, const QByteArray& bytes);
// Saves a picture of `widget` as build/viewer/tests/renders/<name>.png; true on success.
bool saveRender(QWidget* widget, const QString& name);
// Puts the default simulated cameras, freshly attached, on the bus, with their bring-up waits
// scaled down to microseconds.
void attachSimulatedCameras();
// The texts of the toasts a window shows now, and the toast that says `text` (null for none).
QStringList toastTexts(QWidget* window);
VxFilePathReminderForm* toastSaying(QWidget* window, const QString& text);

// Runs `handle` on the next modal dialog of type Dialog once it is shown (the code under test is
// then blocked in its exec()).
template <typename Dialog> void onNextModal(std::function<void(Dialog*)> handle)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            handle(dialog);
        }
    });
    timer->start();
}

} // namespace TestSupport

// Receives the URLs the widgets ask the desktop to open, instead of a browser or file manager.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void openUrl(const QUrl& url) { urls.append(url); }
};

// Records a signal's arguments like QSignalSpy, but in the thread of the test: QSignalSpy
// records in the emitting thread, which races with the test reading it when a worker thread
// emits. Emissions from other threads arrive queued, so read it through QTRY_ macros.
class MainThreadSpy : public QObject, public QList<QList<QVariant>>
{
public:
    template <typename Sender, typename... Args>
    MainThreadSpy(Sender* sender, void (Sender::*signal)(Args...))
    {
        connect(sender, signal, this,
                [this](Args... args) { append(QList<QVariant>{QVariant::fromValue(args)...}); });
    }
};
