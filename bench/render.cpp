// The playback engine's picture path: counting batches of events into the per-pixel polarity
// counters, and turning the counters into a 1280 x 720 picture on the render thread, against
// the time this machine takes to copy the same amounts of memory.
#include "AppConfig.h"
#include "TarvoSim/SyntheticScene.h"
#include "VxEventProcessor.h"

#include <QCoreApplication>
#include <QImage>
#include <QStandardPaths>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using tarvo::Event2D;

constexpr size_t kBatch = 1000000;
constexpr int kPasses = 40;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median time to copy `bytes` from one buffer to another.
double copyMs(size_t bytes)
{
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    std::vector<double> times;
    for (int pass = 0; pass < kPasses; ++pass) {
        const auto start = Clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        asm volatile("" : : "r"(to.data()) : "memory");
        times.push_back(ms(Clock::now() - start));
    }
    return median(times);
}

// Batches of 1 M events: from the moving scene (bars, row runs, noise) and uniformly random
// pixels (the worst case for the caches).
std::vector<std::vector<Event2D>> makeBatches()
{
    std::vector<std::vector<Event2D>> batches;
    tarvo::sim::SceneOptions options;
    options.eventsPerSecond = 30e6;
    tarvo::sim::SyntheticScene scene(options, 0);
    std::vector<tarvo::EventTriggerIn> triggers;
    uint64_t t = 0;
    for (int i = 0; i < 4; ++i) {
        std::vector<Event2D> events;
        while (events.size() < kBatch) {
            scene.generate(t, t + 1000, events, triggers);
            t += 1000;
        }
        events.resize(kBatch);
        batches.push_back(std::move(events));
    }
    std::mt19937_64 random(5);
    std::vector<Event2D> uniform(kBatch);
    for (size_t i = 0; i < kBatch; ++i) {
        uniform[i] = Event2D(uint16_t(random() % 1280), uint16_t(random() % 720), uint8_t(random() & 1), i);
    }
    batches.push_back(std::move(uniform));
    return batches;
}

} // namespace

int main(int argc, char* argv[])
{
    // The configuration supplies the theme; keep the user's own settings out of it.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    AppConfig config;
    VxEventProcessor engine(&config);

    std::mutex mutex; // guards `rendered`
    std::condition_variable renderedChanged;
    uint64_t rendered = 0;
    // Runs on the render thread; the picture is not kept.
    QObject::connect(
        &engine, &VxEventProcessor::signalEventImage, &engine,
        [&](QImage) {
            std::lock_guard<std::mutex> lock(mutex);
            ++rendered;
            renderedChanged.notify_all();
        },
        Qt::DirectConnection);
    auto presentAndWait = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        const uint64_t target = rendered + 1;
        lock.unlock();
        engine.present();
        lock.lock();
        renderedChanged.wait(lock, [&] { return rendered >= target; });
    };

    const std::vector<std::vector<Event2D>> batches = makeBatches();
    std::vector<double> accumulateTimes;
    std::vector<double> uniformTimes;
    std::vector<double> renderTimes;
    for (int pass = 0; pass < kPasses; ++pass) {
        const std::vector<Event2D>& batch = batches[size_t(pass) % batches.size()];
        auto start = Clock::now();
        engine.accumulate(batch.data(), batch.data() + batch.size());
        const bool uniform = size_t(pass) % batches.size() == batches.size() - 1;
        (uniform ? uniformTimes : accumulateTimes).push_back(ms(Clock::now() - start));
        // Swap, clearing of the next counters and the paint, as one frame costs the engine.
        start = Clock::now();
        presentAndWait();
        renderTimes.push_back(ms(Clock::now() - start));
    }

    // The picture is 32 bits a pixel.
    const double renderMs = median(renderTimes);
    const double accumulateMs = median(accumulateTimes) * 1e6 / double(kBatch);
    const double uniformMs = median(uniformTimes) * 1e6 / double(kBatch);
    const double copyFrame = copyMs(size_t(1280) * 720 * 4);
    const double copyMev = copyMs(kBatch * sizeof(Event2D));
    std::printf("render_ms_per_frame: %.3f ms\n", renderMs);
    std::printf("accumulate_ms_per_mev: %.3f ms\n", accumulateMs);
    std::printf("accumulate_uniform_ms_per_mev: %.3f ms\n", uniformMs);
    std::printf("copy_frame_ms: %.3f ms\n", copyFrame);
    std::printf("copy_counters_ms: %.3f ms\n", copyMs(size_t(1280) * 720 * 2 * sizeof(uint16_t)));
    std::printf("copy_mev_ms: %.3f ms\n", copyMev);
    std::printf("render_to_copy_frame_ratio: %.1f\n", renderMs / copyFrame);
    std::printf("accumulate_to_copy_mev_ratio: %.2f\n", accumulateMs / copyMev);
    std::printf("accumulate_uniform_to_copy_mev_ratio: %.2f\n", uniformMs / copyMev);
    return 0;
}
