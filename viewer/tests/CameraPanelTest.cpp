// The event and frame sensor panels on simulated cameras: a row for every parameter, values that
// reach the camera and the current configuration file, Refresh, Default, Load and Export, and
// configuration files that are refused whole.
#include "AppConfig.h"
#include "CameraParameterTexts.h"
#include "MainWidget.h"
#include "SettingBaseWithComboBox.h"
#include "SettingBaseWithLineEdit.h"
#include "SettingBaseWithSwitchButton.h"
#include "SettingBaseWithTextEdit.h"
#include "SettingItemBox.h"
#include "SidebarApsSettingUI.h"
#include "SidebarDvsSettingUI.h"
#include "TestSupport.h"
#include "ToolSettingBox.h"
#include "VxLineEdit.h"
#include "VxLineEditBase.h"
#include "VxSlider.h"

#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoHal/CameraToolBasePrivate.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoSim/SimBus.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

// QCOMPARE would try every conversion a JSON value offers.
#define COMPARE_JSON(actual, expected)                                                                       \
    do {                                                                                                     \
        const nlohmann::json actualJson = (actual);                                                          \
        const nlohmann::json expectedJson = (expected);                                                      \
        QVERIFY2(actualJson == expectedJson,                                                                 \
                 qPrintable(QString::fromStdString(actualJson.dump() + " is not " + expectedJson.dump())));  \
    } while (false)

namespace {

using nlohmann::json;

tarvo::sim::DeviceConfig usbCamera(const std::string& serial, double eventRate = 1e6)
{
    tarvo::sim::DeviceConfig config;
    config.serial = serial;
    config.eventRate = eventRate;
    config.triggerHz = 0;
    return config;
}

tarvo::sim::DeviceConfig ethernetCamera(const std::string& serial)
{
    tarvo::sim::DeviceConfig config = usbCamera(serial);
    config.kind = tarvo::sim::DeviceKind::EthEventCamera;
    config.ipAddress = "192.168.7.20";
    config.subnetMask = "255.255.255.0";
    config.gateway = "192.168.7.1";
    return config;
}

// A camera opened for one test, with what the tests read of it.
template <typename Camera> struct OpenedCameraBase
{
    template <typename T> T param(tarvo::ToolType type, const std::string& name) const
    {
        T value{};
        camera->getTool(type)->getParam(name, value);
        return value;
    }
    // Every parameter as a configuration file holds it.
    json state() const
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("state.json").toStdString();
        camera->exportCameraConfigParams(path);
        std::ifstream file(path);
        return json::parse(file);
    }

    std::string serial;
    tarvo::DvsCameraManager manager;
    std::shared_ptr<Camera> camera;
};

// A simulated camera attached for one test and opened through the manager, with a second handle
// on the device that reads its register file.
struct OpenedCamera : OpenedCameraBase<tarvo::DvsCamera>
{
    explicit OpenedCamera(const tarvo::sim::DeviceConfig& config)
    {
        serial = config.serial;
        tarvo::sim::SimBus::instance().attach(config);
        manager.updateCameras();
        camera = manager.openCamera(serial);
        if (camera && config.kind == tarvo::sim::DeviceKind::UsbEventCamera) {
            registers = tarvo::UsbInterface::createUsbInterface(camera->getDescription());
        }
    }
    ~OpenedCamera()
    {
        if (camera) {
            camera->stop();
        }
        tarvo::sim::SimBus::instance().detach(serial);
    }

    uint32_t reg(uint32_t address) const
    {
        uint32_t value = 0;
        registers->readRegister(address, value);
        return value;
    }

    std::shared_ptr<tarvo::Interface> registers;
};

// The simulated fusion camera, attached for one test and opened through the manager.
struct OpenedFusionCamera : OpenedCameraBase<tarvo::FusionCamera>
{
    OpenedFusionCamera()
    {
        for (const tarvo::sim::DeviceConfig& config : tarvo::sim::SimBus::defaultDevices()) {
            if (config.kind == tarvo::sim::DeviceKind::FusionCamera) {
                serial = config.serial;
                tarvo::sim::SimBus::instance().attach(config);
            }
        }
        manager.updateCameras();
        camera = manager.openFusionCamera(serial);
    }
    ~OpenedFusionCamera() { tarvo::sim::SimBus::instance().detach(serial); }
};

json readJson(const QString& path)
{
    std::ifstream file(path.toStdString());
    return json::parse(file, nullptr, false);
}

template <typename Row> Row* rowOf(CameraToolPanel& panel, tarvo::ToolType type, const std::string& name)
{
    ToolSettingBox* box = panel.box(type);
    return box ? qobject_cast<Row*>(box->row(name)) : nullptr;
}

// Types `text` into a number row's field and ends the edit with Return.
void typeInto(SettingBaseWithLineEdit* row, const QString& text, bool finish = true)
{
    TestSupport::retype(row->field()->lineEdit(), text);
    if (finish) {
        QTest::keyClick(row->field()->lineEdit(), Qt::Key_Return);
    }
}

// An event sensor panel on screen showing `camera`, with the boxes of `open` unfolded and its
// notices recorded.
struct ShownPanel
{
    ShownPanel(AppConfig* config, const std::shared_ptr<tarvo::DvsCamera>& camera,
               std::initializer_list<tarvo::ToolType> open = {})
        : panel(config), notices(&panel, &CameraToolPanel::signalShowLeftBottomTips)
    {
        panel.setCamera(camera);
        for (tarvo::ToolType type : open) {
            panel.box(type)->setFolded(false);
        }
        panel.resize(480, 900);
        panel.show();
        exposed = QTest::qWaitForWindowExposed(&panel);
    }

    SidebarDvsSettingUI panel;
    QSignalSpy notices;
    bool exposed = false;
};

// The text and kind of the last notice a panel raised.
QString lastNotice(const QSignalSpy& notices, VxMessageType* type = nullptr)
{
    if (notices.isEmpty()) {
        return QString();
    }
    if (type) {
        *type = notices.last().at(1).value<VxMessageType>();
    }
    return notices.last().at(0).toString();
}

// A frame sensor tool that describes no parameters.
class ToolWithoutParameters : public tarvo::CameraToolBasePrivate
{
public:
    ToolWithoutParameters() : CameraToolBasePrivate("tests/ToolWithoutParameters") {}
    tarvo::ToolInfo getToolInfo() const override { return {tarvo::TOOL_APS_CTRL, "ApsCtrl", {}, ""}; }

protected:
    bool applyParam(const std::string&, const Value&) override { return true; }
};

// The offsets a signalManualCaliOffsetXY carried, as sent: two doubles.
QList<QVariant> offsets(double x, double y)
{
    return {QVariant(x), QVariant(y)};
}

constexpr uint32_t kBiasDiffOn = 0x1010;
constexpr uint32_t kRoiCtrl = 0x4;
constexpr uint32_t kTriggerIn = 0x7004;
constexpr uint32_t kErcEnable = 0x6028;
constexpr uint32_t kErcTargetRate = 0x600C;

} // namespace

class CameraPanelTest : public QObject
{
    Q_OBJECT

    TestHome* m_home = nullptr;
    QTemporaryDir* m_dir = nullptr;
    AppConfig* m_config = nullptr;

    QString currentConfig() const { return m_config->dvsCameraCurrentConfigPath(); }
    QString fusionConfig() const { return m_config->fusionCameraCurrentConfigPath(); }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        qRegisterMetaType<VxMessageType>("VxMessageType");
        m_dir = new QTemporaryDir;
        m_config = AppConfig::instance();
        // Bring-up waits for the sensor; scaled down, it takes milliseconds.
        tarvo::sim::SimBus::instance().setWaitScale(0.0001);
        tarvo::sim::SimBus::instance().replace({});
    }
    void cleanupTestCase()
    {
        delete m_dir;
        delete m_home;
    }
    void init()
    {
        TestSupport::failOnAnyWarning();
        // Every test starts from the shipped settings.
        const std::pair<QString, QString> kept[] = {
            {m_config->dvsDefaultConfigPath(), currentConfig()},
            {m_config->fusionDefaultConfigPath(), fusionConfig()},
        };
        for (const auto& [shipped, current] : kept) {
            QFile::remove(current);
            QVERIFY(QFile::copy(shipped, current));
            QFile::setPermissions(current, QFile::ReadOwner | QFile::WriteOwner);
        }
    }

    void withoutACameraThePanelsShowOnlyAHint()
    {
        SidebarDvsSettingUI dvs(m_config);
        SidebarApsSettingUI aps(m_config);
        for (CameraToolPanel* panel :
             {static_cast<CameraToolPanel*>(&dvs), static_cast<CameraToolPanel*>(&aps)}) {
            panel->resize(480, 600);
            panel->show();
            QVERIFY(QTest::qWaitForWindowExposed(panel));
            QVERIFY(!panel->hasCamera());
            QVERIFY(panel->findChild<QLabel*>("lb_panel_hint")->isVisible());
            QVERIFY(!panel->hintText().isEmpty());
            for (const char* button :
                 {"default_button", "refresh_button", "import_button", "export_button"}) {
                QVERIFY(!panel->findChild<QPushButton*>(button)->isVisible());
            }
        }
        QVERIFY(TestSupport::saveRender(&dvs, "SidebarDvsSettingUI_no_camera"));

        // An event camera has no frame sensor: the frame sensor panel keeps its hint.
        OpenedCamera usb(usbCamera("PANEL-HINT"));
        QSignalSpy dvsShown(&dvs, &CameraToolPanel::signalCameraShown);
        QSignalSpy apsShown(&aps, &CameraToolPanel::signalCameraShown);
        dvs.setCamera(usb.camera);
        aps.setCamera(usb.camera);
        QCOMPARE(dvsShown.last().at(0).toBool(), true);
        QCOMPARE(apsShown.last().at(0).toBool(), false);
        QVERIFY(!aps.hasCamera());
        QVERIFY(aps.findChild<QLabel*>("lb_panel_hint")->isVisible());
        QVERIFY(TestSupport::saveRender(&aps, "SidebarApsSettingUI_event_camera"));
        QVERIFY(dvs.findChild<QPushButton*>("import_button")->isVisible());
        QVERIFY(!dvs.findChild<QLabel*>("lb_panel_hint")->isVisible());

        dvs.clearCamera();
        QCOMPARE(dvsShown.last().at(0).toBool(), false);
        QVERIFY(dvs.boxes().isEmpty());
        QVERIFY(!dvs.findChild<QPushButton*>("default_button")->isVisible());
        QVERIFY(dvs.findChildren<ToolSettingBox*>().isEmpty());
    }

    void everyParameterOfEveryToolHasItsRow()
    {
        OpenedCamera usb(usbCamera("PANEL-ROWS"));
        SidebarDvsSettingUI panel(m_config);
        panel.setCamera(usb.camera);
        QStringList titles;
        for (ToolSettingBox* box : panel.boxes()) {
            titles << box->title();
            QVERIFY(box->isFolded());
        }
        QCOMPARE(titles, QStringList({"Biases", "Trigger In", "Sync", "Anti Flicker", "Event Rate Control",
                                      "Event Trail Filter", "ROI"}));

        for (const tarvo::ToolInfo& info : usb.camera->getAllToolsInfo()) {
            ToolSettingBox* box = panel.box(info.type);
            QVERIFY2(box, info.name.c_str());
            const auto tool = usb.camera->getTool(info.type);
            const auto params = tool->getAllParamInfo();
            QCOMPARE(box->rowCount(), int(params.size()));
            for (const auto& [name, basic] : params) {
                const std::string where = info.name + "." + name;
                SettingRowBase* row = box->row(name);
                QVERIFY2(row, where.c_str());
                QCOMPARE(row->labelText(), CameraParameterTexts::displayName(name));
                QVERIFY2(!row->toolTip().isEmpty(), where.c_str());
                if (basic.type == tarvo::PARAMETER_INT) {
                    tarvo::IntParameterInfo range;
                    QVERIFY(tool->getParamInfo(name, range));
                    auto* numeric = qobject_cast<SettingBaseWithLineEdit*>(row);
                    QVERIFY2(numeric && numeric->kind() == SettingBaseWithLineEdit::Kind::Integer,
                             where.c_str());
                    QCOMPARE(numeric->minimum(), double(range.min));
                    QCOMPARE(numeric->maximum(), double(range.max));
                    QCOMPARE(numeric->unit(), QString::fromStdString(range.unit));
                    QCOMPARE(numeric->value(), double(usb.param<int>(info.type, name)));
                } else if (basic.type == tarvo::PARAMETER_FLOAT) {
                    tarvo::FloatParameterInfo range;
                    QVERIFY(tool->getParamInfo(name, range));
                    auto* numeric = qobject_cast<SettingBaseWithLineEdit*>(row);
                    QVERIFY2(numeric && numeric->kind() == SettingBaseWithLineEdit::Kind::Float,
                             where.c_str());
                    QCOMPARE(numeric->minimum(), double(range.min));
                    QCOMPARE(numeric->maximum(), double(range.max));
                    QCOMPARE(numeric->unit(), QString::fromStdString(range.unit));
                } else if (basic.type == tarvo::PARAMETER_BOOL) {
                    auto* toggle = qobject_cast<SettingBaseWithSwitchButton*>(row);
                    QVERIFY2(toggle, where.c_str());
                    QCOMPARE(toggle->isOn(), usb.param<bool>(info.type, name));
                } else {
                    QCOMPARE(basic.type, int(tarvo::PARAMETER_ENUM));
                    tarvo::EnumParameterInfo options;
                    QVERIFY(tool->getParamInfo(name, options));
                    auto* choice = qobject_cast<SettingBaseWithComboBox*>(row);
                    QVERIFY2(choice, where.c_str());
                    QCOMPARE(choice->comboBox()->count(), int(options.options.size()));
                    QCOMPARE(choice->currentOption(), usb.param<std::string>(info.type, name));
                }
            }
        }
        // A few as a user reads them.
        auto* biasFo = rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_BIASES, "bias_fo");
        QCOMPARE(biasFo->labelText(), QString("Bias Fo"));
        QCOMPARE(biasFo->unit(), QString("DAC code"));
        QVERIFY(biasFo->toolTip().contains("0 to 255 DAC code"));
        auto* dutyCycle = rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ANTI_FLICKER, "duty_cycle");
        QCOMPARE(dutyCycle->field()->lineEdit()->text(), QString("50.0"));
        QCOMPARE(
            rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_EVENT_RATE_CONTROL, "max_event_rate")->unit(),
            QString("Mev/s"));
        auto* roiMode = rowOf<SettingBaseWithComboBox>(panel, tarvo::TOOL_ROI, "mode");
        QCOMPARE(roiMode->comboBox()->itemText(1), QString("RONI"));

        panel.resize(480, 1900);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        for (ToolSettingBox* box : panel.boxes()) {
            box->setFolded(false);
        }
        QVERIFY(TestSupport::saveRender(&panel, "SidebarDvsSettingUI_all_tools"));

        // An Ethernet camera adds its network setting, as text rows.
        OpenedCamera eth(ethernetCamera("PANEL-ETH"));
        panel.setCamera(eth.camera);
        panel.boxes().last()->setFolded(false);
        panel.resize(480, 560);
        QVERIFY(TestSupport::saveRender(&panel, "SidebarDvsSettingUI_ethernet_camera"));
        QCOMPARE(panel.boxes().last()->title(), QString("Network"));
        auto* address = rowOf<SettingBaseWithTextEdit>(panel, tarvo::TOOL_ETH_CONFIG, "ip_address");
        QVERIFY(address);
        QCOMPARE(address->field()->text(), QString("192.168.7.20"));
        QCOMPARE(address->labelText(), QString("Ip Address"));
    }

    void labelsUnitsAndTitlesAreShownInTheUsersLanguage()
    {
        QTranslator chinese;
        QVERIFY(chinese.load(":/app_zh.qm"));
        QCoreApplication::installTranslator(&chinese);
        OpenedCamera usb(usbCamera("PANEL-ZH"));
        SidebarDvsSettingUI panel(m_config);
        panel.setCamera(usb.camera);
        QCOMPARE(panel.box(tarvo::TOOL_BIASES)->title(), QString("偏置"));
        auto* threshold = rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_EVENT_TRAIL_FILTER, "threshold");
        QCOMPARE(threshold->labelText(), QString("阈值"));
        QCOMPARE(threshold->unit(), QString("微秒"));
        QCOMPARE(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ANTI_FLICKER, "high_frequency")->unit(),
                 QString("Hz"));
        panel.box(tarvo::TOOL_EVENT_TRAIL_FILTER)->setFolded(false);
        panel.box(tarvo::TOOL_BIASES)->setFolded(false);
        panel.resize(480, 720);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(TestSupport::saveRender(&panel, "SidebarDvsSettingUI_chinese"));
        QCoreApplication::removeTranslator(&chinese);
    }

    void changedRowsReachTheCameraAndTheConfigurationFile()
    {
        OpenedCamera usb(usbCamera("PANEL-SET"));
        ShownPanel shown(m_config, usb.camera);
        QVERIFY(shown.exposed);
        SidebarDvsSettingUI& panel = shown.panel;
        QSignalSpy& notices = shown.notices;

        // An integer typed and ended with Return.
        auto* diffOn = rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_BIASES, "bias_diff_on");
        panel.box(tarvo::TOOL_BIASES)->setFolded(false);
        typeInto(diffOn, "120");
        QCOMPARE(usb.param<int>(tarvo::TOOL_BIASES, "bias_diff_on"), 120);
        QCOMPARE(usb.reg(kBiasDiffOn) & 0xFF, 120u);
        COMPARE_JSON(readJson(currentConfig())["Biases"]["bias_diff_on"], json(120));
        // The step buttons, and the slider where it is let go.
        diffOn->addButton()->click();
        QCOMPARE(usb.reg(kBiasDiffOn) & 0xFF, 121u);
        diffOn->subButton()->click();
        diffOn->subButton()->click();
        QCOMPARE(usb.param<int>(tarvo::TOOL_BIASES, "bias_diff_on"), 119);
        diffOn->field()->slider()->setValue(200);
        QCOMPARE(usb.reg(kBiasDiffOn) & 0xFF, 200u);
        QCOMPARE(diffOn->field()->lineEdit()->text(), QString("200"));
        COMPARE_JSON(readJson(currentConfig())["Biases"]["bias_diff_on"], json(200));

        // A switch.
        auto* trigger = rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_TRIGGER_IN, "enable");
        panel.box(tarvo::TOOL_TRIGGER_IN)->setFolded(false);
        QTest::mouseClick(trigger->switchButton(), Qt::LeftButton);
        QCOMPARE(usb.reg(kTriggerIn) & 1, 1u);
        COMPARE_JSON(readJson(currentConfig())["TriggerIn"]["enable"], json(true));

        // A choice, which takes effect while the window is on.
        panel.box(tarvo::TOOL_ROI)->setFolded(false);
        QTest::mouseClick(
            rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_ROI, "enable")->switchButton(),
            Qt::LeftButton);
        auto* mode = rowOf<SettingBaseWithComboBox>(panel, tarvo::TOOL_ROI, "mode");
        const uint32_t keepInside = 1u << 6;
        QCOMPARE(usb.reg(kRoiCtrl) & keepInside, keepInside);
        mode->comboBox()->setCurrentText("RONI");
        QCOMPARE(usb.param<std::string>(tarvo::TOOL_ROI, "mode"), std::string("RONI"));
        QCOMPARE(usb.reg(kRoiCtrl) & keepInside, 0u);
        COMPARE_JSON(readJson(currentConfig())["ROI"]["mode"], json("RONI"));

        // A float keeps its decimal point in the file, where the camera reads it as a float again.
        auto* duty = rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ANTI_FLICKER, "duty_cycle");
        panel.box(tarvo::TOOL_ANTI_FLICKER)->setFolded(false);
        typeInto(duty, "25.5");
        QCOMPARE(usb.param<float>(tarvo::TOOL_ANTI_FLICKER, "duty_cycle"), 25.5f);
        duty->addButton()->click();
        QCOMPARE(usb.param<float>(tarvo::TOOL_ANTI_FLICKER, "duty_cycle"), 26.5f);
        typeInto(duty, "40");
        QVERIFY(readJson(currentConfig())["AntiFlicker"]["duty_cycle"].is_number_float());
        QVERIFY(TestSupport::readFile(currentConfig()).contains("\"duty_cycle\": 40.0"));
        QVERIFY(notices.isEmpty());

        // The file holds what the camera has, and gives it to the camera as a whole.
        COMPARE_JSON(readJson(currentConfig()), usb.state());
        QVERIFY(usb.camera->loadCameraConfigParams(currentConfig().toStdString()));
    }

    void anUnusableTypedValueShowsTheErrorColourAndSendsNothing()
    {
        OpenedCamera usb(usbCamera("PANEL-TYPE"));
        ShownPanel shown(m_config, usb.camera, {tarvo::TOOL_BIASES});
        QVERIFY(shown.exposed);
        SidebarDvsSettingUI& panel = shown.panel;
        const QByteArray fileBefore = TestSupport::readFile(currentConfig());
        const uint32_t registerBefore = usb.reg(kBiasDiffOn);

        auto* diffOn = rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_BIASES, "bias_diff_on");
        VxLineEditBase* edit = diffOn->field()->lineEdit();
        typeInto(diffOn, "30", false);
        QCOMPARE(edit->inputState(), VxInputState::Valid);
        QTest::keyClicks(edit, "0"); // 300: outside 0..255
        QCOMPARE(edit->inputState(), VxInputState::Invalid);
        QTest::keyClick(edit, Qt::Key_Return);
        diffOn->field()->lineEdit()->clearFocus();
        QCOMPARE(edit->inputState(), VxInputState::Invalid);
        QCOMPARE(usb.reg(kBiasDiffOn), registerBefore);
        QCOMPARE(usb.param<int>(tarvo::TOOL_BIASES, "bias_diff_on"), 115);
        QCOMPARE(TestSupport::readFile(currentConfig()), fileBefore);
        QVERIFY(TestSupport::saveRender(&panel, "SidebarDvsSettingUI_value_out_of_range"));

        // A usable value clears the error frame once sent.
        typeInto(diffOn, "116");
        QCOMPARE(edit->inputState(), VxInputState::Neutral);
        QCOMPARE(usb.param<int>(tarvo::TOOL_BIASES, "bias_diff_on"), 116);
    }

    void aValueTheCameraRefusesIsShownBackWithTheReason()
    {
        OpenedCamera usb(usbCamera("PANEL-REFUSE"));
        ShownPanel shown(m_config, usb.camera, {tarvo::TOOL_ANTI_FLICKER});
        QVERIFY(shown.exposed);
        SidebarDvsSettingUI& panel = shown.panel;
        QSignalSpy& notices = shown.notices;
        const QByteArray fileBefore = TestSupport::readFile(currentConfig());

        // In range, but the band's low end must stay below its high end (130 Hz).
        auto* low = rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ANTI_FLICKER, "low_frequency");
        typeInto(low, "200");
        QCOMPARE(usb.param<int>(tarvo::TOOL_ANTI_FLICKER, "low_frequency"), 50);
        QCOMPARE(low->field()->lineEdit()->text(), QString("50"));
        VxMessageType type = VxMessageType::Success;
        const QString notice = lastNotice(notices, &type);
        QCOMPARE(type, VxMessageType::Warning);
        QVERIFY2(notice.contains("Low Frequency = 200") && notice.contains("high_frequency"),
                 qPrintable(notice));
        QCOMPARE(TestSupport::readFile(currentConfig()), fileBefore);
    }

    void networkTextsReachTheCameraButStayOutOfTheFile()
    {
        OpenedCamera eth(ethernetCamera("PANEL-NET"));
        ShownPanel shown(m_config, eth.camera, {tarvo::TOOL_ETH_CONFIG});
        QVERIFY(shown.exposed);
        SidebarDvsSettingUI& panel = shown.panel;
        QSignalSpy& notices = shown.notices;
        const QByteArray fileBefore = TestSupport::readFile(currentConfig());
        VxLineEditBase* gateway =
            rowOf<SettingBaseWithTextEdit>(panel, tarvo::TOOL_ETH_CONFIG, "gateway")->field();

        TestSupport::retype(gateway, "192.168.7.254");
        QTest::keyClick(gateway, Qt::Key_Return);
        QCOMPARE(eth.param<std::string>(tarvo::TOOL_ETH_CONFIG, "gateway"), std::string("192.168.7.254"));
        QVERIFY(notices.isEmpty());

        // Outside the camera's subnet: refused, and the row shows the camera's gateway again.
        TestSupport::retype(gateway, "10.0.0.1");
        QTest::keyClick(gateway, Qt::Key_Return);
        QCOMPARE(eth.param<std::string>(tarvo::TOOL_ETH_CONFIG, "gateway"), std::string("192.168.7.254"));
        QCOMPARE(gateway->text(), QString("192.168.7.254"));
        QVERIFY(lastNotice(notices).startsWith("The camera did not take Gateway = 10.0.0.1."));
        QCOMPARE(TestSupport::readFile(currentConfig()), fileBefore);
    }

    void anUnpluggedCameraRefusesWithANotice()
    {
        OpenedCamera usb(usbCamera("PANEL-GONE"));
        ShownPanel shown(m_config, usb.camera, {tarvo::TOOL_BIASES});
        QVERIFY(shown.exposed);
        SidebarDvsSettingUI& panel = shown.panel;
        QSignalSpy& notices = shown.notices;
        const QByteArray fileBefore = TestSupport::readFile(currentConfig());
        QVERIFY(tarvo::sim::SimBus::instance().detach(usb.serial));

        typeInto(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_BIASES, "bias_fo"), "60");
        VxMessageType type = VxMessageType::Success;
        QVERIFY(lastNotice(notices, &type).startsWith("The camera did not take Bias Fo = 60."));
        QCOMPARE(type, VxMessageType::Warning);
        QVERIFY(!panel.loadConfig(m_config->dvsDefaultConfigPath()));
        QCOMPARE(lastNotice(notices, &type),
                 QString("Failed to load camera parameters. The camera is not connected."));
        QCOMPARE(type, VxMessageType::Error);
        QCOMPARE(TestSupport::readFile(currentConfig()), fileBefore);
    }

    void roiAndRateControlChangeWhatTheCameraStreams()
    {
        OpenedCamera usb(usbCamera("PANEL-STREAM", 4e6));
        ShownPanel shown(m_config, usb.camera, {tarvo::TOOL_ROI, tarvo::TOOL_EVENT_RATE_CONTROL});
        QVERIFY(shown.exposed);
        SidebarDvsSettingUI& panel = shown.panel;

        typeInto(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ROI, "x_width"), "200");
        typeInto(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ROI, "y_height"), "100");
        typeInto(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ROI, "x"), "300");
        typeInto(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ROI, "y"), "200");
        QTest::mouseClick(
            rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_ROI, "enable")->switchButton(),
            Qt::LeftButton);
        typeInto(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_EVENT_RATE_CONTROL, "max_event_rate"),
                 "1");
        QTest::mouseClick(rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_EVENT_RATE_CONTROL, "enable")
                              ->switchButton(),
                          Qt::LeftButton);
        QCOMPARE(usb.reg(kErcEnable) & 1, 1u);
        QCOMPARE(usb.reg(kErcTargetRate) & 0x3FFFFF, 200u); // 1 Mev/s: 200 events a 200 µs period
        QCOMPARE(usb.reg(kRoiCtrl) & 0x2, 0x2u);

        // Windows of 100 ms of event time; the first ones may hold what was on its way.
        constexpr uint64_t kWindowUs = 100000;
        usb.camera->setBatchEventsTime(kWindowUs);
        QCOMPARE(usb.camera->start(), 0);
        std::vector<tarvo::Event2D> batch;
        std::vector<size_t> counts;
        size_t outside = 0;
        size_t seen = 0;
        for (int i = 0; i < 8 && usb.camera->getNextBatch(batch); ++i) {
            if (i < 2) {
                continue;
            }
            counts.push_back(batch.size());
            for (const tarvo::Event2D& e : batch) {
                outside += e.x < 300 || e.x >= 500 || e.y < 200 || e.y >= 300 ? 1 : 0;
            }
            seen += batch.size();
        }
        usb.camera->stop();
        QVERIFY(counts.size() >= 4);
        QVERIFY(seen > 0);
        QCOMPARE(outside, size_t(0));
        for (size_t count : counts) {
            // At most 1 Mev/s: 100,000 events a window, with some room for the even dropping.
            QVERIFY2(count <= 110000, qPrintable(QString::number(count)));
        }
    }

    void refreshShowsWhatTheCameraHas()
    {
        OpenedCamera usb(usbCamera("PANEL-REFRESH"));
        SidebarDvsSettingUI panel(m_config);
        panel.setCamera(usb.camera);
        // Changed behind the panel's back; several tools have a parameter named "enable".
        QVERIFY(usb.camera->getTool(tarvo::TOOL_TRIGGER_IN)->setParam("enable", true));
        QVERIFY(usb.camera->getTool(tarvo::TOOL_BIASES)->setParam("bias_fo", 30));
        QVERIFY(usb.camera->getTool(tarvo::TOOL_EVENT_TRAIL_FILTER)->setParam("type", "STC_CUT_TRAIL"));
        QVERIFY(usb.camera->getTool(tarvo::TOOL_ANTI_FLICKER)->setParam("duty_cycle", 12.5f));
        auto* trigger = rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_TRIGGER_IN, "enable");
        QVERIFY(!trigger->isOn());

        QTest::mouseClick(panel.findChild<QPushButton*>("refresh_button"), Qt::LeftButton);
        QVERIFY(trigger->isOn());
        QVERIFY(!rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_ROI, "enable")->isOn());
        QVERIFY(!rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_ANTI_FLICKER, "enable")->isOn());
        QCOMPARE(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_BIASES, "bias_fo")->value(), 30.0);
        QCOMPARE(
            rowOf<SettingBaseWithComboBox>(panel, tarvo::TOOL_EVENT_TRAIL_FILTER, "type")->currentOption(),
            std::string("STC_CUT_TRAIL"));
        QCOMPARE(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_ANTI_FLICKER, "duty_cycle")
                     ->field()
                     ->lineEdit()
                     ->text(),
                 QString("12.5"));
    }

    void exportThenLoadGivesTheCameraTheSameSettings()
    {
        OpenedCamera usb(usbCamera("PANEL-ROUND"));
        SidebarDvsSettingUI panel(m_config);
        panel.setCamera(usb.camera);
        QSignalSpy notices(&panel, &CameraToolPanel::signalShowLeftBottomTips);
        auto tool = [&](tarvo::ToolType type) { return usb.camera->getTool(type); };
        QVERIFY(tool(tarvo::TOOL_BIASES)->setParam("bias_hpf", 40));
        QVERIFY(tool(tarvo::TOOL_ANTI_FLICKER)->setParam("duty_cycle", 33.5f));
        QVERIFY(tool(tarvo::TOOL_ROI)->setParam("mode", "RONI"));
        QVERIFY(tool(tarvo::TOOL_EVENT_RATE_CONTROL)->setParam("enable", true));
        const QString path = m_dir->filePath("round_trip.json");
        QVERIFY(panel.exportConfig(path));
        VxMessageType type = VxMessageType::Error;
        QCOMPARE(lastNotice(notices, &type), QString("Camera parameters exported successfully."));
        QCOMPARE(type, VxMessageType::Success);
        const json exported = usb.state();
        COMPARE_JSON(readJson(path), exported);

        // Changed again, then loaded: the camera, the rows and the current file are as exported.
        QTest::mouseClick(panel.findChild<QPushButton*>("default_button"), Qt::LeftButton);
        QCOMPARE(lastNotice(notices, &type), QString("Camera parameters loaded successfully."));
        QCOMPARE(usb.param<int>(tarvo::TOOL_BIASES, "bias_hpf"), 0);
        QVERIFY(panel.loadConfig(path));
        QCOMPARE(lastNotice(notices, &type), QString("Camera parameters loaded successfully."));
        QCOMPARE(type, VxMessageType::Success);
        COMPARE_JSON(usb.state(), exported);
        QCOMPARE(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_BIASES, "bias_hpf")->value(), 40.0);
        QCOMPARE(rowOf<SettingBaseWithComboBox>(panel, tarvo::TOOL_ROI, "mode")->currentOption(),
                 std::string("RONI"));
        COMPARE_JSON(readJson(currentConfig()), exported);
        // What was loaded is what the camera gets the next time it is shown.
        QVERIFY(tool(tarvo::TOOL_BIASES)->setParam("bias_hpf", 7));
        panel.setCamera(usb.camera);
        QCOMPARE(usb.param<int>(tarvo::TOOL_BIASES, "bias_hpf"), 40);
    }

    void aBadFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("not JSON") << QByteArray("{\"Biases\": {\"bias_fo\": 60,") << "not valid JSON";
        QTest::newRow("an array") << QByteArray("[1, 2]") << "does not hold a JSON object";
        QTest::newRow("a tool that is no object")
            << QByteArray("{\"Biases\": 5}") << "Biases is not a JSON object";
        QTest::newRow("a text for an integer")
            << QByteArray("{\"Biases\": {\"bias_fo\": 60, \"bias_hpf\": \"high\"}}") << "Biases.bias_hpf";
        QTest::newRow("a decimal number for an integer")
            << QByteArray("{\"Biases\": {\"bias_fo\": 92.0}}") << "Biases.bias_fo";
        QTest::newRow("a whole number for a float")
            << QByteArray("{\"AntiFlicker\": {\"duty_cycle\": 50, \"enable\": true}}")
            << "AntiFlicker.duty_cycle";
        QTest::newRow("a number for a switch")
            << QByteArray("{\"Biases\": {\"bias_fo\": 60}, \"TriggerIn\": {\"enable\": 1}}")
            << "TriggerIn.enable";
        QTest::newRow("null") << QByteArray("{\"ROI\": {\"enable\": true, \"x\": null}}") << "ROI.x";
        QTest::newRow("out of range") << QByteArray("{\"Biases\": {\"bias_fo\": 60, \"bias_refr\": 300}}")
                                      << "Biases.bias_refr must be a whole number from 0 to 255, not 300";
        QTest::newRow("an unknown option")
            << QByteArray("{\"Biases\": {\"bias_fo\": 60}, \"ROI\": {\"mode\": \"roi\"}}") << "ROI.mode";
        QTest::newRow("an unknown parameter")
            << QByteArray("{\"Biases\": {\"bias_fo\": 60, \"bias_xyz\": 3}}") << "Biases.bias_xyz";
        // Values the camera can only judge together: its old settings come back.
        QTest::newRow("a band upside down")
            << QByteArray("{\"AntiFlicker\": {\"high_frequency\": 100, \"low_frequency\": 120}, "
                          "\"Biases\": {\"bias_fo\": 60}}")
            << "refused some of its values together";
    }

    void aBadFileChangesNothing()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, named);
        OpenedCamera usb(usbCamera("PANEL-BAD"));
        SidebarDvsSettingUI panel(m_config);
        panel.setCamera(usb.camera);
        QSignalSpy notices(&panel, &CameraToolPanel::signalShowLeftBottomTips);
        const QString path = m_dir->filePath("bad.json");
        QVERIFY(TestSupport::writeFile(path, text));
        const json before = usb.state();
        const QByteArray fileBefore = TestSupport::readFile(currentConfig());

        QVERIFY(!panel.loadConfig(path));
        VxMessageType type = VxMessageType::Success;
        const QString notice = lastNotice(notices, &type);
        QCOMPARE(type, VxMessageType::Error);
        QVERIFY2(notice.startsWith("Failed to load camera parameters.") && notice.contains(named),
                 qPrintable(notice));
        COMPARE_JSON(usb.state(), before);
        QCOMPARE(TestSupport::readFile(currentConfig()), fileBefore);
    }

    void aFileThatIsNoRegularFileIsRefusedWithoutWaiting()
    {
        OpenedCamera usb(usbCamera("PANEL-FIFO"));
        SidebarDvsSettingUI panel(m_config);
        panel.setCamera(usb.camera);
        QSignalSpy notices(&panel, &CameraToolPanel::signalShowLeftBottomTips);
        const QString fifo = m_dir->filePath("pipe.json");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        QVERIFY(!panel.loadConfig(fifo));
        QVERIFY(lastNotice(notices).contains("is not a file"));
        QVERIFY(!panel.exportConfig(fifo));
        QCOMPARE(lastNotice(notices), QString("Failed to export camera parameters."));
        QVERIFY(!panel.loadConfig(m_dir->filePath("missing.json")));
    }

    void defaultGivesTheShippedSettings()
    {
        OpenedCamera usb(usbCamera("PANEL-DEFAULT"));
        SidebarDvsSettingUI panel(m_config);
        panel.setCamera(usb.camera);
        QSignalSpy notices(&panel, &CameraToolPanel::signalShowLeftBottomTips);
        QVERIFY(usb.camera->getTool(tarvo::TOOL_BIASES)->setParam("bias_fo", 20));
        QVERIFY(usb.camera->getTool(tarvo::TOOL_ROI)->setParam("enable", true));
        QTest::mouseClick(panel.findChild<QPushButton*>("default_button"), Qt::LeftButton);
        QCOMPARE(lastNotice(notices), QString("Camera parameters loaded successfully."));
        COMPARE_JSON(usb.state(), readJson(m_config->dvsDefaultConfigPath()));
        QCOMPARE(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_BIASES, "bias_fo")->value(), 92.0);
        QVERIFY(!rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_ROI, "enable")->isOn());
    }

    void aShownCameraGetsTheKeptSettings()
    {
        json kept = readJson(currentConfig());
        kept["Biases"]["bias_fo"] = 100;
        kept["EventRateControl"]["enable"] = true;
        QVERIFY(TestSupport::writeFile(currentConfig(), QByteArray::fromStdString(kept.dump(4))));
        SidebarDvsSettingUI panel(m_config);
        QSignalSpy notices(&panel, &CameraToolPanel::signalShowLeftBottomTips);
        {
            OpenedCamera usb(usbCamera("PANEL-KEPT"));
            panel.setCamera(usb.camera);
            QCOMPARE(usb.param<int>(tarvo::TOOL_BIASES, "bias_fo"), 100);
            QCOMPARE(rowOf<SettingBaseWithLineEdit>(panel, tarvo::TOOL_BIASES, "bias_fo")->value(), 100.0);
            QVERIFY(
                rowOf<SettingBaseWithSwitchButton>(panel, tarvo::TOOL_EVENT_RATE_CONTROL, "enable")->isOn());
        }
        {
            // Ethernet cameras keep their own settings.
            OpenedCamera eth(ethernetCamera("PANEL-KEPT-ETH"));
            panel.setCamera(eth.camera);
            QCOMPARE(eth.param<int>(tarvo::TOOL_BIASES, "bias_fo"), 92);
        }
        QVERIFY(notices.isEmpty());
        {
            // A kept file that cannot be applied as a whole is not applied in part.
            kept["ROI"]["x"] = "left";
            QVERIFY(TestSupport::writeFile(currentConfig(), QByteArray::fromStdString(kept.dump(4))));
            OpenedCamera usb(usbCamera("PANEL-KEPT-BAD"));
            panel.setCamera(usb.camera);
            QCOMPARE(usb.param<int>(tarvo::TOOL_BIASES, "bias_fo"), 92);
            VxMessageType type = VxMessageType::Success;
            QVERIFY(lastNotice(notices, &type).contains("ROI.x"));
            QCOMPARE(type, VxMessageType::Warning);
            QCOMPARE(notices.last().at(2).toString(), currentConfig());
        }
    }

    void aFusionCameraShowsItsToolsInBothPanels()
    {
        OpenedFusionCamera duet;
        QVERIFY(duet.camera);
        SidebarDvsSettingUI dvs(m_config);
        SidebarApsSettingUI aps(m_config);
        dvs.setCamera(duet.camera);
        aps.setCamera(duet.camera);

        // The fusion camera's trigger input times its frames and is not offered, and it has no sync
        // tool: those boxes are left out.
        QStringList titles;
        for (ToolSettingBox* box : dvs.boxes()) {
            titles << box->title();
        }
        QCOMPARE(titles,
                 QStringList({"Biases", "Anti Flicker", "Event Rate Control", "Event Trail Filter", "ROI"}));
        QCOMPARE(dvs.configFiles().current, fusionConfig());
        QCOMPARE(dvs.configFiles().defaults, m_config->fusionDefaultConfigPath());
        QCOMPARE(aps.configFiles().current, fusionConfig());

        QCOMPARE(aps.boxes().size(), 1);
        ToolSettingBox* box = aps.box(tarvo::TOOL_APS_CTRL);
        QVERIFY(box);
        QCOMPARE(box->title(), QString("APS"));
        const auto params = duet.camera->getTool(tarvo::TOOL_APS_CTRL)->getAllParamInfo();
        QCOMPARE(box->rowCount(), int(params.size()));
        for (const auto& [name, basic] : params) {
            QVERIFY2(box->row(name), name.c_str());
        }
        auto* exposure = rowOf<SettingBaseWithLineEdit>(aps, tarvo::TOOL_APS_CTRL, "exposure_time");
        QVERIFY(exposure);
        QCOMPARE(exposure->value(), double(duet.param<int>(tarvo::TOOL_APS_CTRL, "exposure_time")));
        QCOMPARE(exposure->unit(), QString("us"));
        QCOMPARE(exposure->minimum(), 10.0);
        QCOMPARE(exposure->step(), 10.0);
        QCOMPARE(rowOf<SettingBaseWithSwitchButton>(aps, tarvo::TOOL_APS_CTRL, "auto_exposure")->isOn(),
                 duet.param<bool>(tarvo::TOOL_APS_CTRL, "auto_exposure"));
        QVERIFY(aps.calibrationBox()->isVisibleTo(&aps));

        box->setFolded(false);
        aps.calibrationBox()->setFolded(false);
        aps.resize(480, 640);
        aps.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aps));
        QVERIFY(TestSupport::saveRender(&aps, "SidebarApsSettingUI_fusion_camera"));
    }

    void frameSensorChangesReachTheCameraAndTheFusionConfiguration()
    {
        OpenedFusionCamera duet;
        SidebarApsSettingUI aps(m_config);
        SidebarDvsSettingUI dvs(m_config);
        aps.setCamera(duet.camera);
        dvs.setCamera(duet.camera);
        QSignalSpy notices(&aps, &CameraToolPanel::signalShowLeftBottomTips);
        aps.box(tarvo::TOOL_APS_CTRL)->setFolded(false);
        aps.resize(480, 640);
        aps.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aps));
        const QByteArray eventFileBefore = TestSupport::readFile(currentConfig());

        // Only exposure times on a step of 10 µs from the minimum are sent.
        auto* exposure = rowOf<SettingBaseWithLineEdit>(aps, tarvo::TOOL_APS_CTRL, "exposure_time");
        typeInto(exposure, "2005");
        QCOMPARE(exposure->field()->lineEdit()->inputState(), VxInputState::Invalid);
        QCOMPARE(duet.param<int>(tarvo::TOOL_APS_CTRL, "exposure_time"), 1020);
        typeInto(exposure, "2000");
        QCOMPARE(duet.param<int>(tarvo::TOOL_APS_CTRL, "exposure_time"), 2000);
        exposure->addButton()->click();
        QCOMPARE(duet.param<int>(tarvo::TOOL_APS_CTRL, "exposure_time"), 2010);
        COMPARE_JSON(readJson(fusionConfig())["ApsCtrl"]["exposure_time"], json(2010));

        QTest::mouseClick(
            rowOf<SettingBaseWithSwitchButton>(aps, tarvo::TOOL_APS_CTRL, "auto_gain")->switchButton(),
            Qt::LeftButton);
        QCOMPARE(duet.param<bool>(tarvo::TOOL_APS_CTRL, "auto_gain"), false);
        typeInto(rowOf<SettingBaseWithLineEdit>(aps, tarvo::TOOL_APS_CTRL, "gain"), "30");
        QCOMPARE(duet.param<int>(tarvo::TOOL_APS_CTRL, "gain"), 30);
        COMPARE_JSON(readJson(fusionConfig())["ApsCtrl"]["auto_gain"], json(false));

        // The event sensor's values of a fusion camera go into the same file.
        typeInto(rowOf<SettingBaseWithLineEdit>(dvs, tarvo::TOOL_BIASES, "bias_fo"), "80");
        QCOMPARE(duet.param<int>(tarvo::TOOL_BIASES, "bias_fo"), 80);
        QVERIFY(notices.isEmpty());
        COMPARE_JSON(readJson(fusionConfig()), duet.state());
        QCOMPARE(TestSupport::readFile(currentConfig()), eventFileBefore);
    }

    void defaultRefreshLoadAndExportWorkOnAFusionCamera()
    {
        OpenedFusionCamera duet;
        SidebarApsSettingUI aps(m_config);
        aps.setCamera(duet.camera);
        QSignalSpy notices(&aps, &CameraToolPanel::signalShowLeftBottomTips);
        const auto tool = duet.camera->getTool(tarvo::TOOL_APS_CTRL);
        auto* gain = rowOf<SettingBaseWithLineEdit>(aps, tarvo::TOOL_APS_CTRL, "gain");
        auto* autoGain = rowOf<SettingBaseWithSwitchButton>(aps, tarvo::TOOL_APS_CTRL, "auto_gain");

        QVERIFY(tool->setParam("auto_gain", false));
        QVERIFY(tool->setParam("gain", 40));
        QTest::mouseClick(aps.findChild<QPushButton*>("refresh_button"), Qt::LeftButton);
        QCOMPARE(gain->value(), 40.0);
        QVERIFY(!autoGain->isOn());

        const QString path = m_dir->filePath("fusion_round_trip.json");
        QVERIFY(aps.exportConfig(path));
        QCOMPARE(lastNotice(notices), QString("Camera parameters exported successfully."));
        const json exported = duet.state();
        COMPARE_JSON(readJson(path), exported);
        COMPARE_JSON(exported["ApsCtrl"]["gain"], json(40));

        QTest::mouseClick(aps.findChild<QPushButton*>("default_button"), Qt::LeftButton);
        QCOMPARE(lastNotice(notices), QString("Camera parameters loaded successfully."));
        const json shipped = readJson(m_config->fusionDefaultConfigPath());
        COMPARE_JSON(duet.state(), shipped);
        COMPARE_JSON(readJson(fusionConfig()), shipped);
        QCOMPARE(gain->value(), 0.0);
        QVERIFY(autoGain->isOn());

        QVERIFY(aps.loadConfig(path));
        QCOMPARE(lastNotice(notices), QString("Camera parameters loaded successfully."));
        COMPARE_JSON(duet.state(), exported);
        COMPARE_JSON(readJson(fusionConfig()), exported);
        QCOMPARE(gain->value(), 40.0);
    }

    void theKeptFusionSettingsReachTheCameraAndBothPanels()
    {
        json kept = readJson(fusionConfig());
        kept["ApsCtrl"]["auto_gain"] = false;
        kept["ApsCtrl"]["gain"] = 60;
        kept["Biases"]["bias_fo"] = 100;
        QVERIFY(TestSupport::writeFile(fusionConfig(), QByteArray::fromStdString(kept.dump(4))));
        // The event-camera file is not the fusion camera's.
        json eventKept = readJson(currentConfig());
        eventKept["Biases"]["bias_fo"] = 30;
        QVERIFY(TestSupport::writeFile(currentConfig(), QByteArray::fromStdString(eventKept.dump(4))));

        OpenedFusionCamera duet;
        SidebarDvsSettingUI dvs(m_config);
        SidebarApsSettingUI aps(m_config);
        connect(&dvs, &CameraToolPanel::signalCameraParamsLoaded, &aps, &CameraToolPanel::slotRefreshConfig);
        // The frame sensor panel may be given the camera first: it shows the kept values once the
        // event sensor panel has applied them.
        aps.setCamera(duet.camera);
        dvs.setCamera(duet.camera);
        QCOMPARE(duet.param<int>(tarvo::TOOL_APS_CTRL, "gain"), 60);
        QCOMPARE(duet.param<int>(tarvo::TOOL_BIASES, "bias_fo"), 100);
        QCOMPARE(rowOf<SettingBaseWithLineEdit>(aps, tarvo::TOOL_APS_CTRL, "gain")->value(), 60.0);
        QVERIFY(!rowOf<SettingBaseWithSwitchButton>(aps, tarvo::TOOL_APS_CTRL, "auto_gain")->isOn());
        QCOMPARE(rowOf<SettingBaseWithLineEdit>(dvs, tarvo::TOOL_BIASES, "bias_fo")->value(), 100.0);
    }

    void theCalibrationBoxSendsTheShiftAndApply()
    {
        OpenedFusionCamera duet;
        SidebarApsSettingUI aps(m_config);
        QSignalSpy shifts(&aps, &SidebarApsSettingUI::signalManualCaliOffsetXY);
        QSignalSpy applied(&aps, &SidebarApsSettingUI::signalApplyCaliOffset);
        aps.setCamera(duet.camera);
        // The camera brings its own calibration, without a shift.
        QCOMPARE(shifts.size(), 1);
        QCOMPARE(shifts.last(), offsets(0, 0));

        SettingItemBox* box = aps.calibrationBox();
        QCOMPARE(box->title(), QString("APS Manual Calibration"));
        QVERIFY(box->isFolded());
        box->setFolded(false);
        auto* x = box->findChild<SettingBaseWithLineEdit*>("row_offset_x");
        auto* y = box->findChild<SettingBaseWithLineEdit*>("row_offset_y");
        auto* apply = box->findChild<QPushButton*>("pb_apply_cali_offset");
        QVERIFY(x && y && apply);
        QCOMPARE(x->labelText(), QString("Offset X"));
        QCOMPARE(x->toolTip(), QString("Set aps offset x."));
        QCOMPARE(y->toolTip(), QString("Set aps offset y."));
        QCOMPARE(x->kind(), SettingBaseWithLineEdit::Kind::Integer);
        QCOMPARE(x->minimum(), -100.0);
        QCOMPARE(y->maximum(), 100.0);
        QCOMPARE(x->field()->lineEdit()->text(), QString("0"));
        QCOMPARE(apply->text(), QString("Apply"));
        QCOMPARE(apply->size(), QSize(60, 20));
        aps.resize(480, 640);
        aps.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aps));

        typeInto(x, "12");
        QCOMPARE(shifts.last(), offsets(12, 0));
        y->subButton()->click();
        QCOMPARE(shifts.last(), offsets(12, -1));
        y->field()->slider()->setValue(-100);
        QCOMPARE(shifts.last(), offsets(12, -100));
        QCOMPARE(aps.offsetY(), -100.0);
        const int sent = shifts.size();
        typeInto(x, "101");
        QCOMPARE(x->field()->lineEdit()->inputState(), VxInputState::Invalid);
        y->subButton()->click(); // already at the end of the range
        QCOMPARE(shifts.size(), sent);
        QVERIFY(TestSupport::saveRender(&aps, "SidebarApsSettingUI_calibration"));

        // Applying folds the shift into the calibration; the rows start from zero again, so the
        // next change does not send the applied shift a second time.
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(applied.size(), 1);
        QCOMPARE(shifts.size(), sent);
        QCOMPARE(x->value(), 0.0);
        QCOMPARE(y->field()->lineEdit()->text(), QString("0"));
        y->addButton()->click();
        QCOMPARE(shifts.last(), offsets(0, 1));
        QCOMPARE(applied.size(), 1);
    }

    void onlyAFusionCameraShowsTheFrameSensorBoxes()
    {
        OpenedFusionCamera duet;
        OpenedCamera usb(usbCamera("PANEL-NO-APS"));
        SidebarApsSettingUI aps(m_config);
        SidebarDvsSettingUI dvs(m_config);
        QSignalSpy shifts(&aps, &SidebarApsSettingUI::signalManualCaliOffsetXY);
        aps.resize(480, 640);
        aps.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aps));
        aps.setCamera(duet.camera);
        QVERIFY(aps.calibrationBox()->isVisible());
        dvs.setCamera(duet.camera);
        QVERIFY(!dvs.box(tarvo::TOOL_APS_CTRL));

        aps.setCamera(usb.camera);
        QVERIFY(!aps.hasCamera());
        QVERIFY(!aps.box(tarvo::TOOL_APS_CTRL));
        QVERIFY(!aps.calibrationBox()->isVisible());
        QVERIFY(aps.findChild<QLabel*>("lb_panel_hint")->isVisible());
        QCOMPARE(shifts.size(), 1);

        aps.setCamera(duet.camera);
        aps.clearCamera();
        QVERIFY(!aps.calibrationBox()->isVisible());
        QVERIFY(aps.findChild<QLabel*>("lb_panel_hint")->isVisible());
    }

    void aMissingOrEmptyToolLeavesItsBoxOut()
    {
        PanelCamera fusion;
        fusion.fusion = true;
        fusion.tools.emplace_back(tarvo::ToolInfo{tarvo::TOOL_APS_CTRL, "ApsCtrl", {}, ""}, nullptr);
        fusion.exportConfig = [](const std::string&) { return true; };
        fusion.loadConfig = [](const std::string&) { return true; };
        fusion.isConnected = [] { return true; };
        SidebarApsSettingUI aps(m_config);
        QSignalSpy shown(&aps, &CameraToolPanel::signalCameraShown);

        QTest::ignoreMessage(QtDebugMsg, "Camera tool is null .");
        aps.setCameraTools(fusion, {fusionConfig(), QString()});
        QVERIFY(!aps.hasCamera());
        QCOMPARE(shown.last().at(0).toBool(), false);

        fusion.tools.front().second = std::make_shared<ToolWithoutParameters>();
        QTest::ignoreMessage(QtDebugMsg, "camera aps infos is null .");
        aps.setCameraTools(fusion, {fusionConfig(), QString()});
        QVERIFY(!aps.hasCamera());
        QVERIFY(!aps.calibrationBox()->isVisibleTo(&aps));
        QCOMPARE(shown.last().at(0).toBool(), false);
    }

    void theMainWindowShowsTheFrameSensorPanelForAFusionCamera()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        auto* apsButton = window.findChild<QPushButton*>("pb_fold_aps_setting");
        OpenedFusionCamera duet;
        window.dvsPanel()->setCamera(duet.camera);
        window.apsPanel()->setCamera(duet.camera);
        QVERIFY(apsButton->isVisible());
        QTest::mouseClick(apsButton, Qt::LeftButton);
        QVERIFY(window.apsPanel()->isVisible());
        window.apsPanel()->box(tarvo::TOOL_APS_CTRL)->setFolded(false);
        window.apsPanel()->calibrationBox()->setFolded(false);
        QTest::qWait(50);
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_aps_panel"));

        window.apsPanel()->clearCamera();
        window.dvsPanel()->clearCamera();
        QVERIFY(!apsButton->isVisible());
    }

    void theMainWindowShowsAPanelButtonWhileItsPanelHasSettings()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        auto* dvsButton = window.findChild<QPushButton*>("pb_fold_dvs_setting");
        auto* apsButton = window.findChild<QPushButton*>("pb_fold_aps_setting");
        QVERIFY(!dvsButton->isVisible());
        {
            OpenedCamera usb(usbCamera("PANEL-WINDOW"));
            window.dvsPanel()->setCamera(usb.camera);
            window.apsPanel()->setCamera(usb.camera);
            QVERIFY(dvsButton->isVisible());
            QVERIFY(!apsButton->isVisible());
            QTest::mouseClick(dvsButton, Qt::LeftButton);
            QVERIFY(window.dvsPanel()->isVisible());
            window.dvsPanel()->box(tarvo::TOOL_BIASES)->setFolded(false);
            window.dvsPanel()->box(tarvo::TOOL_ROI)->setFolded(false);
            QTest::qWait(50);
            QVERIFY(TestSupport::saveRender(&window, "MainWidget_dvs_panel"));

            // The panel's notices become toasts.
            auto toastShown = [&window] {
                const QList<QWidget*> all = window.findChildren<QWidget*>();
                return std::any_of(all.begin(), all.end(), [](QWidget* w) {
                    return w->inherits("VxFilePathReminderForm") && w->isVisible();
                });
            };
            QVERIFY(!toastShown());
            QVERIFY(window.dvsPanel()->exportConfig(m_dir->filePath("from_window.json")));
            QTRY_VERIFY(toastShown());

            // A recording has no camera settings: the panel closes and its button goes.
            window.dvsPanel()->clearCamera();
            QVERIFY(!dvsButton->isVisible());
            QVERIFY(!window.dvsPanel()->isVisible());
        }
    }
};

QTEST_MAIN(CameraPanelTest)
#include "CameraPanelTest.moc"
