// The settings a user changes without a camera: the display panel (accumulation time and slow
// rate) in the side bar and the general settings dialog, its folders, times and colour theme.
#include "AppConfig.h"
#include "MainWidget.h"
#include "RecordingSupport.h"
#include "SettingDisplayItem.h"
#include "SettingItemBox.h"
#include "ShowImageForm.h"
#include "SidebarCameraSettingUI.h"
#include "TestSupport.h"
#include "VXComboBoxBase.h"
#include "VXMessageBox.h"
#include "VxComboBox.h"
#include "VxEventProcessor.h"
#include "VxGeneralSetting.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

const QColor kValidFill(0xD7, 0xE7, 0xEE);
const QColor kInvalidFill(0xFF, 0xDA, 0xD8);

// The colour inside a field's frame, left of its text.
QColor fieldFill(VxComboBox* field)
{
    const QImage picture = field->grab().toImage();
    return picture.pixelColor(2, picture.height() / 2);
}

// Replaces the field's text by typing, as a user would.
void typeInto(VxComboBox* field, const QString& text)
{
    QLineEdit* edit = field->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// The general settings dialog with the directory chooser and the message box answered by the test.
class ScriptedGeneralSetting : public VxGeneralSetting
{
public:
    using VxGeneralSetting::VxGeneralSetting;
    QString chosenDirectory;
    QStringList problems;

protected:
    QString chooseDirectory(const QString&) override { return chosenDirectory; }
    void showProblem(const QString& problem) override { problems << problem; }
};

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;
    QTemporaryDir* m_dir = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        m_dir = new QTemporaryDir;
    }
    void cleanupTestCase()
    {
        delete m_dir;
        delete m_home;
    }
    void init() { TestSupport::failOnAnyWarning(); }

    void accumulationTimesReadAsTheyAreMeant_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("us"); // -1: refused
        QTest::newRow("bare number is ms") << "250" << 250000LL;
        QTest::newRow("microseconds") << "500us" << 500LL;
        QTest::newRow("listed entry") << "33.33ms" << 33330LL;
        QTest::newRow("blanks and capitals") << " 12 MS " << 12000LL;
        QTest::newRow("one second") << "1000ms" << 1000000LL;
        QTest::newRow("above one second") << "2000ms" << -1LL;
        QTest::newRow("just above one second") << "1000.001ms" << -1LL;
        QTest::newRow("zero") << "0" << -1LL;
        QTest::newRow("below a microsecond") << "0.4us" << -1LL;
        QTest::newRow("negative") << "-5ms" << -1LL;
        QTest::newRow("unknown unit") << "5s" << -1LL;
        QTest::newRow("not a number") << "fast" << -1LL;
        QTest::newRow("empty") << "" << -1LL;
    }

    void accumulationTimesReadAsTheyAreMeant()
    {
        QFETCH(QString, text);
        QFETCH(qlonglong, us);
        const std::optional<uint64_t> read = SettingDisplayItem::accumulationTimeUs(text);
        QCOMPARE(read ? qlonglong(*read) : -1LL, us);
    }

    void slowRatesGiveFrameRates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("fps"); // -1: refused
        QTest::newRow("real time") << "1" << 30;
        QTest::newRow("half") << "0.5" << 15;
        QTest::newRow("slowest listed") << "1000" << 30000;
        QTest::newRow("binary fraction") << "4.1" << 123;
        QTest::newRow("one frame a second") << "0.04" << 1;
        // 0.03 × 30 truncates to no frame at all: the engine would divide by zero.
        QTest::newRow("no frame a second") << "0.03" << -1;
        QTest::newRow("too slow") << "1001" << -1;
        QTest::newRow("not a number") << "slow" << -1;
        QTest::newRow("empty") << "" << -1;
    }

    void slowRatesGiveFrameRates()
    {
        QFETCH(QString, text);
        QFETCH(int, fps);
        const std::optional<uint32_t> read = SettingDisplayItem::frameRateForSlowRate(text);
        QCOMPARE(read ? int(*read) : -1, fps);
    }

    void typedValuesAreCheckedAsTypedAndSentWhenEditingEnds()
    {
        SettingDisplayItem item;
        item.resize(400, 80);
        item.show();
        QVERIFY(QTest::qWaitForWindowExposed(&item));
        QSignalSpy times(&item, &SettingDisplayItem::signalCumulativeTimeChanged);
        QSignalSpy rates(&item, &SettingDisplayItem::signalFpsChanged);
        VxComboBox* time = item.accumulationTimeField();
        VxComboBox* rate = item.slowRateField();
        QCOMPARE(item.accumulationTimeUs(), uint64_t(33330));
        QCOMPARE(item.frameRate(), 30u);

        typeInto(time, "250");
        QCOMPARE(time->inputState(), VxComboBox::InputState::Valid);
        QCOMPARE(fieldFill(time), kValidFill);
        QTest::keyClick(time->lineEdit(), Qt::Key_Return);
        QCOMPARE(times.count(), 1);
        QCOMPARE(times.last().at(0).value<uint64_t>(), uint64_t(250000));
        QCOMPARE(time->lineEdit()->text(), QString("250ms"));
        QCOMPARE(time->inputState(), VxComboBox::InputState::Neutral);

        typeInto(time, "2000ms");
        QCOMPARE(time->inputState(), VxComboBox::InputState::Invalid);
        QCOMPARE(fieldFill(time), kInvalidFill);
        QTest::keyClick(time->lineEdit(), Qt::Key_Return);
        QCOMPARE(times.count(), 1);
        QCOMPARE(time->inputState(), VxComboBox::InputState::Invalid);
        QCOMPARE(item.accumulationTimeUs(), uint64_t(250000));
        typeInto(time, "500us");
        QTest::keyClick(time->lineEdit(), Qt::Key_Return);
        QCOMPARE(times.last().at(0).value<uint64_t>(), uint64_t(500));

        typeInto(rate, "0.5");
        QTest::keyClick(rate->lineEdit(), Qt::Key_Return);
        QCOMPARE(rates.count(), 1);
        QCOMPARE(rates.last().at(0).value<uint32_t>(), 15u);
        for (const char* refused : {"slow", "0.03"}) {
            typeInto(rate, refused);
            QCOMPARE(fieldFill(rate), kInvalidFill);
            QTest::keyClick(rate->lineEdit(), Qt::Key_Return);
            QCOMPARE(rates.count(), 1);
        }
        QVERIFY(TestSupport::saveRender(&item, "SettingDisplayItem_refused_slow_rate"));
        QCOMPARE(item.frameRate(), 15u);

        // A pick from the list counts as soon as it is made.
        rate->comboBox()->setCurrentIndex(0);
        QTest::keyClick(rate->comboBox(), Qt::Key_Down);
        QCOMPARE(rate->lineEdit()->text(), QString("2"));
        QCOMPARE(rates.last().at(0).value<uint32_t>(), 60u);
        QCOMPARE(rate->inputState(), VxComboBox::InputState::Neutral);

        item.setSlowRateEnabled(false);
        QVERIFY(!rate->isEnabled());
    }

    void theDisplayBoxStartsFoldedAndItsTitleOpensIt()
    {
        SidebarCameraSettingUI panel;
        panel.resize(480, 300);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        SettingItemBox* box = panel.displayBox();
        QCOMPARE(box->title(), QString("Display"));
        QVERIFY(box->isFolded());
        QVERIFY(!panel.displayItem()->isVisible());
        auto* title = box->findChild<QWidget*>("widget_setting_box_title");
        QVERIFY(title->styleSheet().contains("border-left: 0px solid #004B6A;"));
        QTest::mouseClick(title, Qt::LeftButton);
        QVERIFY(!box->isFolded());
        QVERIFY(panel.displayItem()->isVisible());
        QVERIFY(title->styleSheet().contains("border-left: 2px solid #004B6A;"));
        QVERIFY(title->styleSheet().contains("background: #E1E9ED;"));
        QVERIFY(!title->styleSheet().contains("#F4F5F7"));
        QVERIFY(TestSupport::saveRender(&panel, "SidebarCameraSettingUI_display"));
        QTest::mouseClick(box->findChild<QPushButton*>("pb_fold"), Qt::LeftButton);
        QVERIFY(box->isFolded());
    }

    void theDisplayPanelDrivesPlayback()
    {
        const QString path = m_dir->filePath("ticks.raw");
        QVERIFY(RecordingSupport::writeRecording(path, RecordingSupport::tickEvents(0, 2000000, 1000), 0));
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        VxEventProcessor* engine = window.eventProcessor();
        // The panel's first entries hold from the start: 30 pictures a second of event time,
        // played in real time, each of 33.33 ms.
        QCOMPARE(engine->fps(), 30);
        QCOMPARE(engine->accTime(), uint64_t(33330));

        window.openRecording(path);
        QTRY_VERIFY_WITH_TIMEOUT(engine->isPlaying(), 20000);
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(!engine->isPlaying());
        // Far enough in for a picture of 100 ms.
        engine->setPlayPos(1000000);

        QTest::mouseClick(window.findChild<QPushButton*>("pb_fold_setting"), Qt::LeftButton);
        SidebarCameraSettingUI* panel = window.cameraPanel();
        panel->displayBox()->setFolded(false);
        SettingDisplayItem* display = panel->displayItem();
        typeInto(display->slowRateField(), "2");
        QTest::keyClick(display->slowRateField()->lineEdit(), Qt::Key_Return);
        QCOMPARE(engine->fps(), 60);
        QCOMPARE(engine->interval(), uint64_t(16666));
        QCOMPARE(window.liveFps(), uint16_t(60));

        // Paused, the picture shows the new accumulation time at once: one lit pixel a
        // millisecond of row 0.
        auto* view = window.findChild<ShowImageForm*>("widget_show_image");
        const QColor background = AppConfig::instance()->backgroundColor();
        auto millisecondsShown = [&] {
            return TestSupport::litPixelsInFirstRow(view->pixmap().toImage(), background);
        };
        typeInto(display->accumulationTimeField(), "100");
        QTest::keyClick(display->accumulationTimeField()->lineEdit(), Qt::Key_Return);
        QCOMPARE(engine->accTime(), uint64_t(100000));
        QCOMPARE(window.accumulationTimeUs(), uint64_t(100000));
        QTRY_COMPARE(millisecondsShown(), 100);
        typeInto(display->accumulationTimeField(), "10ms");
        QTest::keyClick(display->accumulationTimeField()->lineEdit(), Qt::Key_Return);
        QTRY_COMPARE(millisecondsShown(), 10);
        QVERIFY(!engine->isPlaying());
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_display_panel"));
    }

    void generalSettingsShowTheConfigurationAndSaveWhatWasSet()
    {
        TestHome home;
        AppConfig config;
        const QString raw = home.path() + "/raw";
        const QString video = home.path() + "/video";
        QVERIFY(QDir().mkpath(raw) && QDir().mkpath(video));

        ScriptedGeneralSetting dialog(&config);
        QCOMPARE(dialog.findChild<QLineEdit*>("le_default_file_path")->text(), config.outputRawFilePath());
        QCOMPARE(dialog.findChild<QLineEdit*>("le_trigger_in_before_time")->text(), QString("0"));
        QCOMPARE(dialog.findChild<VXComboBoxBase*>("cb_trigger_in_edge")->currentIndex(), 0);
        auto* themes = dialog.findChild<VxComboBox*>("widget_combobox_color_theme")->comboBox();
        QCOMPARE(themes->currentData().toString(), QString("Gray"));
        QCOMPARE(themes->count(), 5);
        auto* pages = dialog.findChild<QTabWidget*>("tw_settings");
        dialog.findChild<QListWidget*>("lw_general_setting_items")->setCurrentRow(1);
        QCOMPARE(pages->currentIndex(), 1);
        dialog.findChild<QListWidget*>("lw_general_setting_items")->setCurrentRow(0);
        QCOMPARE(pages->currentIndex(), 0);

        // Subtracting at 0 keeps 0; the steps count whole seconds.
        auto click = [&](const char* name) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
        };
        click("pb_sub_trigger_in_before_time");
        QCOMPARE(dialog.findChild<QLineEdit*>("le_trigger_in_before_time")->text(), QString("0"));
        click("pb_add_trigger_in_before_time");
        click("pb_add_trigger_in_before_time");
        click("pb_add_trigger_in_after_time");
        dialog.findChild<QLineEdit*>("le_trigger_in_after_time")->clear();
        click("pb_add_trigger_in_after_time");
        click("pb_add_trigger_in_after_time");
        click("pb_sub_trigger_in_after_time");
        QCOMPARE(dialog.findChild<QLineEdit*>("le_trigger_in_after_time")->text(), QString("1"));

        dialog.chosenDirectory = raw;
        dialog.on_pb_select_dir_clicked();
        dialog.chosenDirectory = QString(); // cancelled: the field keeps its text
        dialog.on_pb_select_video_save_path_clicked();
        QCOMPARE(dialog.findChild<QLineEdit*>("le_default_video_file_path")->text(), config.videoSavePath());
        dialog.findChild<QLineEdit*>("le_default_video_file_path")->setText(video);
        click("sb_trigger_in_rec_enable");
        dialog.findChild<VXComboBoxBase*>("cb_trigger_in_edge")->setCurrentIndex(1);
        themes->setCurrentIndex(themes->findData("Dark"));
        QVERIFY(TestSupport::saveRender(&dialog, "VxGeneralSetting_file"));
        dialog.findChild<QListWidget*>("lw_general_setting_items")->setCurrentRow(1);
        QVERIFY(TestSupport::saveRender(&dialog, "VxGeneralSetting_style"));

        QSignalSpy changed(&dialog, &VxGeneralSetting::signalTriggerInSaveFileParamChanged);
        QTest::ignoreMessage(QtDebugMsg, "Write to config file.");
        click("pb_save");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(changed.count(), 1);
        QVERIFY(dialog.problems.isEmpty());
        QSettings stored(config.configFilePath(), QSettings::IniFormat);
        QCOMPARE(stored.value("Setting/output_raw_file_path").toString(), raw);
        QCOMPARE(stored.value("Setting/video_save_path").toString(), video);
        QCOMPARE(stored.value("Setting/dvs_trigger_in_rec_enable").toBool(), true);
        QCOMPARE(stored.value("Setting/dvs_trigger_in_rec_edge_type").toString(), QString("Falling Edge"));
        QCOMPARE(stored.value("Setting/dvs_before_tirgger_in_save_time").toUInt(), 2u);
        QCOMPARE(stored.value("Setting/dvs_after_tirgger_in_save_time").toUInt(), 1u);
        QCOMPARE(stored.value("Setting/dvs_color_type").toString(), QString("Dark"));
        QCOMPARE(config.backgroundColor(), QColor(30, 37, 52));
    }

    void cancellingGeneralSettingsChangesNothing()
    {
        TestHome home;
        AppConfig config;
        QTest::ignoreMessage(QtDebugMsg, "Write to config file.");
        config.save();
        const QByteArray before = readFile(config.configFilePath());
        for (const char* leave : {"pb_cancel", "pb_win_close"}) {
            ScriptedGeneralSetting dialog(&config);
            dialog.findChild<QLineEdit*>("le_default_file_path")->setText(home.path());
            dialog.findChild<QLineEdit*>("le_trigger_in_before_time")->setText("9");
            QTest::mouseClick(dialog.findChild<QPushButton*>("sb_trigger_in_rec_enable"), Qt::LeftButton);
            auto* themes = dialog.findChild<VxComboBox*>("widget_combobox_color_theme")->comboBox();
            themes->setCurrentIndex(themes->findData("Light"));
            QSignalSpy changed(&dialog, &VxGeneralSetting::signalTriggerInSaveFileParamChanged);
            QTest::mouseClick(dialog.findChild<QPushButton*>(leave), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(changed.count(), 0);
        }
        QCOMPARE(readFile(config.configFilePath()), before);
        QCOMPARE(config.outputRawFilePath(), home.documents() + "/TarvoData");
        QCOMPARE(config.dvsBeforeTriggerInSaveTime(), 0u);
        QCOMPARE(config.dvsTriggerInRecEnable(), false);
        QCOMPARE(config.dvsColorType(), QString("Gray"));
    }

    void aFolderThatCannotTakeFilesKeepsTheDialogOpen()
    {
        TestHome home;
        AppConfig config;
        ScriptedGeneralSetting dialog(&config);
        dialog.show();
        const QString missing = home.path() + "/missing";
        dialog.findChild<QLineEdit*>("le_default_video_file_path")->setText(missing);
        dialog.findChild<QListWidget*>("lw_general_setting_items")->setCurrentRow(1);
        QTest::mouseClick(dialog.findChild<QPushButton*>("pb_save"), Qt::LeftButton);
        QCOMPARE(dialog.problems,
                 QStringList{QString("Default Video File Path: The folder %1 does not exist.").arg(missing)});
        QVERIFY(dialog.isVisible());
        // The fields to correct are shown.
        QCOMPARE(dialog.findChild<QTabWidget*>("tw_settings")->currentIndex(), 0);
        QVERIFY(!QFile::exists(config.configFilePath()));
        dialog.findChild<QLineEdit*>("le_default_file_path")->setText("  ");
        QCOMPARE(dialog.inputProblem(), QString("Default Out Raw File Path: Choose the folder to save in."));
    }

    void aThemeSavedInTheDialogShowsOnTheNextFrameAndAroundThePicture()
    {
        // A 4:3 recording in a wide view leaves bars beside the picture.
        RecordingSupport::Header vga;
        vga.width = 640;
        vga.height = 480;
        const QString path = m_dir->filePath("vga.raw");
        std::vector<tarvo::Event2D> events;
        for (uint64_t t = 0; t <= 400000; t += 100) {
            events.emplace_back(uint16_t(t / 100 % 640), uint16_t(t / 100 % 480), uint8_t(t / 100 % 2), t);
        }
        QVERIFY(RecordingSupport::writeRecording(path, events, 0, vga));
        AppConfig* config = AppConfig::instance();
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        VxEventProcessor* engine = window.eventProcessor();
        window.openRecording(path);
        QTRY_VERIFY_WITH_TIMEOUT(engine->isPlaying(), 20000);
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(!engine->isPlaying());
        auto* view = window.findChild<ShowImageForm*>("widget_show_image");
        QTRY_COMPARE(view->pixmap().size(), QSize(640, 480));

        TestSupport::onNextModal<VxGeneralSetting>([](VxGeneralSetting* dialog) {
            auto* themes = dialog->findChild<VxComboBox*>("widget_combobox_color_theme")->comboBox();
            themes->setCurrentIndex(themes->findData("Dark"));
            QTest::mouseClick(dialog->findChild<QPushButton*>("pb_save"), Qt::LeftButton);
        });
        QTest::ignoreMessage(QtDebugMsg, "Write to config file.");
        auto* general = window.findChild<QPushButton*>("pb_fold_general_setting");
        QTest::mouseClick(general, Qt::LeftButton);
        QVERIFY(!general->isChecked());
        QCOMPARE(config->dvsColorType(), QString("Dark"));

        // Paused, the picture is painted again in the new colours without a step.
        const QColor dark(30, 37, 52);
        auto pictureIsDark = [&] {
            const QImage shown = view->pixmap().toImage();
            const TestSupport::ColourCounts c =
                TestSupport::countColours(shown, QColor(255, 255, 255), QColor(64, 126, 200), dark);
            return c.background > 0 && c.on + c.off + c.background == shown.width() * shown.height();
        };
        QTRY_VERIFY(pictureIsDark());
        QCOMPARE(view->backgroundColor(), dark);
        const QImage whole = view->grab().toImage();
        QCOMPARE(whole.pixelColor(2, whole.height() / 2), dark);
        QCOMPARE(whole.pixelColor(whole.width() - 3, whole.height() / 2), dark);
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_dark_theme"));

        config->setDvsColorType("Gray");
        config->updateThemeColors();
    }
};

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
