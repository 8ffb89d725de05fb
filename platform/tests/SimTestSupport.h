#pragma once

#include "SimDevice.h"
#include "TarvoBase/EventTypes.h"
#include "TarvoBase/Logger.h"
#include "TarvoHal/Decoder.h"
#include "TarvoHal/EventStream.h"
#include "TarvoHal/Interface.h"
#include "TarvoSim/DeviceConfig.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tarvo::test {

// A simulated camera attached for one test, opened through the finders' factories, and
// unplugged when the test ends.
struct AttachedCamera
{
    explicit AttachedCamera(const sim::DeviceConfig& config);
    ~AttachedCamera();

    std::shared_ptr<sim::SimDevice> device;
    std::shared_ptr<Interface> interface;
};

// A path in the temporary directory that no other test process uses.
std::string tempPath(const std::string& name);

sim::DeviceConfig eventCameraConfig(const std::string& serial, double eventRate, double triggerHz = 0);
// An Ethernet event camera with the address, mask and gateway given as dotted text.
sim::DeviceConfig ethernetCameraConfig(const std::string& serial, double eventRate, const std::string& ip,
                                       const std::string& mask, const std::string& gateway);

// The events of the loop a simulated camera plays at `eventRate` (at most 1 Mev/s, where the
// loop spans about a second) with the default sensor settings, from time 0.
std::vector<Event2D> sceneLoop(double eventRate, uint64_t seed);

// Reads an event stream and decodes it, as a camera's stream thread does.
class StreamReader
{
public:
    // `swapped`: the device reverses each 32-bit word, undone before decoding.
    StreamReader(const std::shared_ptr<Interface>& interface, bool swapped = false);

    EventStream& stream() { return m_stream; }
    // Reads buffers until `done` holds or `timeout` passes; returns whether `done` held.
    bool readUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Reads for `span` of wall time.
    void readFor(std::chrono::milliseconds span);

    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    size_t buffers = 0;
    size_t bytes = 0;
    std::vector<size_t> bufferSizes;

private:
    void readOne();

    EventStream m_stream;
    std::unique_ptr<Decoder> m_decoder;
    bool m_swapped;
};

// Captures log lines for the life of the object.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    bool contains(int level, const std::string& text) const;
    // Every line so far (level, message), in the order logged.
    std::vector<std::pair<int, std::string>> lines() const;

private:
    mutable std::mutex m_mutex; // guards m_lines (the sink runs on any thread)
    std::vector<std::pair<int, std::string>> m_lines;
    Logger::Sink m_previous;
};

} // namespace tarvo::test
