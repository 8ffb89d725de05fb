#include "sensor/Imx415Sensor.h"

#include "DriverLog.h"
#include "TarvoHal/DataTransfer.h"

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/sensor/Imx415Sensor";

// The bulk transfer of the frame stream: two buffers of one frame each, one transfer in flight.
constexpr uint32_t kBufferCount = 2;
constexpr uint8_t kTransfers = 1;
constexpr uint8_t kFrameEndpoint = 0x53;

} // namespace

int Imx415Sensor::init(std::shared_ptr<Interface> transport)
{
    m_eventStream = std::make_unique<EventStream>(createDataTransferUniquePtr(
        std::move(transport), kBufferCount, static_cast<uint32_t>(frameBytes), kTransfers, kFrameEndpoint));
    m_inited = true;
    // Frame output stays off until start().
    writeApsCtrl(0);
    TARVO_LOG(log::kInfo, "Imx415Sensor init success!");
    return 0;
}

int Imx415Sensor::start()
{
    if (!m_inited) {
        // The message names the event sensor, as the maker's driver has always said it.
        TARVO_LOG(log::kError, "Please initialize the Imx6x6Sensor first!");
        return -1;
    }
    if (!m_eventStream->start() || !writeApsCtrl(1)) {
        TARVO_LOG(log::kError, "Imx415Sensor did not start");
        m_eventStream->stop();
        return -1;
    }
    return 0;
}

int Imx415Sensor::stop()
{
    if (!m_inited) {
        return 0;
    }
    m_eventStream->stop();
    return writeApsCtrl(0) ? 0 : -1;
}

bool Imx415Sensor::writeApsCtrl(uint32_t value)
{
    if (!m_writeRegister) {
        TARVO_LOG(log::kError, "Imx415Sensor has no write register callback");
        return false;
    }
    return m_writeRegister("aps_ctrl", value);
}

} // namespace tarvo
