#include "SimTestSupport.h"

#include "TarvoBase/Converters.h"
#include "TarvoHal/DataTransfer.h"
#include "TarvoHal/DecoderFactory.h"
#include "TarvoHal/EthInterface.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoSim/SimBus.h"
#include "TarvoSim/SyntheticScene.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace tarvo::test {

AttachedCamera::AttachedCamera(const sim::DeviceConfig& config)
{
    sim::SimBus::instance().setWaitScale(0.0001);
    device = sim::SimBus::instance().attach(config);
    const CameraDescription description = device->description();
    switch (config.kind) {
    case sim::DeviceKind::UsbEventCamera:
        interface = UsbInterface::createUsbInterface(description);
        break;
    case sim::DeviceKind::EthEventCamera:
        interface = EthInterface::createEthInterface(description);
        break;
    case sim::DeviceKind::FusionCamera:
        interface = UsbInterface::createUsbFusionInterface(description);
        break;
    }
}

AttachedCamera::~AttachedCamera()
{
    sim::SimBus::instance().detach(device->config().serial);
}

std::string tempPath(const std::string& name)
{
    return ::testing::TempDir() + std::to_string(::getpid()) + "-" + name;
}

sim::DeviceConfig eventCameraConfig(const std::string& serial, double eventRate, double triggerHz)
{
    sim::DeviceConfig config;
    config.serial = serial;
    config.eventRate = eventRate;
    config.triggerHz = triggerHz;
    return config;
}

sim::DeviceConfig ethernetCameraConfig(const std::string& serial, double eventRate, const std::string& ip,
                                       const std::string& mask, const std::string& gateway)
{
    sim::DeviceConfig config = eventCameraConfig(serial, eventRate);
    config.kind = sim::DeviceKind::EthEventCamera;
    config.ipAddress = ip;
    config.subnetMask = mask;
    config.gateway = gateway;
    return config;
}

std::vector<Event2D> sceneLoop(double eventRate, uint64_t seed)
{
    sim::SceneOptions options;
    options.eventsPerSecond = eventRate;
    options.seed = seed;
    sim::SyntheticScene scene(options, 0);
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> none;
    scene.generate(0, 244 * 4096, events, none); // the longest loop the simulator plays
    return events;
}

StreamReader::StreamReader(const std::shared_ptr<Interface>& interface, bool swapped)
    : m_stream(createDataTransferUniquePtr(interface, 2, 0x20000, 20, 0x52)),
      m_decoder(DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"))),
      m_swapped(swapped)
{
    m_decoder->setEventsStreamHandleCallback(
        [this](const Event2D* first, const Event2D* last) { events.insert(events.end(), first, last); });
    m_decoder->setTriggerInCallback([this](const EventTriggerIn& trigger) { triggers.push_back(trigger); });
}

void StreamReader::readOne()
{
    if (m_stream.waitNextBuffer() <= 0) {
        return;
    }
    auto buffer = m_stream.getLatestBuffer();
    if (!buffer || !*buffer) {
        return;
    }
    std::vector<uint8_t>& bytesIn = **buffer;
    ++buffers;
    bytes += bytesIn.size();
    bufferSizes.push_back(bytesIn.size());
    if (m_swapped) {
        convertEndian(bytesIn);
    }
    m_decoder->decode(bytesIn);
}

bool StreamReader::readUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        readOne();
    }
    return true;
}

void StreamReader::readFor(std::chrono::milliseconds span)
{
    const auto deadline = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < deadline) {
        readOne();
    }
}

LogCapture::LogCapture()
{
    m_previous =
        Logger::Instance().setSink([this](int level, const std::string&, int, const std::string& message) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.emplace_back(level, message);
        });
}

LogCapture::~LogCapture()
{
    Logger::Instance().setSink(m_previous);
}

bool LogCapture::contains(int level, const std::string& text) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [lineLevel, message] : m_lines) {
        if (lineLevel == level && message.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::vector<std::pair<int, std::string>> LogCapture::lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

} // namespace tarvo::test
