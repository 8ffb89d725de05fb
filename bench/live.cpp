// A live event camera at about the sensor's saturation, through the driver's whole live path:
// a simulated camera streams the synthetic scene at 50 Mev/s in real time, the camera's stream
// thread takes every buffer, decodes it, batches by time (1/30 s) and calls one event callback,
// and one consumer thread takes the batches with getNextBatch, as the viewer's live loop does.
// Against the decoder's own rate on a sample of the same stream, measured in the same run.
#include "CpuTimes.h"
#include "SimulatedCamera.h"
#include "TarvoHal/DecoderFactory.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using tarvo::bench::processCpuSeconds;
using tarvo::bench::threadCpuNow;
using tarvo::bench::threadCpuSeconds;

constexpr double kEventRate = 50e6;
constexpr auto kRun = std::chrono::seconds(10);
constexpr auto kWarmUp = std::chrono::seconds(1);
constexpr uint64_t kBatchUs = 33333;
constexpr size_t kSampleBytes = size_t{64} << 20;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Takes the recorder's place to keep the first raw bytes of the stream as a sample.
class SamplingRecorder : public tarvo::RawStreamRecorder
{
public:
    void setClock(Clock) override {}
    void setFileInfo(const tarvo::DvsFileInfo&) override {}
    bool isActive() const override { return true; }
    void pushData(const std::vector<uint8_t>& bytes) override
    {
        if (sample.size() < kSampleBytes) {
            sample.insert(sample.end(), bytes.begin(), bytes.end());
        }
    }
    void setFileCacheTime(uint16_t, const std::string&) override {}
    bool startRecording(const std::string&, const tarvo::DvsFileInfo&) override { return false; }
    bool stopRecording() override { return false; }

    // Written by the stream thread only; read after it has been joined.
    std::vector<uint8_t> sample;
};

// Events per CPU second of one core decoding the sample (best of three passes).
double decodeRate(const std::vector<uint8_t>& sample, uint64_t& events)
{
    double best = 0;
    for (int pass = 0; pass < 3; ++pass) {
        auto decoder = tarvo::DecoderFactory::createUniqueDecoder(
            tarvo::RawEventStreamFormat("EVT3;height=720;width=1280"));
        uint64_t count = 0;
        decoder->setEventsStreamHandleCallback(
            [&count](const tarvo::Event2D* first, const tarvo::Event2D* last) { count += last - first; });
        const double start = threadCpuNow();
        decoder->decode(sample);
        best = std::max(best, static_cast<double>(count) / (threadCpuNow() - start));
        events = count;
    }
    return best;
}

} // namespace

int main()
{
    tarvo::DvsCameraManager manager;
    auto recorder = std::make_unique<SamplingRecorder>();
    SamplingRecorder& sampling = *recorder;
    auto camera = openSimulatedCamera(manager, "BENCH-LIVE", kEventRate, std::move(recorder));
    if (!camera) {
        return 1;
    }

    std::atomic<uint64_t> events{0};
    camera->addEventsStreamHandleCallback([&events](tarvo::Event2D* first, tarvo::Event2D* last) {
        events.fetch_add(static_cast<uint64_t>(last - first), std::memory_order_relaxed);
    });
    camera->setBatchEventsTime(kBatchUs);
    if (camera->start() != 0) {
        std::fprintf(stderr, "the camera did not start\n");
        return 1;
    }
    std::atomic<uint64_t> batches{0};
    std::thread consumer([&] {
        std::vector<tarvo::Event2D> batch;
        while (camera->getNextBatch(batch)) {
            ++batches;
        }
    });

    // The clock starts a second after the first events: building the scene, and the catch-up
    // of the stream it delays, are not streaming.
    while (events.load() == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(kWarmUp);
    const auto start = Clock::now();
    const double cpuStart = processCpuSeconds();
    const auto threadsStart = threadCpuSeconds();
    const uint64_t eventsStart = events.load();
    const uint64_t batchesStart = batches.load();
    std::this_thread::sleep_for(kRun);
    const double elapsed = seconds(Clock::now() - start);
    const double cpu = processCpuSeconds() - cpuStart;
    auto threads = tarvo::bench::threadCpuSince(threadsStart);
    const uint64_t streamed = events.load() - eventsStart;
    const uint64_t handed = batches.load() - batchesStart;
    camera->stop();
    consumer.join();
    const uint64_t dropped = camera->getDroppedBufferCount();

    uint64_t sampleEvents = 0;
    const double bound = decodeRate(sampling.sample, sampleEvents);
    const double rate = static_cast<double>(streamed) / elapsed;
    const double decodeCpu = static_cast<double>(streamed) / bound;
    double load = 0;
    getloadavg(&load, 1);

    std::printf("live_target_mev_per_s: %.1f\n", kEventRate / 1e6);
    std::printf("live_sustained_mev_per_s: %.2f\n", rate / 1e6);
    std::printf("live_dropped_buffers: %llu\n", static_cast<unsigned long long>(dropped));
    std::printf("live_batches_per_s: %.1f\n", static_cast<double>(handed) / elapsed);
    std::printf("live_bytes_per_event: %.2f\n", static_cast<double>(sampling.sample.size()) /
                                                    static_cast<double>(std::max<uint64_t>(sampleEvents, 1)));
    std::printf("live_cpu_percent: %.1f\n", 100 * cpu / elapsed);
    // The simulated camera's own thread stands for the device: a real camera costs the host
    // nothing for it.
    std::printf("live_host_cpu_percent: %.1f\n", 100 * (cpu - threads["sim-endpoint"]) / elapsed);
    for (const char* name : {"tarvo-stream", "tarvo-intake", "tarvo-stats", "sim-endpoint"}) {
        std::printf("thread_%s_cpu_percent: %.1f\n", name, 100 * threads[name] / elapsed);
    }
    std::printf("decode_bound_mev_per_s: %.1f\n", bound / 1e6);
    std::printf("decode_share_of_cpu: %.2f\n", decodeCpu / cpu);
    std::printf("sustained_to_bound_ratio: %.3f\n", rate / bound);
    std::printf("load_average_1min: %.2f\n", load);
    return 0;
}
