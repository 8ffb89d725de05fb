#include "TarvoSim/SimBus.h"

#include "SimDevice.h"
#include "SimEventCamera.h"
#include "SimFusionCamera.h"
#include "TarvoBase/Converters.h"
#include "TarvoBase/Logger.h"
#include "TarvoSim/Install.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

namespace tarvo::sim {
namespace {

constexpr const char* kSource = "sim/SimBus";

// The calibration a fusion camera leaves the factory with: the two sensors centred on each
// other, a frame pixel 145/486 of an event pixel.
const char* kDefaultCalibration = R"({"dvsWidth":1280,"dvsHeight":720,"apsWidth":3840,"apsHeight":2160,)"
                                  R"("transforms":{"0":[0.29835390946502055,0,67.16049382716051,0,)"
                                  R"(0.29835390946502055,37.77777777777783],"1":[3.351724137931035,0,)"
                                  R"(-225.10344827586232,0,3.351724137931035,-126.62068965517255]}})";

DeviceConfig defaultsFor(DeviceKind kind)
{
    DeviceConfig config;
    config.kind = kind;
    switch (kind) {
    case DeviceKind::UsbEventCamera:
        config.serial = "KST-USB-0001";
        break;
    case DeviceKind::EthEventCamera:
        config.serial = "KST-ETH-0001";
        config.vendorId = 0;
        config.productId = 0;
        config.ipAddress = "192.168.1.100";
        config.subnetMask = "255.255.255.0";
        config.gateway = "192.168.1.1";
        break;
    case DeviceKind::FusionCamera:
        config.serial = "DUET-0001";
        config.productName = "Duet";
        config.manufacturer = "Tarvo";
        // The camera's own form of firmware text, which the viewer checks for its version.
        config.firmwareVersion = "Duet_V1.7.10";
        config.vendorId = 0x2207;
        config.productId = 0x0006;
        config.triggerHz = 0;
        config.calibrationJson = kDefaultCalibration;
        break;
    }
    return config;
}

uint16_t idValue(const nlohmann::json& value)
{
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        size_t used = 0;
        const unsigned long number = std::stoul(text, &used, 0);
        if (used != text.size() || number > 0xFFFF) {
            throw std::invalid_argument("bad id \"" + text + "\"");
        }
        return static_cast<uint16_t>(number);
    }
    const auto number = value.get<int64_t>();
    if (number < 0 || number > 0xFFFF) {
        throw std::invalid_argument("id out of range");
    }
    return static_cast<uint16_t>(number);
}

DeviceConfig parseDevice(const nlohmann::json& entry)
{
    if (!entry.is_object()) {
        throw std::invalid_argument("a device is not an object");
    }
    const std::string kindText = entry.at("kind").get<std::string>();
    DeviceConfig config;
    if (kindText == "usb-event") {
        config = defaultsFor(DeviceKind::UsbEventCamera);
    } else if (kindText == "eth-event") {
        config = defaultsFor(DeviceKind::EthEventCamera);
    } else if (kindText == "fusion") {
        config = defaultsFor(DeviceKind::FusionCamera);
    } else {
        throw std::invalid_argument("unknown kind \"" + kindText + "\"");
    }
    auto text = [&](const char* key, std::string& field) {
        if (entry.contains(key)) {
            field = entry.at(key).get<std::string>();
        }
    };
    text("serial", config.serial);
    text("product", config.productName);
    text("manufacturer", config.manufacturer);
    text("firmware", config.firmwareVersion);
    text("ip", config.ipAddress);
    text("mask", config.subnetMask);
    text("gateway", config.gateway);
    text("source", config.source);
    text("raw_path", config.rawPath);
    if (entry.contains("vendor_id")) {
        config.vendorId = idValue(entry.at("vendor_id"));
    }
    if (entry.contains("product_id")) {
        config.productId = idValue(entry.at("product_id"));
    }
    if (entry.contains("event_rate")) {
        config.eventRate = entry.at("event_rate").get<double>();
    }
    if (entry.contains("trigger_hz")) {
        config.triggerHz = entry.at("trigger_hz").get<double>();
    }
    if (entry.contains("seed")) {
        config.seed = entry.at("seed").get<uint64_t>();
    }
    if (entry.contains("calibration")) {
        config.calibrationJson = entry.at("calibration").dump();
    }
    if (config.source != "scene" && config.source != "replay") {
        throw std::invalid_argument("unknown source \"" + config.source + "\"");
    }
    if (config.source == "replay" && config.rawPath.empty()) {
        throw std::invalid_argument("a replaying device needs \"raw_path\"");
    }
    if (!(config.eventRate >= 0 && config.eventRate <= 1e9) ||
        !(config.triggerHz >= 0 && config.triggerHz <= 1e5)) {
        throw std::invalid_argument("event_rate or trigger_hz out of range");
    }
    if (config.kind == DeviceKind::EthEventCamera &&
        (stringToIP(config.ipAddress) == 0 || stringToIP(config.subnetMask) == 0)) {
        throw std::invalid_argument("an Ethernet device needs \"ip\" and \"mask\"");
    }
    return config;
}

std::shared_ptr<SimDevice> makeDevice(const DeviceConfig& config)
{
    if (config.kind == DeviceKind::FusionCamera) {
        return std::make_shared<SimFusionCamera>(config);
    }
    return std::make_shared<SimEventCamera>(config);
}

} // namespace

SimBus& SimBus::instance()
{
    // Tests and tools that attach devices expect the finders to see them.
    install();
    static SimBus bus;
    return bus;
}

SimBus::SimBus()
{
    auto configs = loadDeviceList(deviceListPath());
    for (const auto& config : configs ? *configs : defaultDevices()) {
        m_devices.push_back(makeDevice(config));
    }
}

std::vector<DeviceConfig> SimBus::defaultDevices()
{
    return {defaultsFor(DeviceKind::UsbEventCamera), defaultsFor(DeviceKind::EthEventCamera),
            defaultsFor(DeviceKind::FusionCamera)};
}

std::string SimBus::deviceListPath()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    return base + "/tarvo/hal-devices.json";
}

std::optional<std::vector<DeviceConfig>> SimBus::loadDeviceList(const std::string& path)
{
    if (path.empty()) {
        return std::nullopt;
    }
    std::ifstream file(path);
    if (!file) {
        return std::nullopt;
    }
    try {
        const nlohmann::json document = nlohmann::json::parse(file);
        const nlohmann::json& list = document.is_object() ? document.at("devices") : document;
        if (!list.is_array()) {
            throw std::invalid_argument("\"devices\" is not a list");
        }
        std::vector<DeviceConfig> configs;
        for (const auto& entry : list) {
            configs.push_back(parseDevice(entry));
        }
        Logger::Instance().log_(2, kSource, __LINE__, "Simulated devices from %s: %zu", path.c_str(),
                                configs.size());
        return configs;
    } catch (const std::exception& error) {
        Logger::Instance().log_(3, kSource, __LINE__, "Ignoring malformed device list %s: %s", path.c_str(),
                                error.what());
        return std::nullopt;
    }
}

std::shared_ptr<SimDevice> SimBus::attach(const DeviceConfig& config)
{
    auto device = makeDevice(config);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_devices.push_back(device);
    return device;
}

bool SimBus::detach(const std::string& serial)
{
    std::vector<std::shared_ptr<SimDevice>> gone;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto split = std::stable_partition(m_devices.begin(), m_devices.end(), [&](const auto& device) {
            return device->config().serial != serial;
        });
        gone.assign(split, m_devices.end());
        m_devices.erase(split, m_devices.end());
    }
    for (const auto& device : gone) {
        device->unplug();
    }
    return !gone.empty();
}

void SimBus::replace(const std::vector<DeviceConfig>& configs)
{
    std::vector<std::shared_ptr<SimDevice>> fresh;
    for (const auto& config : configs) {
        fresh.push_back(makeDevice(config));
    }
    std::vector<std::shared_ptr<SimDevice>> gone;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        gone.swap(m_devices);
        m_devices = std::move(fresh);
    }
    for (const auto& device : gone) {
        device->unplug();
    }
}

std::vector<std::shared_ptr<SimDevice>> SimBus::list() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_devices;
}

std::shared_ptr<SimDevice> SimBus::find(const std::string& serial, DeviceKind kind) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& device : m_devices) {
        if (device->kind() == kind && device->config().serial == serial && device->connected()) {
            return device;
        }
    }
    return nullptr;
}

void SimBus::setWaitScale(double scale)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_waitScale = scale >= 0 ? scale : 0;
}

double SimBus::waitScale() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waitScale;
}

} // namespace tarvo::sim
