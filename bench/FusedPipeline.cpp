#include "FusedPipeline.h"

#include "CpuTimes.h"
#include "VxFusionCameraDataProcessor.h"

#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoSim/SimBus.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace tarvo::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPasses = 60;
constexpr size_t kEventsPerFrame = 66000; // 2 Mev/s over one frame period
constexpr auto kWarmUp = std::chrono::seconds(1);
constexpr auto kRun = std::chrono::seconds(5);

template <typename Step> double medianMs(Step step)
{
    std::vector<double> times;
    for (int pass = 0; pass < kPasses; ++pass) {
        const auto start = Clock::now();
        step();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double copyMs(size_t bytes)
{
    std::vector<uint8_t> from(bytes, 1);
    std::vector<uint8_t> to(bytes, 0);
    return medianMs([&] {
        std::memcpy(to.data(), from.data(), bytes);
        asm volatile("" : : "r"(to.data()) : "memory");
    });
}

ApsFrame noiseFrame()
{
    ApsFrame frame(3840, 2160, 1, 2);
    std::mt19937_64 random(3);
    for (size_t i = 0; i + 8 <= frame.getDataSize(); i += 8) {
        const uint64_t word = random();
        std::memcpy(frame.data() + i, &word, 8);
    }
    return frame;
}

std::vector<Event2D> noiseEvents()
{
    std::mt19937 random(5);
    std::vector<Event2D> events;
    for (size_t i = 0; i < kEventsPerFrame; ++i) {
        events.emplace_back(uint16_t(random() % 1280), uint16_t(random() % 720), uint8_t(random() & 1), i);
    }
    return events;
}

} // namespace

void printFusedFigures()
{
    sim::SimBus::instance().setWaitScale(0.0001);
    sim::SimBus::instance().replace({sim::SimBus::defaultDevices()[2]});
    DvsCameraManager manager;
    manager.updateCameras();
    const std::shared_ptr<FusionCamera> camera = manager.openFusionCamera("DUET-0001");
    if (!camera) {
        std::printf("fused_frame_ms: no simulated fusion camera\n");
        return;
    }
    VxFusionCameraDataProcessor processor;
    // The overlay is drawn only over a connected camera's frames: the opened camera, not started.
    processor.setCamera(camera);
    std::atomic<uint64_t> shown{0};
    QObject::connect(
        &processor, &VxFusionCameraDataProcessor::signalFusionImage, &processor,
        [&shown](const QImage& image) {
            asm volatile("" : : "r"(image.constBits()) : "memory");
            ++shown;
        },
        Qt::DirectConnection);

    // One picture as the camera's threads make it: the events of a frame period, the frame's sync
    // edge, the frame (its deep copy), the mapping, the overlay and the emit.
    const ApsFrame frame = noiseFrame();
    const std::vector<Event2D> events = noiseEvents();
    uint64_t edge = 0;
    const double fusedMs = medianMs([&] {
        processor.fusionProcessor().addDvsData(events.data(), events.data() + events.size());
        processor.fusionProcessor().addSyncSignal(EventTriggerIn(0, 1, ++edge));
        processor.fusionProcessor().addApsData(frame);
    });
    // Bound: copying the frame once and writing the picture twice (mapped frame, image).
    const double boundMs = copyMs(frame.getDataSize()) + 2 * copyMs(size_t(1280) * 720 * 3);
    std::printf("fused_frame_ms: %.3f ms\n", fusedMs);
    std::printf("fused_copy_bound_ms: %.3f ms\n", boundMs);
    std::printf("fused_to_bound_ratio: %.2f\n", fusedMs / boundMs);
    std::printf("fused_pictures: %llu\n", static_cast<unsigned long long>(shown.load()));

    // The live path: the simulated camera's frames and events through the processor, against the
    // frames the camera delivered in the same window.
    if (camera->start(DVS_APS_STREAM) != 0) {
        std::printf("fused_frames_per_s: the camera did not start\n");
        return;
    }
    std::this_thread::sleep_for(kWarmUp);
    const uint64_t shownBefore = shown;
    const uint64_t deliveredBefore = camera->getStreamStatistics().framesDelivered;
    const double cpuBefore = processCpuSeconds();
    const auto start = Clock::now();
    std::this_thread::sleep_for(kRun);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const uint64_t pictures = shown - shownBefore;
    const uint64_t delivered = camera->getStreamStatistics().framesDelivered - deliveredBefore;
    const double cpu = processCpuSeconds() - cpuBefore;
    processor.setCamera(nullptr);
    camera->stop(DVS_APS_STREAM);
    std::printf("fused_frames_per_s: %.1f frames/s\n", pictures / elapsed);
    std::printf("camera_frames_per_s: %.1f frames/s\n", delivered / elapsed);
    std::printf("fused_pipeline_cpu_cores: %.2f cores\n", cpu / elapsed);
}

} // namespace tarvo::bench
