#pragma once

#include <QColor>
#include <QSettings>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>

// The viewer's persistent settings, kept in "config.ini" (group "Setting") in the
// application-data directory. The viewer uses the process-wide instance(); tests build their
// own objects over a temporary home folder.
class AppConfig
{
public:
    // The shared configuration, loaded on first use. Every call makes sure the
    // application-data directory exists.
    static AppConfig* instance();

    // The language config.ini holds ("en" unless it says "zh"), read without loading the
    // configuration or creating any folder; for the console, before the application starts.
    static QString storedLanguage();

    AppConfig();
    ~AppConfig();
    AppConfig(const AppConfig&) = delete;
    AppConfig& operator=(const AppConfig&) = delete;

    // Recomputes the theme colours, writes the settings and flushes the file.
    void save();
    // Sets the ON, OFF and background colours from the colour type; an unknown type keeps them.
    void updateThemeColors();

    // Creates the application-data directory if needed and remembers its path.
    void refreshAppDataPath();
    QString appDataPath() const;
    QString configFilePath() const;

    QString outputRawFilePath() const { return m_outputRawFilePath; }
    void setOutputRawFilePath(const QString& path) { m_outputRawFilePath = path; }
    QString inputRawFilePath() const { return m_inputRawFilePath; }
    void setInputRawFilePath(const QString& path) { m_inputRawFilePath = path; }
    QString videoSavePath() const { return m_videoSavePath; }
    void setVideoSavePath(const QString& path) { m_videoSavePath = path; }
    QString language() const { return m_language; }
    void setLanguage(const QString& language) { m_language = language; }

    bool dvsTriggerInRecEnable() const { return m_dvsTriggerInRecEnable; }
    void setDvsTriggerInRecEnable(bool enable) { m_dvsTriggerInRecEnable = enable; }
    QString dvsTriggerInRecEdgeType() const { return m_dvsTriggerInRecEdgeType; }
    void setDvsTriggerInRecEdgeType(const QString& type) { m_dvsTriggerInRecEdgeType = type; }
    uint32_t dvsBeforeTriggerInSaveTime() const { return m_dvsBeforeTriggerInSaveTime; }
    void setDvsBeforeTriggerInSaveTime(uint32_t seconds) { m_dvsBeforeTriggerInSaveTime = seconds; }
    uint32_t dvsAfterTriggerInSaveTime() const { return m_dvsAfterTriggerInSaveTime; }
    void setDvsAfterTriggerInSaveTime(uint32_t seconds) { m_dvsAfterTriggerInSaveTime = seconds; }

    // The theme may be read by render threads while the settings dialog changes it.
    QString dvsColorType() const;
    void setDvsColorType(const QString& type);
    QColor onColor() const;
    QColor offColor() const;
    QColor backgroundColor() const;

    QString dvsDefaultConfigPath() const { return m_dvsDefaultConfigPath; }
    QString fusionDefaultConfigPath() const { return m_fusionDefaultConfigPath; }
    QString dvsCameraCurrentConfigPath() const { return m_dvsCameraCurrentConfigPath; }
    void setDvsCameraCurrentConfigPath(const QString& path) { m_dvsCameraCurrentConfigPath = path; }
    QString fusionCameraCurrentConfigPath() const { return m_fusionCameraCurrentConfigPath; }
    void setFusionCameraCurrentConfigPath(const QString& path) { m_fusionCameraCurrentConfigPath = path; }

private:
    void load();
    // A stored directory, or documents + "/TarvoData" when it is unset or gone; empty when
    // there is no documents location.
    QString loadDirectory(const char* key, bool* documentsMissing, bool* createFailed);
    QString loadCurrentConfigPath(const char* key, const QString& defaultFile, const QString& fileName);

    mutable std::mutex m_pathMutex; // guards m_appDataPath, which every instance() call refreshes
    QString m_appDataPath;
    QString m_outputRawFilePath;
    QString m_inputRawFilePath;
    QString m_videoSavePath;
    QString m_language;
    bool m_dvsTriggerInRecEnable = false;
    QString m_dvsTriggerInRecEdgeType;
    uint32_t m_dvsBeforeTriggerInSaveTime = 0;
    uint32_t m_dvsAfterTriggerInSaveTime = 0;

    mutable std::mutex m_themeMutex; // guards the colour type and the three theme colours
    QString m_dvsColorType;
    // Start from the grey theme so that an unknown stored type never leaves invalid colours.
    QColor m_onColor{255, 255, 255};
    QColor m_offColor{0, 0, 0};
    QColor m_backgroundColor{112, 112, 112};

    QString m_dvsDefaultConfigPath;
    QString m_fusionDefaultConfigPath;
    QString m_dvsCameraCurrentConfigPath;
    QString m_fusionCameraCurrentConfigPath;
    std::unique_ptr<QSettings> m_settings;
};
