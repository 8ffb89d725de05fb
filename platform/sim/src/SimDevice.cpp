#include "SimDevice.h"

#include "ResetWords.h"
#include "SimEndpoint.h"
#include "TarvoBase/Converters.h"
#include "TarvoBase/Logger.h"
#include "TarvoHal/CtrlFrame.h"
#include "TarvoHal/EthInterface.h"
#include "TarvoSim/SimBus.h"

#include <algorithm>
#include <cstring>

namespace tarvo::sim {
namespace {

constexpr const char* kSource = "sim/SimDevice";
constexpr uint32_t kCameraReset = 0x6002;

std::atomic<uint64_t> g_nextSession{1};

void addResetWords(const ResetWord* words, size_t count, std::map<uint32_t, uint32_t>& values)
{
    for (size_t i = 0; i < count; ++i) {
        values[words[i].address] = words[i].value;
    }
}

std::string dotted(uint32_t ip)
{
    return std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 0xFF) + "." +
           std::to_string((ip >> 8) & 0xFF) + "." + std::to_string(ip & 0xFF);
}

} // namespace

const char* kindName(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::UsbEventCamera:
        return "usb-event";
    case DeviceKind::EthEventCamera:
        return "eth-event";
    case DeviceKind::FusionCamera:
        return "fusion";
    }
    return "unknown";
}

SimDevice::SimDevice(const DeviceConfig& config)
    : m_config(config), m_sessionId(g_nextSession++), m_attached(Clock::now())
{
    m_calibration.assign(config.calibrationJson.begin(), config.calibrationJson.end());
    m_ip = stringToIP(config.ipAddress);
    m_mask = stringToIP(config.subnetMask);
    m_gateway = stringToIP(config.gateway);
    std::lock_guard<std::mutex> lock(m_mutex);
    resetRegisters();
}

SimDevice::~SimDevice() = default;

const std::map<uint32_t, uint32_t>& SimDevice::resetValues() const
{
    static const std::map<uint32_t, uint32_t> eventValues = [] {
        std::map<uint32_t, uint32_t> values;
        addResetWords(IMX636_RESET_WORDS, IMX636_RESET_WORD_COUNT, values);
        return values;
    }();
    static const std::map<uint32_t, uint32_t> fusionValues = [] {
        std::map<uint32_t, uint32_t> values = eventValues;
        addResetWords(IMX415_RESET_WORDS, IMX415_RESET_WORD_COUNT, values);
        return values;
    }();
    return m_config.kind == DeviceKind::FusionCamera ? fusionValues : eventValues;
}

void SimDevice::resetRegisters()
{
    m_registers = resetValues();
    auto text = [](const std::string& value) {
        std::vector<uint8_t> block(64, 0);
        std::memcpy(block.data(), value.data(), std::min<size_t>(value.size(), 63));
        return block;
    };
    m_blocks[0x6000] = text(m_config.firmwareVersion);
    m_blocks[0x6001] = text(m_config.serial);
    ++m_effectsGeneration;
}

CameraDescription SimDevice::description() const
{
    CameraDescription description;
    description.serial = m_config.serial;
    description.productName = m_config.productName;
    description.manufacturer = m_config.manufacturer;
    description.firmwareVersion = m_config.firmwareVersion;
    description.vendorId = m_config.vendorId;
    description.productId = m_config.productId;
    if (m_config.kind == DeviceKind::EthEventCamera) {
        std::lock_guard<std::mutex> lock(m_mutex);
        description.interfaceType = ETHERNET;
        description.ipAddress = dotted(m_ip);
        description.subnetMask = dotted(m_mask);
        description.gateway = dotted(m_gateway);
    }
    return description;
}

void SimDevice::unplug()
{
    if (!m_connected.exchange(false)) {
        return;
    }
    Logger::Instance().log_(2, kSource, __LINE__, "Simulated %s camera %s unplugged", kindName(m_config.kind),
                            m_config.serial.c_str());
    {
        std::lock_guard<std::mutex> lock(m_delayMutex);
    }
    m_delayCondition.notify_all();
    wakeEndpoints();
}

uint64_t SimDevice::clockUs() const
{
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - m_attached).count());
}

SimDevice::Clock::time_point SimDevice::wallTimeOf(uint64_t clockUs) const
{
    return m_attached + std::chrono::microseconds(clockUs);
}

uint32_t SimDevice::registerValueLocked(uint32_t address) const
{
    auto found = m_registers.find(address);
    return found == m_registers.end() ? 0 : found->second;
}

uint32_t SimDevice::registerValue(uint32_t address) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return registerValueLocked(address);
}

void SimDevice::recordWrites()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_recording = true;
}

std::vector<std::pair<uint32_t, uint32_t>> SimDevice::recordedWrites() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_recordedWrites;
}

bool SimDevice::readRegister(uint32_t address, uint32_t& value)
{
    if (!connected()) {
        return false;
    }
    value = registerValue(address);
    return true;
}

bool SimDevice::writeRegister(uint32_t address, uint32_t value)
{
    if (!connected()) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_recording) {
            m_recordedWrites.emplace_back(address, value);
        }
        if (address == kCameraReset && m_config.kind == DeviceKind::FusionCamera) {
            resetRegisters();
        } else {
            m_registers[address] = value;
            onRegisterWritten(address, value);
        }
        onStateChanged();
    }
    wakeEndpoints();
    return true;
}

bool SimDevice::controlRead(uint32_t address, uint8_t* data, size_t length)
{
    if (!connected() || data == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    auto block = m_blocks.find(address);
    if (block != m_blocks.end()) {
        std::memset(data, 0, length);
        std::memcpy(data, block->second.data(), std::min(length, block->second.size()));
        return true;
    }
    // Other addresses read as their 32-bit register, little-endian.
    if (length > 4) {
        return false;
    }
    const uint32_t value = registerValueLocked(address);
    for (size_t i = 0; i < length; ++i) {
        data[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return true;
}

bool SimDevice::controlWrite(uint32_t address, const uint8_t* data, size_t length)
{
    if (!connected() || (data == nullptr && length > 0)) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto block = m_blocks.find(address);
        if (block != m_blocks.end()) {
            if (length > block->second.size()) {
                return false;
            }
            std::fill(block->second.begin(), block->second.end(), 0);
            std::memcpy(block->second.data(), data, length);
            return true;
        }
    }
    if (length != 4) {
        return false;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(data[i]) << (8 * i);
    }
    return writeRegister(address, value);
}

bool SimDevice::transferFrame(const std::vector<uint8_t>& request, std::vector<uint8_t>& answer)
{
    if (!connected() || request.size() < 8 || request.size() % 4 != 0) {
        return false;
    }
    auto word = [&](size_t index) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(request[index * 4 + i]) << (8 * i);
        }
        return value;
    };
    const uint32_t property = word(0);
    const uint32_t size = word(1);
    if (size != request.size() - 8) {
        answer = CtrlFrame::build(property, {2}); // malformed frame
        return true;
    }
    std::vector<uint32_t> payload;
    for (size_t i = 2; i < request.size() / 4; ++i) {
        payload.push_back(word(i));
    }
    bool accepted = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        accepted = answerFrame(property, payload);
        onStateChanged();
    }
    wakeEndpoints();
    answer = CtrlFrame::build(property, {accepted ? 0u : 1u});
    return true;
}

bool SimDevice::answerFrame(uint32_t, const std::vector<uint32_t>&)
{
    return false;
}

void SimDevice::onRegisterWritten(uint32_t, uint32_t) {}

void SimDevice::onStateChanged() {}

void SimDevice::delay(uint32_t counts)
{
    const double scale = SimBus::instance().waitScale();
    const auto duration = std::chrono::duration<double, std::micro>(counts * scale);
    std::unique_lock<std::mutex> lock(m_delayMutex);
    m_delayCondition.wait_for(lock, duration, [this] { return !connected(); });
}

bool SimDevice::readCalibration(std::vector<uint8_t>& json)
{
    if (!connected()) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_calibration.empty()) {
        return false;
    }
    json = m_calibration;
    return true;
}

bool SimDevice::writeCalibration(const std::vector<uint8_t>& json)
{
    if (!connected() || m_config.kind != DeviceKind::FusionCamera) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calibration = json;
    return true;
}

std::shared_ptr<BulkEndpoint> SimDevice::openEndpoint(uint8_t address, size_t bufferBytes, size_t depth)
{
    if (!connected()) {
        return nullptr;
    }
    auto endpoint = makeEndpoint(address, bufferBytes, depth);
    if (endpoint) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_endpoints.erase(std::remove_if(m_endpoints.begin(), m_endpoints.end(),
                                         [](const std::weak_ptr<SimEndpoint>& e) { return e.expired(); }),
                          m_endpoints.end());
        m_endpoints.push_back(endpoint);
    }
    return endpoint;
}

std::shared_ptr<SimEndpoint> SimDevice::makeEndpoint(uint8_t, size_t, size_t)
{
    return nullptr;
}

bool SimDevice::getNetworkConfig(uint32_t& ip, uint32_t& mask, uint32_t& gateway) const
{
    if (!connected() || m_config.kind != DeviceKind::EthEventCamera) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    ip = m_ip;
    mask = m_mask;
    gateway = m_gateway;
    return true;
}

bool SimDevice::setNetworkConfig(uint32_t ip, uint32_t mask, uint32_t gateway)
{
    if (!connected() || m_config.kind != DeviceKind::EthEventCamera ||
        !EthInterface::isValidSetting(ip, mask, gateway)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ip = ip;
    m_mask = mask;
    m_gateway = gateway;
    return true;
}

bool SimDevice::setEventStream(bool enabled)
{
    if (!connected() || m_config.kind != DeviceKind::EthEventCamera) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ethStream = enabled;
        onStateChanged();
    }
    wakeEndpoints();
    return true;
}

void SimDevice::wakeEndpoints()
{
    std::vector<std::shared_ptr<SimEndpoint>> endpoints;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& weak : m_endpoints) {
            if (auto endpoint = weak.lock()) {
                endpoints.push_back(endpoint);
            }
        }
    }
    for (const auto& endpoint : endpoints) {
        endpoint->wake();
    }
}

} // namespace tarvo::sim
