#include "AppConfig.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const char* const kOutputRawFilePath = "Setting/output_raw_file_path";
const char* const kInputRawFilePath = "Setting/input_raw_file_path";
const char* const kVideoSavePath = "Setting/video_save_path";
const char* const kLanguage = "Setting/language";
const char* const kTriggerInEnable = "Setting/dvs_trigger_in_rec_enable";
const char* const kTriggerInEdgeType = "Setting/dvs_trigger_in_rec_edge_type";
// "tirgger" is the spelling of the keys in existing config.ini files, kept on purpose.
const char* const kBeforeTriggerIn = "Setting/dvs_before_tirgger_in_save_time";
const char* const kAfterTriggerIn = "Setting/dvs_after_tirgger_in_save_time";
const char* const kColorType = "Setting/dvs_color_type";
const char* const kDvsCurrentConfig = "Setting/dvs_camera_current_config_path";
const char* const kFusionCurrentConfig = "Setting/fusion_camera_current_config_path";

struct Theme
{
    const char* name;
    QColor on;
    QColor off;
    QColor background;
};

const Theme kThemes[] = {
    {"Gray", QColor(255, 255, 255), QColor(0, 0, 0), QColor(112, 112, 112)},
    {"RedBlue", QColor(255, 0, 0), QColor(0, 0, 255), QColor(112, 112, 112)},
    {"Dark", QColor(255, 255, 255), QColor(64, 126, 200), QColor(30, 37, 52)},
    {"RedGreen", QColor(255, 0, 0), QColor(0, 255, 0), QColor(112, 112, 112)},
    {"Light", QColor(0, 0, 0), QColor(64, 126, 201), QColor(255, 255, 255)},
};

// Reads an unsigned count; anything that is not a non-negative number within 32 bits reads as 0.
uint32_t readSeconds(const QSettings& settings, const char* key)
{
    bool ok = false;
    const qulonglong value = settings.value(key).toString().trimmed().toULongLong(&ok);
    if (!ok || value > 0xFFFFFFFFull) {
        return 0;
    }
    return static_cast<uint32_t>(value);
}

// "en" or "zh"; anything else is English.
QString knownLanguage(const QString& language)
{
    return language == "zh" ? language : QString("en");
}

} // namespace

QString AppConfig::storedLanguage()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/config.ini";
    if (!QFileInfo::exists(path)) {
        return "en";
    }
    const QSettings settings(path, QSettings::IniFormat);
    return knownLanguage(settings.value(kLanguage).toString());
}

AppConfig* AppConfig::instance()
{
    static AppConfig config;
    config.refreshAppDataPath();
    return &config;
}

AppConfig::AppConfig()
{
    refreshAppDataPath();
    m_settings = std::make_unique<QSettings>(configFilePath(), QSettings::IniFormat);
    load();
}

AppConfig::~AppConfig() = default;

void AppConfig::refreshAppDataPath()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!path.isEmpty() && !QDir(path).exists()) {
        QDir().mkpath(path);
    }
    std::lock_guard<std::mutex> lock(m_pathMutex);
    m_appDataPath = path;
}

QString AppConfig::appDataPath() const
{
    std::lock_guard<std::mutex> lock(m_pathMutex);
    return m_appDataPath;
}

QString AppConfig::configFilePath() const
{
    return appDataPath() + "/config.ini";
}

QString AppConfig::loadDirectory(const char* key, bool* documentsMissing, bool* createFailed)
{
    *documentsMissing = false;
    *createFailed = false;
    const QString stored = m_settings->value(key).toString();
    if (!stored.isEmpty() && QDir(stored).exists()) {
        return stored;
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) {
        *documentsMissing = true;
        return QString();
    }
    const QString path = documents + "/TarvoData";
    QDir dir(path);
    if (!dir.exists() && !dir.mkpath(".")) {
        *createFailed = true;
    }
    return path;
}

QString AppConfig::loadCurrentConfigPath(const char* key, const QString& defaultFile, const QString& fileName)
{
    const QString stored = m_settings->value(key).toString();
    if (!stored.isEmpty()) {
        return stored;
    }
    const QString directory =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/TarvoConfig";
    QDir().mkpath(directory);
    const QString destination = directory + fileName;
    // QFile::copy leaves an existing file alone, so a user's edited copy survives.
    if (QFile::copy(defaultFile, destination)) {
        qDebug() << "File copied successfully to:" << destination;
    }
    return destination;
}

void AppConfig::load()
{
    bool documentsMissing = false;
    bool createFailed = false;

    m_outputRawFilePath = loadDirectory(kOutputRawFilePath, &documentsMissing, &createFailed);
    if (documentsMissing) {
        return;
    }

    m_inputRawFilePath = loadDirectory(kInputRawFilePath, &documentsMissing, &createFailed);
    if (documentsMissing) {
        qWarning() << "Unable to get documents location.";
        return;
    }
    if (createFailed) {
        qDebug() << "Create raw file path failed.";
    }

    m_language = knownLanguage(m_settings->value(kLanguage).toString());

    m_videoSavePath = loadDirectory(kVideoSavePath, &documentsMissing, &createFailed);
    if (documentsMissing) {
        return;
    }
    if (createFailed) {
        qDebug() << "Create raw file path failed.";
    }

    const QString appDir = QCoreApplication::applicationDirPath();
    m_dvsDefaultConfigPath = appDir + "/config/dvs_default_config.json";
    // "cmaera" is the installed file's own spelling, kept on purpose.
    m_fusionDefaultConfigPath = appDir + "/config/fusion_cmaera_default_config.json";

    m_dvsCameraCurrentConfigPath =
        loadCurrentConfigPath(kDvsCurrentConfig, m_dvsDefaultConfigPath, "/dvs_default_config.json");
    m_fusionCameraCurrentConfigPath = loadCurrentConfigPath(kFusionCurrentConfig, m_fusionDefaultConfigPath,
                                                            "/fusion_camera_default_config.json");

    if (m_settings->contains(kTriggerInEnable)) {
        m_dvsTriggerInRecEnable = m_settings->value(kTriggerInEnable).toBool();
        m_dvsTriggerInRecEdgeType = m_settings->value(kTriggerInEdgeType).toString();
        m_dvsBeforeTriggerInSaveTime = readSeconds(*m_settings, kBeforeTriggerIn);
        m_dvsAfterTriggerInSaveTime = readSeconds(*m_settings, kAfterTriggerIn);
    } else {
        m_dvsTriggerInRecEnable = false;
        m_dvsTriggerInRecEdgeType = "Rising Edge";
        m_dvsBeforeTriggerInSaveTime = 0;
        m_dvsAfterTriggerInSaveTime = 0;
    }

    {
        std::lock_guard<std::mutex> lock(m_themeMutex);
        m_dvsColorType = m_settings->contains(kColorType) ? m_settings->value(kColorType).toString() : "Gray";
    }
    updateThemeColors();
}

void AppConfig::save()
{
    updateThemeColors();
    m_settings->setValue(kOutputRawFilePath, m_outputRawFilePath);
    m_settings->setValue(kInputRawFilePath, m_inputRawFilePath);
    m_settings->setValue(kLanguage, m_language);
    m_settings->setValue(kVideoSavePath, m_videoSavePath);
    m_settings->setValue(kTriggerInEnable, m_dvsTriggerInRecEnable);
    m_settings->setValue(kTriggerInEdgeType, m_dvsTriggerInRecEdgeType);
    m_settings->setValue(kBeforeTriggerIn, m_dvsBeforeTriggerInSaveTime);
    m_settings->setValue(kAfterTriggerIn, m_dvsAfterTriggerInSaveTime);
    m_settings->setValue(kColorType, dvsColorType());
    m_settings->setValue(kDvsCurrentConfig, m_dvsCameraCurrentConfigPath);
    m_settings->sync();
    qDebug() << "Write to config file.";
}

void AppConfig::updateThemeColors()
{
    std::lock_guard<std::mutex> lock(m_themeMutex);
    for (const Theme& theme : kThemes) {
        if (m_dvsColorType == QLatin1String(theme.name)) {
            m_onColor = theme.on;
            m_offColor = theme.off;
            m_backgroundColor = theme.background;
            return;
        }
    }
}

QString AppConfig::dvsColorType() const
{
    std::lock_guard<std::mutex> lock(m_themeMutex);
    return m_dvsColorType;
}

void AppConfig::setDvsColorType(const QString& type)
{
    std::lock_guard<std::mutex> lock(m_themeMutex);
    m_dvsColorType = type;
}

QColor AppConfig::onColor() const
{
    std::lock_guard<std::mutex> lock(m_themeMutex);
    return m_onColor;
}

QColor AppConfig::offColor() const
{
    std::lock_guard<std::mutex> lock(m_themeMutex);
    return m_offColor;
}

QColor AppConfig::backgroundColor() const
{
    std::lock_guard<std::mutex> lock(m_themeMutex);
    return m_backgroundColor;
}
