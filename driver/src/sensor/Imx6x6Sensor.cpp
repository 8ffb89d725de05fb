#include "sensor/Imx6x6Sensor.h"

#include "DriverLog.h"
#include "TarvoHal/DataTransfer.h"
#include "sensor/Imx636Sequences.h"

#include <tuple>

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/sensor/Imx6x6Sensor";

// The bulk transfer of the event stream: two buffers of 128 KiB, 20 transfers in flight.
constexpr uint32_t kBufferCount = 2;
constexpr uint32_t kBufferBytes = 0x20000;
constexpr uint8_t kTransfers = 20;
constexpr uint8_t kEventEndpoint = 0x52;

} // namespace

int Imx6x6Sensor::init(std::shared_ptr<Interface> transport)
{
    m_inited = false;
    m_eventStream = std::make_unique<EventStream>(createDataTransferUniquePtr(
        std::move(transport), kBufferCount, kBufferBytes, kTransfers, kEventEndpoint));
    if (!m_applySequence) {
        TARVO_LOG(log::kError, "Imx6x6Sensor init failed! No sequence callback provided!");
        return -1;
    }
    const bool broughtUp =
        m_applySequence(imx636StopSequence()) && m_applySequence(imx636PowerUpSequence()) &&
        m_applySequence(imx636ConfigurationSequence()) && temperatureInit() && controlIphMirror(true) &&
        wait(1000) && controlLifo(true, true, true) && timeBaseConfig(false, true);
    if (!broughtUp) {
        TARVO_LOG(log::kError, "Imx6x6Sensor init failed! The sensor did not take its bring-up.");
        return -1;
    }
    m_inited = true;
    TARVO_LOG(log::kInfo, "Imx6x6Sensor init success!");
    return 0;
}

int Imx6x6Sensor::start()
{
    if (!m_inited) {
        TARVO_LOG(log::kError, "Please initialize the Imx6x6Sensor first!");
        return -1;
    }
    if (!m_applySequence) {
        TARVO_LOG(log::kError, "Imx6x6Sensor init failed! No sequence callback provided!");
        return -1;
    }
    if (!m_eventStream->start() || !m_applySequence(imx636StartSequence())) {
        TARVO_LOG(log::kError, "Imx6x6Sensor did not start");
        m_eventStream->stop();
        return -1;
    }
    return 0;
}

int Imx6x6Sensor::stop()
{
    if (!m_applySequence) {
        TARVO_LOG(log::kError, "Imx6x6Sensor init failed! No sequence callback provided!");
        return -1;
    }
    const bool stopped = m_applySequence(imx636StopSequence());
    if (m_eventStream) {
        m_eventStream->stop();
    }
    return stopped ? 0 : -1;
}

bool Imx6x6Sensor::temperatureInit()
{
    return writeFields({{"adc_control", "adc_en", 1},
                        {"adc_control", "adc_clk_en", 1},
                        {"adc_misc_ctrl", "adc_buf_cal_en", 1}}) &&
           wait(100) && writeFields({{"temp_ctrl", "temp_buf_en", 1}, {"temp_ctrl", "temp_buf_cal_en", 1}}) &&
           wait(100) && writeFields({{"adc_control", "adc_clk_en", 0}});
}

bool Imx6x6Sensor::controlIphMirror(bool enable)
{
    return writeFields({{"iph_mirr_ctrl", "iph_mirr_en", enable}}) && wait(20) &&
           writeFields({{"iph_mirr_ctrl", "iph_mirr_amp_en", enable}});
}

bool Imx6x6Sensor::controlLifo(bool enable, bool outputEnable, bool countEnable)
{
    return writeFields({{"lifo_ctrl", "lifo_en", enable}}) && wait(1000) &&
           writeFields(
               {{"lifo_ctrl", "lifo_out_en", outputEnable}, {"lifo_ctrl", "lifo_cnt_en", countEnable}});
}

bool Imx6x6Sensor::timeBaseConfig(bool external, bool master)
{
    const bool written = writeFields({{"ro/time_base_ctrl", "time_base_mode", external},
                                      {"ro/time_base_ctrl", "external_mode", master},
                                      {"ro/time_base_ctrl", "external_mode_enable", external},
                                      {"ro/time_base_ctrl", "Reserved_10_4", 100}});
    if (!written || !external) {
        return written;
    }
    return writeFields({{"dig_pad2_ctrl", "pad_sync", master ? 0xC : 0xF}});
}

bool Imx6x6Sensor::writeFields(std::initializer_list<std::tuple<const char*, const char*, uint32_t>> writes)
{
    if (!m_writeRegisterField) {
        TARVO_LOG(log::kError, "Imx6x6Sensor init failed! No write register callback provided!");
        return false;
    }
    for (const auto& [reg, field, value] : writes) {
        if (!m_writeRegisterField(reg, field, value)) {
            return false;
        }
    }
    return true;
}

bool Imx6x6Sensor::wait(uint32_t us)
{
    RegisterOperation operation;
    operation.kind = RegisterOperation::WAIT;
    operation.wait = us;
    return m_applySequence({operation});
}

} // namespace tarvo
