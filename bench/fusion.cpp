// The live path of a fusion camera: a simulated fusion camera sends 3840 × 2160 NV12 frames at 30
// a second and 10 Mev/s of events in real time; the camera opened through DvsCameraManager pairs
// every frame with its trigger edge, converts it to BGR for one frame callback and decodes the
// events for one event callback. Against a copy of one BGR frame, measured in the same run.
#include "CpuTimes.h"
#include "TarvoDriver/DataToVideoConverter.h"
#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoSim/SimBus.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kEventRate = 10e6;
constexpr auto kRun = std::chrono::seconds(10);
constexpr auto kWarmUp = std::chrono::seconds(1);
constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr size_t kNv12Bytes = size_t{kWidth} * kHeight * 3 / 2;
constexpr size_t kBgrBytes = size_t{kWidth} * kHeight * 3;
constexpr int kTimedPasses = 30;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// A picture like the camera's: a diagonal luma ramp, neutral chroma.
std::vector<uint8_t> samplePicture()
{
    std::vector<uint8_t> nv12(kNv12Bytes, 128);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            nv12[static_cast<size_t>(y) * kWidth + x] = static_cast<uint8_t>(16 + ((x + y) / 32) % 200);
        }
    }
    return nv12;
}

// The median of the passes' thread CPU times, in milliseconds.
template <class Job> double medianMs(Job job)
{
    std::vector<double> times;
    for (int pass = 0; pass < kTimedPasses; ++pass) {
        const double start = tarvo::bench::threadCpuNow();
        job();
        times.push_back((tarvo::bench::threadCpuNow() - start) * 1000);
    }
    std::nth_element(times.begin(), times.begin() + kTimedPasses / 2, times.end());
    return times[kTimedPasses / 2];
}

} // namespace

int main()
{
    tarvo::sim::DeviceConfig config = tarvo::sim::SimBus::defaultDevices()[2];
    config.serial = "BENCH-FUSION";
    config.eventRate = kEventRate;
    auto& bus = tarvo::sim::SimBus::instance();
    bus.replace({config});
    bus.setWaitScale(0);

    tarvo::DvsCameraManager manager;
    manager.updateCameras();
    auto camera = manager.openFusionCamera(config.serial);
    if (!camera || !camera->isConnected()) {
        std::fprintf(stderr, "cannot open the simulated fusion camera\n");
        return 1;
    }
    std::atomic<uint64_t> frames{0};
    std::atomic<uint64_t> events{0};
    camera->addApsFrameCallback(
        [&frames](tarvo::ApsFrame) { frames.fetch_add(1, std::memory_order_relaxed); });
    camera->addEventsStreamHandleCallback([&events](tarvo::Event2D* first, tarvo::Event2D* last) {
        events.fetch_add(static_cast<uint64_t>(last - first), std::memory_order_relaxed);
    });
    if (camera->start(tarvo::DVS_APS_STREAM) != 0) {
        std::fprintf(stderr, "the camera did not start\n");
        return 1;
    }

    // The clock starts a second after the first frame: building the scene, and the catch-up of
    // the stream it delays, are not streaming.
    while (frames.load() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(kWarmUp);
    const auto start = Clock::now();
    const double cpuStart = tarvo::bench::processCpuSeconds();
    const auto threadsStart = tarvo::bench::threadCpuSeconds();
    const uint64_t framesStart = frames.load();
    const uint64_t eventsStart = events.load();
    std::this_thread::sleep_for(kRun);
    const double elapsed = seconds(Clock::now() - start);
    const double cpu = tarvo::bench::processCpuSeconds() - cpuStart;
    auto threads = tarvo::bench::threadCpuSince(threadsStart);
    const uint64_t delivered = frames.load() - framesStart;
    const uint64_t streamed = events.load() - eventsStart;
    camera->stop(tarvo::DVS_APS_STREAM);
    const tarvo::FusionStreamStatistics counts = camera->getStreamStatistics();

    // One frame's conversion as the fusion thread does it, and the bound: writing one BGR frame.
    const std::vector<uint8_t> nv12 = samplePicture();
    std::vector<uint8_t> bgr(kBgrBytes), copy(kBgrBytes);
    tarvo::DataToVideoConverter converter;
    converter.setConverterFmt(AV_PIX_FMT_NV12, AV_PIX_FMT_BGR24);
    converter.setConverterFrameSize(kHeight, kWidth, kHeight, kWidth);
    const double convertMs = medianMs([&] { converter.nv12ToRGB(nv12.data(), bgr.data()); });
    const double copyMs = medianMs([&] { std::memcpy(copy.data(), bgr.data(), kBgrBytes); });
    double load = 0;
    getloadavg(&load, 1);

    std::printf("frames_target_per_s: 30.0\n");
    std::printf("frames_delivered_per_s: %.2f\n", static_cast<double>(delivered) / elapsed);
    std::printf("frames_dropped: %llu\n", static_cast<unsigned long long>(counts.framesDropped));
    std::printf("frame_times_dropped: %llu\n", static_cast<unsigned long long>(counts.frameTimesDropped));
    std::printf("event_buffers_dropped: %llu\n", static_cast<unsigned long long>(counts.eventBuffersDropped));
    std::printf("events_mev_per_s: %.2f\n", static_cast<double>(streamed) / elapsed / 1e6);
    std::printf("frame_convert_ms: %.2f\n", convertMs);
    std::printf("frame_copy_ms: %.2f\n", copyMs);
    std::printf("convert_to_copy_ratio: %.1f\n", convertMs / copyMs);
    std::printf("live_cpu_percent: %.1f\n", 100 * cpu / elapsed);
    // The simulated camera's endpoint threads stand for the device: a real camera costs the host
    // nothing for them.
    std::printf("live_host_cpu_percent: %.1f\n", 100 * (cpu - threads["sim-endpoint"]) / elapsed);
    for (const char* name : {"tarvo-fusion", "tarvo-dvs", "tarvo-intake", "tarvo-stats", "sim-endpoint"}) {
        std::printf("thread_%s_cpu_percent: %.1f\n", name, 100 * threads[name] / elapsed);
    }
    std::printf("load_average_1min: %.2f\n", load);
    return 0;
}
