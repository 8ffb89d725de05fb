#include "SimEventCamera.h"

#include "SimEventEndpoint.h"
#include "TarvoBase/Logger.h"
#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace tarvo::sim {
namespace {

constexpr const char* kSource = "sim/SimEventCamera";

// Register addresses the simulation reads.
constexpr uint32_t kRoiCtrl = 0x4, kBiasFirst = 0x1000, kBiasLast = 0x1100, kRoiX = 0x2000, kRoiY = 0x4000,
                   kRoiLast = 0x4058, kErcFirst = 0x6000, kErcLast = 0x6B94, kTriggerIn = 0x7004,
                   kTimeBaseCtrl = 0x9008, kRoCtrl = 0x9028, kMipiControl = 0xB000;
constexpr uint32_t kBiasFo = 0x1004, kBiasDiffOn = 0x1010, kBiasDiff = 0x1014, kBiasDiffOff = 0x1018;
constexpr uint32_t kErcReferencePeriod = 0x6008, kErcTargetRate = 0x600C, kErcEnable = 0x6028;

// At the default biases the ON threshold sits 38 codes above bias_diff and the OFF threshold 25
// codes below; events of a polarity grow as its threshold comes closer.
constexpr double kDefaultOnGap = 38, kDefaultOffGap = 25;
constexpr uint64_t kMinPeriod = 4 * 4096, kMaxPeriod = 244 * 4096;
constexpr double kEventsPerLoop = 1e6;

bool sameEffects(const SensorEffects& a, const SensorEffects& b)
{
    return a.onFactor == b.onFactor && a.offFactor == b.offFactor && a.roiEnabled == b.roiEnabled &&
           a.roiKeepsInside == b.roiKeepsInside && a.columns == b.columns && a.rows == b.rows &&
           a.ercEnabled == b.ercEnabled && a.ercLimit == b.ercLimit;
}

} // namespace

SimEventCamera::SimEventCamera(const DeviceConfig& config) : SimDevice(config) {}

bool SimEventCamera::outputEnabled() const
{
    return m_config.kind != DeviceKind::EthEventCamera || ethStreamEnabled();
}

bool SimEventCamera::streamingNow() const
{
    const bool started =
        (registerValueLocked(kMipiControl) & 0x1) != 0 && (registerValueLocked(kRoCtrl) & 0x2) == 0 &&
        (registerValueLocked(kTimeBaseCtrl) & 0x1) != 0 && (registerValueLocked(kRoiCtrl) & 0x400) != 0;
    return started && outputEnabled();
}

void SimEventCamera::onStateChanged()
{
    const bool streaming = streamingNow();
    if (streaming && !m_streaming) {
        m_startedAt = clockUs();
    }
    m_streaming = streaming;
}

EventStreamState SimEventCamera::eventStreamState() const
{
    EventStreamState state;
    std::lock_guard<std::mutex> lock(m_mutex);
    state.streaming = m_streaming;
    state.startedAt = m_startedAt;
    state.triggersOn = (registerValueLocked(kTriggerIn) & 0x1) != 0;
    state.effectsGeneration = m_effectsGeneration.load();
    state.triggerGeneration = m_triggerGeneration.load();
    return state;
}

SensorEffects SimEventCamera::sensorEffects() const
{
    SensorEffects effects;
    std::lock_guard<std::mutex> lock(m_mutex);
    const double on = registerValueLocked(kBiasDiffOn) & 0xFF, diff = registerValueLocked(kBiasDiff) & 0xFF,
                 off = registerValueLocked(kBiasDiffOff) & 0xFF;
    effects.onFactor = std::clamp(kDefaultOnGap / std::max(1.0, on - diff), 0.05, 4.0);
    effects.offFactor = std::clamp(kDefaultOffGap / std::max(1.0, diff - off), 0.05, 4.0);
    // A photoreceptor follower starved of current (bias_fo near 0) lets few changes through.
    const double fo = registerValueLocked(kBiasFo) & 0xFF;
    if (fo < 16) {
        effects.onFactor *= (fo + 1) / 17;
        effects.offFactor *= (fo + 1) / 17;
    }
    const uint32_t roiCtrl = registerValueLocked(kRoiCtrl);
    effects.roiEnabled = (roiCtrl & 0x2) != 0;
    effects.roiKeepsInside = (roiCtrl & 0x40) != 0;
    effects.columns.resize(kWidth);
    effects.rows.resize(kHeight);
    for (uint32_t x = 0; x < kWidth; ++x) {
        effects.columns[x] = ((registerValueLocked(kRoiX + 4 * (x / 32)) >> (x % 32)) & 1) != 0;
    }
    for (uint32_t y = 0; y < kHeight; ++y) {
        effects.rows[y] = ((registerValueLocked(kRoiY + 4 * (y / 32)) >> (y % 32)) & 1) != 0;
    }
    effects.ercEnabled = (registerValueLocked(kErcEnable) & 0x1) != 0;
    const double period = std::max(1u, registerValueLocked(kErcReferencePeriod) & 0x3FF);
    effects.ercLimit = (registerValueLocked(kErcTargetRate) & 0x3FFFFF) * 1e6 / period;
    return effects;
}

void SimEventCamera::onRegisterWritten(uint32_t address, uint32_t)
{
    if (address == kRoiCtrl || (address >= kBiasFirst && address <= kBiasLast) ||
        (address >= kRoiX && address <= kRoiLast) || (address >= kErcFirst && address <= kErcLast)) {
        ++m_effectsGeneration;
    }
}

std::shared_ptr<SimEndpoint> SimEventCamera::makeEndpoint(uint8_t address, size_t bufferBytes, size_t depth)
{
    if (address != kEventEndpoint) {
        return nullptr;
    }
    if (!replays()) {
        // Built while the camera is opened, so that the sensor streams from the moment it starts
        // instead of after a backlog of the time the scene took to build.
        buildScene();
    }
    auto self = std::static_pointer_cast<SimEventCamera>(shared_from_this());
    return std::make_shared<SimEventEndpoint>(self, bufferBytes, depth);
}

PulseTrain SimEventCamera::triggerSchedule(uint64_t from) const
{
    if (m_config.triggerHz <= 0) {
        return {};
    }
    PulseTrain train(from / 4096 * 4096, 1e6 / m_config.triggerHz);
    train.skipTo(from);
    return train;
}

EventTimeline SimEventCamera::buildTimeline()
{
    return replays() ? loadRecording() : buildScene();
}

void SimEventCamera::applyEffects(const SensorEffects& effects, uint64_t period, std::vector<Event2D>& events)
{
    const double maxFactor = std::max(effects.onFactor, effects.offFactor);
    const double keepOn = effects.onFactor / maxFactor, keepOff = effects.offFactor / maxFactor;
    // Error accumulators spread the dropped events evenly instead of at random.
    double onCredit = 0, offCredit = 0;
    auto kept = std::remove_if(events.begin(), events.end(), [&](const Event2D& e) {
        if (effects.roiEnabled && e.x < effects.columns.size() && e.y < effects.rows.size()) {
            const bool inside = effects.columns[e.x] && effects.rows[e.y];
            if (inside != effects.roiKeepsInside) {
                return true;
            }
        }
        double& credit = e.polarity ? onCredit : offCredit;
        credit += e.polarity ? keepOn : keepOff;
        if (credit < 1) {
            return true;
        }
        credit -= 1;
        return false;
    });
    events.erase(kept, events.end());
    if (effects.ercEnabled && period > 0) {
        const double rate = events.size() * 1e6 / period;
        if (rate > effects.ercLimit) {
            const double keep = effects.ercLimit / rate;
            double credit = 0;
            kept = std::remove_if(events.begin(), events.end(), [&](const Event2D&) {
                credit += keep;
                if (credit < 1) {
                    return true;
                }
                credit -= 1;
                return false;
            });
            events.erase(kept, events.end());
        }
    }
}

EventTimeline SimEventCamera::buildScene()
{
    const SensorEffects effects = sensorEffects();
    const double sceneRate =
        std::max(0.0, m_config.eventRate) * std::max(effects.onFactor, effects.offFactor);
    uint64_t period = kMaxPeriod;
    if (sceneRate > 0) {
        period = std::clamp<uint64_t>(static_cast<uint64_t>(kEventsPerLoop / sceneRate * 1e6) / 4096 * 4096,
                                      kMinPeriod, kMaxPeriod);
    }
    std::vector<Event2D> events;
    {
        std::lock_guard<std::mutex> lock(m_sceneMutex);
        if (m_builtTimeline && m_sceneRate == sceneRate && m_scenePeriod == period &&
            sameEffects(m_builtEffects, effects)) {
            return *m_builtTimeline;
        }
        if (m_sceneRate != sceneRate || m_scenePeriod != period) {
            m_sceneEvents.clear();
            if (sceneRate > 0) {
                SceneOptions options;
                options.width = kWidth;
                options.height = kHeight;
                options.eventsPerSecond = sceneRate;
                options.seed = m_config.seed;
                SyntheticScene scene(options, 0);
                std::vector<EventTriggerIn> none;
                scene.generate(0, period, m_sceneEvents, none);
            }
            m_sceneRate = sceneRate;
            m_scenePeriod = period;
        }
        events = m_sceneEvents;
    }
    applyEffects(effects, period, events);
    std::vector<uint8_t> bytes;
    bytes.reserve(events.size() * 3 + 64);
    Evt3Encoder encoder;
    encoder.addEvents(events.data(), events.data() + events.size(), bytes);
    EventTimeline timeline = EventTimeline::loop(std::move(bytes), period);
    std::lock_guard<std::mutex> lock(m_sceneMutex);
    m_builtTimeline = timeline;
    m_builtEffects = effects;
    return timeline;
}

EventTimeline SimEventCamera::loadRecording()
{
    std::ifstream file(m_config.rawPath, std::ios::binary);
    if (!file) {
        Logger::Instance().log_(4, kSource, __LINE__, "Cannot open recording %s for camera %s",
                                m_config.rawPath.c_str(), m_config.serial.c_str());
        return EventTimeline::recording({});
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The header is the run of lines that begin with "% ".
    size_t start = 0;
    while (start + 1 < bytes.size() && bytes[start] == '%' && bytes[start + 1] == ' ') {
        auto newline = std::find(bytes.begin() + static_cast<long>(start), bytes.end(), '\n');
        start = newline == bytes.end() ? bytes.size() : static_cast<size_t>(newline - bytes.begin()) + 1;
    }
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(start));
    return EventTimeline::recording(std::move(bytes));
}

} // namespace tarvo::sim
