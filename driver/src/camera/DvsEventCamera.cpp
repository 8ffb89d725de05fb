#include "camera/DvsEventCamera.h"

#include "DriverLog.h"
#include "TarvoHal/DecoderFactory.h"
#include "TarvoHal/EthConfig.h"
#include "TarvoHal/EthInterface.h"
#include "TarvoHal/Imx636AntiFlicker.h"
#include "TarvoHal/Imx636Biases.h"
#include "TarvoHal/Imx636EventRateControl.h"
#include "TarvoHal/Imx636EventTrailFilter.h"
#include "TarvoHal/Imx636ROI.h"
#include "TarvoHal/Imx636Sync.h"
#include "TarvoHal/Imx636TriggerIn.h"
#include "TarvoHal/UsbInterface.h"
#include "sensor/Imx636RegisterTable.h"
#include "sensor/Imx6x6Sensor.h"

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/camera/DvsEventCamera";
constexpr uint16_t kWidth = 1280;
constexpr uint16_t kHeight = 720;

} // namespace

DvsEventCamera::DvsEventCamera(const CameraDescription& description) : DvsCameraPrivate(description) {}

uint16_t DvsEventCamera::getWidth()
{
    return kWidth;
}

uint16_t DvsEventCamera::getHeight()
{
    return kHeight;
}

RawEventStreamFormat DvsEventCamera::getRawEventStreamFormat()
{
    return RawEventStreamFormat("EVT3;height=720;width=1280");
}

std::shared_ptr<Interface> DvsEventCamera::openTransport() const
{
    switch (m_description.interfaceType) {
    case USB:
        return UsbInterface::createUsbInterface(m_description);
    case ETHERNET:
        return EthInterface::createEthInterface(m_description);
    }
    TARVO_LOG(log::kError, "Camera %s has an unknown interface type %d", m_description.serial.c_str(),
              static_cast<int>(m_description.interfaceType));
    return nullptr;
}

int DvsEventCamera::init()
{
    refuseOnOwnThreads("init()");
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex());
    joinEndedThreads();
    if (m_inited) {
        return 0;
    }
    auto transport = openTransport();
    if (!transport) {
        TARVO_LOG(log::kError, "Cannot open camera %s", m_description.serial.c_str());
        return -1;
    }
    transport->setup(&m_session);
    m_registerController = std::make_shared<RegisterController>(transport, IMX636_REGISTER_TABLE,
                                                                IMX636_REGISTER_TABLE_SIZE, "PSEE/IMX636/");
    auto decoder = DecoderFactory::createUniqueDecoder(getRawEventStreamFormat());
    if (!decoder) {
        TARVO_LOG(log::kError, "No decoder for %s", getRawEventStreamFormat().description().c_str());
        return -1;
    }
    auto sensor = std::make_unique<Imx6x6Sensor>();
    sensor->useRegisters(m_registerController);
    bool broughtUp = false;
    try {
        broughtUp = sensor->init(transport) == 0;
    } catch (const std::exception& error) {
        TARVO_LOG(log::kError, "Camera %s bring-up failed: %s", m_description.serial.c_str(), error.what());
    }
    setDevice(transport, std::move(decoder), std::move(sensor));
    if (!broughtUp) {
        // A camera that did not take its bring-up would stream nothing: refuse to open it.
        TARVO_LOG(log::kError, "Camera %s did not take its bring-up", m_description.serial.c_str());
        return -1;
    }
    createTools();
    m_inited = true;
    return 0;
}

void DvsEventCamera::createTools()
{
    auto add = [this](ToolType type, auto make) {
        if (m_tools.count(type) == 0) {
            m_tools[type] = make();
        }
    };
    const auto& registers = m_registerController;
    add(TOOL_BIASES, [&] { return std::make_shared<Imx636Biases>(registers); });
    add(TOOL_TRIGGER_IN, [&] { return std::make_shared<Imx636TriggerIn>(registers); });
    add(TOOL_ANTI_FLICKER, [&] { return std::make_shared<Imx636AntiFlicker>(registers); });
    add(TOOL_EVENT_RATE_CONTROL, [&] { return std::make_shared<Imx636EventRateControl>(registers); });
    add(TOOL_EVENT_TRAIL_FILTER, [&] { return std::make_shared<Imx636EventTrailFilter>(registers); });
    add(TOOL_ROI, [&] { return std::make_shared<Imx636ROI>(registers); });
    add(TOOL_SYNC, [&] { return std::make_shared<Imx636Sync>(registers); });
    if (m_description.interfaceType == ETHERNET) {
        add(TOOL_ETH_CONFIG, [&] { return std::make_shared<EthConfig>(registers); });
    }
}

int DvsEventCamera::start()
{
    const int result = DvsCameraPrivate::start();
    if (result == 0 && m_description.interfaceType == ETHERNET) {
        auto* ethernet = dynamic_cast<EthInterface*>(transport().get());
        if (ethernet == nullptr || !ethernet->setEventStream(true)) {
            TARVO_LOG(log::kError, "Camera %s did not switch its network stream on",
                      m_description.serial.c_str());
            DvsCameraPrivate::stop();
            return -1;
        }
    }
    return result;
}

} // namespace tarvo
