// The viewer's settings over config.ini: defaults, the camera files shipped with the viewer,
// repair of bad values, saving and themes.
#include "AppConfig.h"
#include "TarvoHal/Imx415ApsCtrl.h"
#include "TarvoHal/Imx636AntiFlicker.h"
#include "TarvoHal/Imx636Biases.h"
#include "TarvoHal/Imx636EventRateControl.h"
#include "TarvoHal/Imx636EventTrailFilter.h"
#include "TarvoHal/Imx636ROI.h"
#include "TarvoHal/Imx636Sync.h"
#include "TarvoHal/Imx636TriggerIn.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

class AppConfigTest : public QObject
{
    Q_OBJECT

private:
    // The tools of the IMX636 and IMX415 sensors, as a camera makes them; their parameter
    // descriptions need no device behind them.
    static std::vector<std::shared_ptr<tarvo::CameraTool>> cameraTools()
    {
        const std::shared_ptr<tarvo::RegisterController> none;
        return {std::make_shared<tarvo::Imx636Biases>(none),
                std::make_shared<tarvo::Imx636TriggerIn>(none),
                std::make_shared<tarvo::Imx636Sync>(none),
                std::make_shared<tarvo::Imx636AntiFlicker>(none),
                std::make_shared<tarvo::Imx636EventTrailFilter>(none),
                std::make_shared<tarvo::Imx636EventRateControl>(none),
                std::make_shared<tarvo::Imx636ROI>(none),
                std::make_shared<tarvo::Imx415ApsCtrl>(none)};
    }

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
    void initTestCase() { TestSupport::initViewerApplication(); }

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
        // The copies are the files shipped beside the program, which are the sources'.
        const QString sources = QStringLiteral(TARVO_VIEWER_SOURCE_DIR) + "/resources/config/";
        QCOMPARE(readFile(config.dvsCameraCurrentConfigPath()),
                 readFile(sources + "dvs_default_config.json"));
        QCOMPARE(readFile(config.fusionCameraCurrentConfigPath()),
                 readFile(sources + "fusion_cmaera_default_config.json"));
        QCOMPARE(readFile(config.dvsDefaultConfigPath()), readFile(sources + "dvs_default_config.json"));
        QVERIFY(readFile(config.dvsCameraCurrentConfigPath()).startsWith("{"));
    }

    void defaultCameraFilesHoldEveryToolParameterAtItsDefault_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("tools");
        QTest::addColumn<QVariantMap>("setAtStartUp");
        // An event camera offers all seven IMX636 tools; the fusion camera keeps its trigger input
        // to itself, has no sync tool, adds its frame sensor's and starts with rate control on.
        QTest::newRow("event camera")
            << "dvs_default_config.json"
            << QStringList{"AntiFlicker", "Biases", "EventRateControl", "EventTrailFilter",
                           "ROI",         "Sync",   "TriggerIn"}
            << QVariantMap();
        QTest::newRow("fusion camera")
            << "fusion_cmaera_default_config.json"
            << QStringList{"AntiFlicker", "ApsCtrl", "Biases", "EventRateControl", "EventTrailFilter", "ROI"}
            << QVariantMap{{"EventRateControl.enable", true}};
    }

    void defaultCameraFilesHoldEveryToolParameterAtItsDefault()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, tools);
        QFETCH(QVariantMap, setAtStartUp);
        const QString path = QCoreApplication::applicationDirPath() + "/config/" + file;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(readFile(path), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(path + ": " + error.errorString()));
        const QJsonObject root = document.object();
        QCOMPARE(root.keys(), tools);

        for (const auto& tool : cameraTools()) {
            const QString name = QString::fromStdString(tool->getToolInfo().name);
            if (!tools.contains(name)) {
                continue;
            }
            const QJsonObject values = root.value(name).toObject();
            QStringList expected;
            for (const auto& [parameter, basic] : tool->getAllParamInfo()) {
                const QString key = QString::fromStdString(parameter);
                const QJsonValue value = values.value(key);
                const QString where = name + "." + key;
                switch (basic.type) {
                case tarvo::PARAMETER_INT: {
                    tarvo::IntParameterInfo info;
                    QVERIFY(tool->getParamInfo(parameter, info));
                    QVERIFY2(value.isDouble() && value.toInt(-1) == info.defaultValue, qPrintable(where));
                    break;
                }
                case tarvo::PARAMETER_FLOAT: {
                    tarvo::FloatParameterInfo info;
                    QVERIFY(tool->getParamInfo(parameter, info));
                    QVERIFY2(value.isDouble() && float(value.toDouble()) == info.defaultValue,
                             qPrintable(where));
                    break;
                }
                case tarvo::PARAMETER_BOOL: {
                    tarvo::BoolParameterInfo info;
                    QVERIFY(tool->getParamInfo(parameter, info));
                    const bool expectedValue = setAtStartUp.value(where, info.defaultValue).toBool();
                    QVERIFY2(value.isBool() && value.toBool() == expectedValue, qPrintable(where));
                    break;
                }
                case tarvo::PARAMETER_ENUM: {
                    tarvo::EnumParameterInfo info;
                    QVERIFY(tool->getParamInfo(parameter, info));
                    QVERIFY2(value.toString() == QString::fromStdString(info.defaultValue),
                             qPrintable(where));
                    break;
                }
                default:
                    continue; // text parameters are not kept in configuration files
                }
                expected << key;
            }
            // Nothing the tool does not know.
            QCOMPARE(values.keys(), expected);
        }
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
