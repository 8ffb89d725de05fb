// The rows of the camera settings panels on their own, and how the current configuration file
// takes one changed value.
#include "CameraParameterTexts.h"
#include "SettingBaseWithComboBox.h"
#include "SettingBaseWithLineEdit.h"
#include "SettingBaseWithSwitchButton.h"
#include "SettingBaseWithTextEdit.h"
#include "TestSupport.h"
#include "VxCameraConfigFile.h"
#include "VxLineEdit.h"
#include "VxLineEditBase.h"
#include "VxSlider.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

class SettingRowTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { TestSupport::initViewerApplication(); }
    void init() { TestSupport::failOnAnyWarning(); }

    void parameterNamesReadAsWords()
    {
        QCOMPARE(CameraParameterTexts::displayName("bias_diff_on"), QString("Bias Diff On"));
        QCOMPARE(CameraParameterTexts::displayName("x"), QString("X"));
        QCOMPARE(CameraParameterTexts::displayName("y_height"), QString("Y Height"));
        // What the viewer has no words for is shown as the camera says it.
        QCOMPARE(CameraParameterTexts::unit("Mev/s"), QString("Mev/s"));
        QCOMPARE(CameraParameterTexts::description("A new knob"), QString("A new knob"));
    }

    void aRowAnswersOnlyForItsOwnParameter()
    {
        SettingBaseWithLineEdit row("bias_fo", SettingBaseWithLineEdit::Kind::Integer);
        row.setRange(0, 255);
        QCOMPARE(row.labelText(), QString("Bias Fo"));
        QSignalSpy sent(&row, qOverload<std::string, int>(&SettingBaseWithLineEdit::signalItemValueChanged));
        row.slotItemValueChanged(std::string("bias_fo"), 30);
        row.slotItemValueChanged(std::string("bias_hpf"), 70);
        QCOMPARE(row.value(), 30.0);
        QCOMPARE(row.field()->lineEdit()->text(), QString("30"));
        // Showing a value is not a change of the user's.
        QVERIFY(sent.isEmpty());

        SettingBaseWithSwitchButton toggle("enable");
        QSignalSpy toggled(&toggle, &SettingBaseWithSwitchButton::signalItemValueChanged);
        toggle.slotItemValueChanged("trigger", true);
        QVERIFY(!toggle.isOn());
        toggle.slotItemValueChanged("enable", true);
        QVERIFY(toggle.isOn());
        QVERIFY(toggled.isEmpty());
        toggle.switchButton()->click();
        QCOMPARE(toggled.count(), 1);
        QCOMPARE(toggled.last().at(1).toBool(), false);
    }

    void anIntegerRowSendsOnlyValuesOnItsSteps()
    {
        SettingBaseWithLineEdit row("exposure_time", SettingBaseWithLineEdit::Kind::Integer);
        row.setRange(10, 33005, 10);
        row.slotItemValueChanged(std::string("exposure_time"), 32990);
        QSignalSpy sent(&row, qOverload<std::string, int>(&SettingBaseWithLineEdit::signalItemValueChanged));
        QVERIFY(row.accepts("1030"));
        QVERIFY(!row.accepts("1035"));
        QVERIFY(!row.accepts("0"));
        QVERIFY(!row.accepts("ten"));
        row.addButton()->click();
        row.addButton()->click(); // 33010 would be past the maximum; 33000 is the last step
        row.addButton()->click();
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.last().at(1).toInt(), 33000);
        row.slotItemValueChanged(std::string("exposure_time"), 10);
        row.subButton()->click();
        QCOMPARE(sent.count(), 1);

        // The slider moves in steps from the minimum and sends where it is let go.
        row.field()->slider()->setValue(2);
        QCOMPARE(sent.last().at(1).toInt(), 30);
        QCOMPARE(row.field()->lineEdit()->text(), QString("30"));
    }

    void aFloatRowShowsDecimalsForItsSpan()
    {
        SettingBaseWithLineEdit row("duty_cycle", SettingBaseWithLineEdit::Kind::Float);
        row.setRange(0, 100);
        row.slotItemValueChanged(std::string("duty_cycle"), 50.0f);
        QCOMPARE(row.field()->lineEdit()->text(), QString("50.0"));
        QCOMPARE(row.step(), 1.0);
        QSignalSpy sent(&row,
                        qOverload<std::string, float>(&SettingBaseWithLineEdit::signalItemValueChanged));
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        TestSupport::retype(row.field()->lineEdit(), "33.5");
        QTest::keyClick(row.field()->lineEdit(), Qt::Key_Return);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.last().at(1).toFloat(), 33.5f);
        // The field takes no more decimals than it shows.
        TestSupport::retype(row.field()->lineEdit(), "12.25");
        QTest::keyClick(row.field()->lineEdit(), Qt::Key_Return);
        QCOMPARE(sent.last().at(1).toFloat(), 12.2f);

        SettingBaseWithLineEdit fine("gamma", SettingBaseWithLineEdit::Kind::Float);
        fine.setRange(0, 1);
        fine.slotItemValueChanged(std::string("gamma"), 0.5f);
        QCOMPARE(fine.field()->lineEdit()->text(), QString("0.500"));
        QCOMPARE(fine.step(), 0.01);
    }

    void aChoiceSendsWhatTheUserPicks()
    {
        SettingBaseWithComboBox row("mode", {"ROI", "RONI"});
        QCOMPARE(row.labelText(), QString("Mode"));
        QSignalSpy sent(&row, &SettingBaseWithComboBox::signalItemValueChanged);
        row.slotItemValueChanged("mode", "RONI");
        row.slotItemValueChanged("mode", "NONE");
        QCOMPARE(row.currentOption(), std::string("RONI"));
        QVERIFY(sent.isEmpty());
        row.comboBox()->setCurrentIndex(0);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.last().at(1).value<std::string>(), std::string("ROI"));
    }

    void aTextRowSendsAChangedTextOnce()
    {
        SettingBaseWithTextEdit row("gateway", 15);
        row.slotItemValueChanged("gateway", "10.0.0.1");
        QSignalSpy sent(&row, &SettingBaseWithTextEdit::signalItemValueChanged);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        row.field()->setFocus();
        QTest::keyClick(row.field(), Qt::Key_Return);
        QVERIFY(sent.isEmpty());
        TestSupport::retype(row.field(), "10.0.0.254");
        QTest::keyClick(row.field(), Qt::Key_Return);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent.last().at(1).value<std::string>(), std::string("10.0.0.254"));
        QCOMPARE(row.field()->maxLength(), 15);
    }

    void aChangedValueKeepsTheRestOfTheFile()
    {
        const QString path = m_dir.filePath("keep.json");
        QVERIFY(TestSupport::writeFile(path, "{\"AntiFlicker\": {\"duty_cycle\": 50.0, \"enable\": false}, "
                                             "\"Sync\": {\"mode\": \"master\"}}"));
        QTest::ignoreMessage(QtDebugMsg, "根字段不存在，将自动创建: \"Biases\"");
        QVERIFY(VxCameraConfigFile::updateValue(path, "Biases", "bias_fo", 60));
        QVERIFY(VxCameraConfigFile::updateValue(path, "AntiFlicker", "enable", true));
        const QByteArray text = TestSupport::readFile(path);
        const nlohmann::json written = nlohmann::json::parse(text.toStdString());
        QVERIFY(written["Biases"]["bias_fo"] == 60);
        QVERIFY(written["AntiFlicker"]["enable"] == true);
        QVERIFY(written["Sync"]["mode"] == "master");
        // A float stays a decimal number, which the camera reads as a float again.
        QVERIFY(text.contains("\"duty_cycle\": 50.0"));
        QVERIFY(text.startsWith("{\n    \"AntiFlicker\": {"));
    }

    void aFileItCannotChangeSafelyIsLeftAsItIs_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("logged");
        QTest::newRow("not JSON") << QByteArray("{\"Biases\": ") << "JSON 解析失败:";
        QTest::newRow("an array") << QByteArray("[]") << "JSON 根节点不是对象";
        QTest::newRow("the tool as a number")
            << QByteArray("{\"Biases\": 3}") << "字段 'Biases' 不是一个 JSON 对象，无法写入子键";
    }

    void aFileItCannotChangeSafelyIsLeftAsItIs()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, logged);
        const QString path = m_dir.filePath("bad.json");
        QVERIFY(TestSupport::writeFile(path, text));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^" + QRegularExpression::escape(logged)));
        QVERIFY(!VxCameraConfigFile::updateValue(path, "Biases", "bias_fo", 60));
        QCOMPARE(TestSupport::readFile(path), text);
    }

    void aMissingFileIsOnlyLogged()
    {
        const QString missing = m_dir.filePath("missing.json");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^无法打开 JSON 文件进行读取:"));
        QVERIFY(!VxCameraConfigFile::updateValue(missing, "Biases", "bias_fo", 60));
        QVERIFY(!QFile::exists(missing));
    }

    void anUnwritableFileIsOnlyLogged()
    {
        QTemporaryDir locked;
        const QString path = locked.filePath("current.json");
        QVERIFY(TestSupport::writeFile(path, "{}"));
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner);
        if (QFile(locked.filePath("probe")).open(QIODevice::WriteOnly)) {
            QSKIP("the folder stays writable (running as root)");
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^无法打开 JSON 文件进行写入:"));
        QVERIFY(!VxCameraConfigFile::updateValue(path, "Biases", "bias_fo", 60));
        QCOMPARE(TestSupport::readFile(path), QByteArray("{}"));
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_MAIN(SettingRowTest)
#include "SettingRowTest.moc"
