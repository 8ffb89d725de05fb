// Throughput of a simulated event camera streaming as fast as the host reads it, through the
// whole hardware layer (endpoint thread, transfers, decoding), against the rate at which this
// machine can copy the same bytes in memory at all.
#include "TarvoHal/DataTransfer.h"
#include "TarvoHal/DecoderFactory.h"
#include "TarvoHal/EventStream.h"
#include "TarvoHal/RegisterController.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoSim/SimBus.h"
#include "sensor/Imx636RegisterTable.h"
#include "sensor/Imx636Sequences.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kSeconds = 3.0;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Best of several passes copying a 256 MiB buffer.
double copyBytesPerSecond()
{
    const size_t size = size_t{256} << 20;
    std::vector<uint8_t> from(size, 1), to(size, 0);
    double best = 0;
    for (int pass = 0; pass < 5; ++pass) {
        const auto start = Clock::now();
        std::memcpy(to.data(), from.data(), size);
        asm volatile("" : : "r"(to.data()) : "memory");
        best = std::max(best, static_cast<double>(size) / seconds(Clock::now() - start));
    }
    return best;
}

} // namespace

int main()
{
    tarvo::sim::DeviceConfig config;
    config.serial = "BENCH-0001";
    config.eventRate = 50e6;
    config.paced = false;
    auto& bus = tarvo::sim::SimBus::instance();
    bus.replace({config});
    bus.setWaitScale(0);

    const auto found = tarvo::UsbInterface::findUsbDvsCamera(config.vendorId, config.productId);
    if (found.empty()) {
        std::fprintf(stderr, "no simulated camera\n");
        return 1;
    }
    auto interface = tarvo::UsbInterface::createUsbInterface(found[0]);
    tarvo::RegisterController registers(interface, tarvo::IMX636_REGISTER_TABLE,
                                        tarvo::IMX636_REGISTER_TABLE_SIZE, "PSEE/IMX636/");
    registers.ApplyRegisterOperationSequence(tarvo::imx636StopSequence());
    registers.ApplyRegisterOperationSequence(tarvo::imx636PowerUpSequence());
    registers.ApplyRegisterOperationSequence(tarvo::imx636ConfigurationSequence());

    tarvo::EventStream stream(tarvo::createDataTransferUniquePtr(interface, 2, 0x20000, 20, 0x52));
    auto decoder =
        tarvo::DecoderFactory::createUniqueDecoder(tarvo::RawEventStreamFormat("EVT3;height=720;width=1280"));
    uint64_t events = 0;
    uint64_t checksum = 0;
    decoder->setEventsStreamHandleCallback([&](const tarvo::Event2D* first, const tarvo::Event2D* last) {
        events += static_cast<uint64_t>(last - first);
        checksum += last[-1].x;
    });
    stream.start();
    registers.ApplyRegisterOperationSequence(tarvo::imx636StartSequence());

    // The clock starts with the first buffer: building the scene is not streaming.
    uint64_t bytes = 0;
    Clock::time_point start;
    bool started = false;
    while (!started || seconds(Clock::now() - start) < kSeconds) {
        if (stream.waitNextBuffer() <= 0) {
            continue;
        }
        auto buffer = stream.getLatestBuffer();
        if (!buffer || !*buffer) {
            continue;
        }
        if (!started) {
            started = true;
            start = Clock::now();
        }
        bytes += (*buffer)->size();
        decoder->decode(**buffer);
    }
    const double elapsed = seconds(Clock::now() - start);
    registers.ApplyRegisterOperationSequence(tarvo::imx636StopSequence());
    stream.stop();
    asm volatile("" : : "r"(checksum));

    const double rate = static_cast<double>(events) / elapsed;
    const double bytesPerEvent =
        static_cast<double>(bytes) / static_cast<double>(std::max<uint64_t>(events, 1));
    const double copy = copyBytesPerSecond();
    const double bound = copy / bytesPerEvent;
    std::printf("sim_events: %llu\n", static_cast<unsigned long long>(events));
    std::printf("sim_bytes_per_event: %.2f\n", bytesPerEvent);
    std::printf("sim_mev_per_s: %.1f\n", rate / 1e6);
    std::printf("memcpy_gb_per_s: %.2f\n", copy / 1e9);
    std::printf("copy_bound_mev_per_s: %.1f\n", bound / 1e6);
    std::printf("sim_to_bound_ratio: %.3f\n", rate / bound);
    return 0;
}
