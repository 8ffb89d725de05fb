#include "TestSupport.h"

#include "AppStartup.h"
#include "VxFilePathReminderForm.h"

#include "TarvoSim/SimBus.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

TestHome::TestHome() : m_oldHome(qgetenv("HOME"))
{
    QStandardPaths::setTestModeEnabled(true);
    qputenv("HOME", m_dir.path().toLocal8Bit());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"}) {
        qunsetenv(name);
    }
}

TestHome::~TestHome()
{
    qputenv("HOME", m_oldHome);
}

namespace TestSupport {

ColourCounts countColours(const QImage& image, const QColor& on, const QColor& off, const QColor& background)
{
    ColourCounts counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            counts.on += c == on ? 1 : 0;
            counts.off += c == off ? 1 : 0;
            counts.background += c == background ? 1 : 0;
        }
    }
    return counts;
}

int litPixelsInFirstRow(const QImage& image, const QColor& background)
{
    int lit = 0;
    for (int x = 0; x < image.width(); ++x) {
        lit += image.pixelColor(x, 0) != background ? 1 : 0;
    }
    return lit;
}

bool showMainWindow(QWidget& window)
{
    window.resize(1280, 800);
    window.show();
    window.move(0, 0);
    return QTest::qWaitForWindowExposed(&window);
}

void initViewerApplication()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setApplicationName("TarvoScope");
    QApplication::setOrganizationName("Tarvo");
    AppStartup::initResources();
}

void failOnAnyWarning()
{
    // The offscreen platform says so whenever a window is raised or resized; that is not a fault.
    QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support ).*"));
}

void retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool saveRender(QWidget* widget, const QString& name)
{
    const QString directory = QStringLiteral(TARVO_RENDER_DIR);
    QDir().mkpath(directory);
    return widget->grab().save(directory + "/" + name + ".png", "PNG");
}

void attachSimulatedCameras()
{
    tarvo::sim::SimBus::instance().setWaitScale(0.0001);
    tarvo::sim::SimBus::instance().replace(tarvo::sim::SimBus::defaultDevices());
}

QStringList toastTexts(QWidget* window)
{
    QStringList texts;
    for (VxFilePathReminderForm* toast : window->findChildren<VxFilePathReminderForm*>()) {
        texts << toast->findChild<QLabel*>("lb_show_tips")->text();
    }
    return texts;
}

VxFilePathReminderForm* toastSaying(QWidget* window, const QString& text)
{
    for (VxFilePathReminderForm* toast : window->findChildren<VxFilePathReminderForm*>()) {
        if (toast->findChild<QLabel*>("lb_show_tips")->text() == text) {
            return toast;
        }
    }
    return nullptr;
}

} // namespace TestSupport
