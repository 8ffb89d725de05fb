// The viewer's settings over config.ini: defaults, repair of bad values, saving and themes.
#include "AppConfig.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

class AppConfigTest : public QObject
{
    Q_OBJECT

private:
    static QString iniPath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/config.ini";
    }

    static void writeIni(const QList<QPair<QString, QVariant>>& values)
    {
        QDir().mkpath(QFileInfo(iniPath()).path());
        QSettings settings(iniPath(), QSettings::IniFormat);
        for (const auto& [key, value] : values) {
            settings.setValue(key, value);
        }
        settings.sync();
    }

    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        TestSupport::initViewerApplication();
        // The default camera files lie beside the program, as they do in an installation.
        const QString configDir = QCoreApplication::applicationDirPath() + "/config";
        QDir().mkpath(configDir);
        for (const char* name : {"dvs_default_config.json", "fusion_cmaera_default_config.json"}) {
            QFile file(configDir + "/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QString("{\"source\": \"%1\"}").arg(name).toUtf8());
        }
    }

    void init() { TestSupport::failOnAnyWarning(); }

    void freshInstallationGetsTheDefaults()
    {
        TestHome home;
        QVERIFY(home.isValid());
        AppConfig config;
        const QString data = home.documents() + "/TarvoData";
        QCOMPARE(config.outputRawFilePath(), data);
        QCOMPARE(config.inputRawFilePath(), data);
        QCOMPARE(config.videoSavePath(), data);
        QVERIFY(QDir(data).exists());
        QCOMPARE(config.language(), QString("en"));
        QCOMPARE(config.dvsTriggerInRecEnable(), false);
        QCOMPARE(config.dvsTriggerInRecEdgeType(), QString("Rising Edge"));
        QCOMPARE(config.dvsBeforeTriggerInSaveTime(), 0u);
        QCOMPARE(config.dvsAfterTriggerInSaveTime(), 0u);
        QCOMPARE(config.dvsColorType(), QString("Gray"));
        QCOMPARE(config.backgroundColor(), QColor(112, 112, 112));

        QVERIFY(config.appDataPath().startsWith(home.path()));
        QVERIFY(QDir(config.appDataPath()).exists());
        QCOMPARE(config.configFilePath(), config.appDataPath() + "/config.ini");

        const QString appDir = QCoreApplication::applicationDirPath();
        QCOMPARE(config.dvsDefaultConfigPath(), appDir + "/config/dvs_default_config.json");
        QCOMPARE(config.fusionDefaultConfigPath(), appDir + "/config/fusion_cmaera_default_config.json");
        const QString configDir = home.documents() + "/TarvoConfig";
        QCOMPARE(config.dvsCameraCurrentConfigPath(), configDir + "/dvs_default_config.json");
        QCOMPARE(config.fusionCameraCurrentConfigPath(), configDir + "/fusion_camera_default_config.json");
        QCOMPARE(readFile(config.dvsCameraCurrentConfigPath()), readFile(config.dvsDefaultConfigPath()));
        QCOMPARE(readFile(config.fusionCameraCurrentConfigPath()),
                 readFile(config.fusionDefaultConfigPath()));
    }

    void anEditedCopyOfTheDefaultCameraFileIsKept()
    {
        TestHome home;
        const QString configDir = home.documents() + "/TarvoConfig";
        QDir().mkpath(configDir);
        QFile edited(configDir + "/dvs_default_config.json");
        QVERIFY(edited.open(QIODevice::WriteOnly));
        edited.write("{\"edited\": true}");
        edited.close();
        AppConfig config;
        QCOMPARE(readFile(config.dvsCameraCurrentConfigPath()), QByteArray("{\"edited\": true}"));
    }

    void badStoredValuesAreRepaired()
    {
        TestHome home;
        const QString kept = home.path() + "/recordings";
        QVERIFY(QDir().mkpath(kept));
        writeIni({{"Setting/output_raw_file_path", kept},
                  {"Setting/input_raw_file_path", home.path() + "/gone"},
                  {"Setting/video_save_path", ""},
                  {"Setting/language", "fr"},
                  {"Setting/dvs_trigger_in_rec_enable", true},
                  {"Setting/dvs_trigger_in_rec_edge_type", "Falling Edge"},
                  {"Setting/dvs_before_tirgger_in_save_time", "abc"},
                  {"Setting/dvs_after_tirgger_in_save_time", "-3"}});
        AppConfig config;
        QCOMPARE(config.outputRawFilePath(), kept);
        QCOMPARE(config.inputRawFilePath(), home.documents() + "/TarvoData");
        QCOMPARE(config.videoSavePath(), home.documents() + "/TarvoData");
        QCOMPARE(config.language(), QString("en"));
        QCOMPARE(config.dvsTriggerInRecEnable(), true);
        QCOMPARE(config.dvsTriggerInRecEdgeType(), QString("Falling Edge"));
        QCOMPARE(config.dvsBeforeTriggerInSaveTime(), 0u);
        QCOMPARE(config.dvsAfterTriggerInSaveTime(), 0u);
    }

    void secondsBeyondThirtyTwoBitsReadAsZero()
    {
        TestHome home;
        writeIni({{"Setting/dvs_trigger_in_rec_enable", false},
                  {"Setting/dvs_before_tirgger_in_save_time", "4294967296"},
                  {"Setting/dvs_after_tirgger_in_save_time", "4294967295"}});
        AppConfig config;
        QCOMPARE(config.dvsBeforeTriggerInSaveTime(), 0u);
        QCOMPARE(config.dvsAfterTriggerInSaveTime(), 4294967295u);
    }

    void aDataFolderThatCannotBeMadeIsReportedAndLoadingGoesOn()
    {
        TestHome home;
        // A plain file where the documents folder should be.
        QFile blocker(home.documents());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        writeIni({{"Setting/language", "zh"}, {"Setting/dvs_color_type", "Dark"}});
        QTest::ignoreMessage(QtDebugMsg, "Create raw file path failed.");
        QTest::ignoreMessage(QtDebugMsg, "Create raw file path failed.");
        AppConfig config;
        QCOMPARE(config.language(), QString("zh"));
        QCOMPARE(config.dvsColorType(), QString("Dark"));
        QCOMPARE(config.videoSavePath(), home.documents() + "/TarvoData");
    }

    void saveWritesEveryKeyAndReloadReadsThemBack()
    {
        TestHome home;
        const QString output = home.path() + "/out";
        const QString input = home.path() + "/in";
        const QString video = home.path() + "/video";
        for (const QString& dir : {output, input, video}) {
            QVERIFY(QDir().mkpath(dir));
        }
        {
            AppConfig config;
            config.setOutputRawFilePath(output);
            config.setInputRawFilePath(input);
            config.setVideoSavePath(video);
            config.setLanguage("zh");
            config.setDvsTriggerInRecEnable(true);
            config.setDvsTriggerInRecEdgeType("Falling Edge");
            config.setDvsBeforeTriggerInSaveTime(3);
            config.setDvsAfterTriggerInSaveTime(7);
            config.setDvsColorType("RedBlue");
            config.setDvsCameraCurrentConfigPath(home.path() + "/mine.json");
            config.setFusionCameraCurrentConfigPath(home.path() + "/fusion.json");
            QTest::ignoreMessage(QtDebugMsg, "Write to config file.");
            config.save();
            // Saving recomputes the theme.
            QCOMPARE(config.onColor(), QColor(255, 0, 0));
        }
        QSettings stored(iniPath(), QSettings::IniFormat);
        QCOMPARE(stored.value("Setting/dvs_before_tirgger_in_save_time").toUInt(), 3u);
        QCOMPARE(stored.value("Setting/dvs_after_tirgger_in_save_time").toUInt(), 7u);
        QCOMPARE(stored.value("Setting/dvs_trigger_in_rec_edge_type").toString(), QString("Falling Edge"));
        QCOMPARE(stored.value("Setting/dvs_color_type").toString(), QString("RedBlue"));
        // The fusion camera's file is not written back.
        QVERIFY(!stored.contains("Setting/fusion_camera_current_config_path"));

        AppConfig reloaded;
        QCOMPARE(reloaded.outputRawFilePath(), output);
        QCOMPARE(reloaded.inputRawFilePath(), input);
        QCOMPARE(reloaded.videoSavePath(), video);
        QCOMPARE(reloaded.language(), QString("zh"));
        QCOMPARE(reloaded.dvsTriggerInRecEnable(), true);
        QCOMPARE(reloaded.dvsTriggerInRecEdgeType(), QString("Falling Edge"));
        QCOMPARE(reloaded.dvsBeforeTriggerInSaveTime(), 3u);
        QCOMPARE(reloaded.dvsAfterTriggerInSaveTime(), 7u);
        QCOMPARE(reloaded.dvsColorType(), QString("RedBlue"));
        QCOMPARE(reloaded.onColor(), QColor(255, 0, 0));
        QCOMPARE(reloaded.offColor(), QColor(0, 0, 255));
        QCOMPARE(reloaded.dvsCameraCurrentConfigPath(), home.path() + "/mine.json");
    }

    void themeColoursFollowTheColourType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QColor>("on");
        QTest::addColumn<QColor>("off");
        QTest::addColumn<QColor>("background");
        QTest::newRow("Gray") << "Gray" << QColor(255, 255, 255) << QColor(0, 0, 0) << QColor(112, 112, 112);
        QTest::newRow("RedBlue") << "RedBlue" << QColor(255, 0, 0) << QColor(0, 0, 255)
                                 << QColor(112, 112, 112);
        QTest::newRow("Dark") << "Dark" << QColor(255, 255, 255) << QColor(64, 126, 200)
                              << QColor(30, 37, 52);
        QTest::newRow("RedGreen") << "RedGreen" << QColor(255, 0, 0) << QColor(0, 255, 0)
                                  << QColor(112, 112, 112);
        QTest::newRow("Light") << "Light" << QColor(0, 0, 0) << QColor(64, 126, 201) << QColor(255, 255, 255);
    }

    void themeColoursFollowTheColourType()
    {
        QFETCH(QString, type);
        QFETCH(QColor, on);
        QFETCH(QColor, off);
        QFETCH(QColor, background);
        TestHome home;
        writeIni({{"Setting/dvs_color_type", type}});
        AppConfig config;
        QCOMPARE(config.onColor(), on);
        QCOMPARE(config.offColor(), off);
        QCOMPARE(config.backgroundColor(), background);
        QCOMPARE(config.onColor().alpha(), 255);
    }

    void anUnknownThemeKeepsTheColoursItHad()
    {
        TestHome home;
        writeIni({{"Setting/dvs_color_type", "Purple"}});
        AppConfig config;
        QCOMPARE(config.dvsColorType(), QString("Purple"));
        QCOMPARE(config.backgroundColor(), QColor(112, 112, 112));
        config.setDvsColorType("Dark");
        config.updateThemeColors();
        config.setDvsColorType("Sepia");
        config.updateThemeColors();
        QCOMPARE(config.backgroundColor(), QColor(30, 37, 52));
    }
};

QTEST_MAIN(AppConfigTest)
#include "AppConfigTest.moc"
