#include "AppStartup.h"

#include "TarvoSim/Install.h"

#include <QApplication>
#include <QDebug>
#include <QFont>
#include <QFontDatabase>
#include <QPointer>
#include <QTranslator>

namespace {
QPointer<QTranslator> g_translator; // the installed translator; owned by the application object
} // namespace

void AppStartup::initResources()
{
    // The resources of a static library are only linked in when something refers to them.
    Q_INIT_RESOURCE(viewer);
}

bool AppStartup::loadFont()
{
    const int id = QFontDatabase::addApplicationFont(kFontResource);
    if (id < 0) {
        qDebug() << "Failed to load font!";
        return false;
    }
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) {
        return false;
    }
    QFont font(families.first());
    font.setHintingPreference(QFont::PreferNoHinting);
    QApplication::setFont(font);
    return true;
}

bool AppStartup::installTranslator(const QString& language)
{
    const QString file = language == "zh" ? ":/app_zh.qm" : ":/app_en.qm";
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(file)) {
        qDebug() << "Load language failed.";
        delete translator;
        return false;
    }
    if (!QCoreApplication::installTranslator(translator)) {
        qDebug() << "install translator failed.";
        delete translator;
        return false;
    }
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator);
        delete g_translator;
    }
    g_translator = translator;
    return true;
}

QTranslator* AppStartup::currentTranslator()
{
    return g_translator;
}

void AppStartup::installSimulatedCameras()
{
    tarvo::sim::install();
}
