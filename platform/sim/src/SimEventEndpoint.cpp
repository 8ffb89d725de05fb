#include "SimEventEndpoint.h"

#include "SimEventCamera.h"
#include "TarvoBase/Converters.h"

#include <algorithm>

namespace tarvo::sim {
namespace {

constexpr auto kFlushPeriod = std::chrono::milliseconds(10);
constexpr auto kTick = std::chrono::milliseconds(1);
constexpr auto kIdle = std::chrono::milliseconds(100);
constexpr uint64_t kUnpacedStep = 10000; // µs of stream produced per step when unpaced
// What a paced device's link carries at most (a USB 3 bulk endpoint, in practice).
constexpr double kLinkBytesPerSecond = 400e6;

} // namespace

SimEventEndpoint::SimEventEndpoint(std::shared_ptr<SimEventCamera> camera, size_t bufferBytes, size_t depth)
    : SimEndpoint(camera, std::max<size_t>(4, bufferBytes / 4 * 4), depth), m_camera(*camera)
{
}

SimEventEndpoint::~SimEventEndpoint()
{
    stop();
}

void SimEventEndpoint::produce()
{
    const bool paced = m_camera.config().paced;
    EventTimeline timeline;
    bool haveTimeline = false;
    bool active = false;
    uint64_t effectsGeneration = 0;
    uint64_t triggerGeneration = 0;
    PulseTrain triggers;
    Buffer buffer;
    Clock::time_point opened;
    // A device that reverses 32-bit words sends whole words only; a part-full buffer's odd
    // half word goes out at the start of the next one.
    std::vector<uint8_t> carry;
    // When the link has sent what was handed to it so far.
    Clock::time_point linkFreeAt;

    auto deliver = [&]() {
        if (m_camera.swapsWords()) {
            const size_t whole = buffer->size() / 4 * 4;
            carry.assign(buffer->begin() + static_cast<long>(whole), buffer->end());
            buffer->resize(whole);
            convertEndian(*buffer);
        }
        if (buffer->empty()) {
            buffer.reset();
            return;
        }
        if (paced) {
            // A buffer reaches the host once the link has carried it, so a backlog (a scene that
            // took a while to build) drains at the link's speed, not all at once.
            const auto transfer = std::chrono::duration<double>(buffer->size() / kLinkBytesPerSecond);
            linkFreeAt =
                std::max(linkFreeAt, Clock::now()) + std::chrono::duration_cast<Clock::duration>(transfer);
            waitUntil(linkFreeAt);
        }
        if (!push(std::move(buffer), !paced) && paced) {
            timeline.resync();
        }
        buffer.reset();
    };

    while (!stopRequested()) {
        if (!m_camera.connected()) {
            buffer.reset();
            active = false;
            waitUntil(Clock::now() + std::chrono::seconds(1));
            continue;
        }
        const EventStreamState state = m_camera.eventStreamState();
        if (!state.streaming) {
            if (buffer && !buffer->empty()) {
                deliver();
            }
            buffer.reset();
            carry.clear();
            active = false;
            waitUntil(Clock::now() + kIdle);
            continue;
        }
        if (!active || state.effectsGeneration != effectsGeneration) {
            // The sensor streams from this moment; building what it sees takes a while, and
            // the stream catches up afterwards, so no trigger edge from now on is lost.
            const uint64_t start = std::max(paced ? state.startedAt : 0, timeline.position());
            if (!haveTimeline || !m_camera.replays()) {
                timeline = m_camera.buildTimeline();
                haveTimeline = true;
            }
            timeline.begin(start);
            triggers = m_camera.triggerSchedule(start);
            effectsGeneration = state.effectsGeneration;
            triggerGeneration = state.triggerGeneration;
            active = true;
        }
        if (state.triggerGeneration != triggerGeneration) {
            triggers = m_camera.triggerSchedule(timeline.position());
            triggerGeneration = state.triggerGeneration;
        }
        const uint64_t until = paced ? m_camera.clockUs() : timeline.position() + kUnpacedStep;
        if (!buffer) {
            buffer = freshBuffer(m_bufferBytes);
            buffer->assign(carry.begin(), carry.end());
            carry.clear();
            opened = Clock::now();
        }
        timeline.emit(until, *buffer, m_bufferBytes, &triggers, state.triggersOn);
        if (buffer->size() >= m_bufferBytes) {
            deliver();
            continue;
        }
        if (paced) {
            if (!buffer->empty() && Clock::now() - opened >= kFlushPeriod) {
                deliver();
            }
            waitUntil(Clock::now() + kTick);
        } else if (timeline.finished()) {
            if (!buffer->empty()) {
                deliver();
            }
            waitUntil(Clock::now() + kIdle);
        }
    }
}

} // namespace tarvo::sim
