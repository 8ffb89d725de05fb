#include "CameraCommands.h"
#include "Options.h"
#include "StreamWait.h"

#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/DvsCameraManager.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>

namespace tarvo::cli {
namespace {

// What the camera's threads count while it streams.
struct Totals
{
    std::atomic<uint64_t> events{0};
    std::atomic<uint64_t> triggerEdges{0};
    std::atomic<uint64_t> seconds{0};
};

} // namespace

int streamCommand(const std::vector<std::string>& args)
{
    const Options options(args, {"serial", "seconds", "config"});
    const std::string serial = options.text("serial");
    if (!options.positional().empty() || !options.has("serial")) {
        std::fprintf(stderr, "usage: tarvo stream --serial S [--seconds N] [--config FILE]\n");
        return 2;
    }
    const uint64_t seconds = options.unsignedValue("seconds", 5);
    DvsCameraManager manager;
    const auto camera = openEventCamera(manager, "stream", serial, options.text("config"));
    if (!camera) {
        return 1;
    }

    Totals totals;
    camera->addEventsStreamHandleCallback(
        [&totals](Event2D* first, Event2D* last) { totals.events += static_cast<uint64_t>(last - first); });
    camera->addTriggerInCallback([&totals](EventTriggerIn) { ++totals.triggerEdges; });
    DvsCamera* raw = camera.get();
    camera->setStatisticInfoCallback([&totals, raw](VxStatisticInfo info) {
        std::printf("%llu s: %.2f Mev/s, %.1f MB/s, %llu dropped buffers\n",
                    static_cast<unsigned long long>(++totals.seconds),
                    static_cast<double>(info.eventRate) / 1e6,
                    static_cast<double>(info.dataRate) / 1024 / 1024,
                    static_cast<unsigned long long>(raw->getDroppedBufferCount()));
        std::fflush(stdout);
    });

    if (camera->start() != 0) {
        std::fprintf(stderr, "tarvo stream: camera '%s' did not start\n", serial.c_str());
        return 1;
    }
    const auto begin = std::chrono::steady_clock::now();
    const bool lost = streamWhileConnected(seconds, [&camera] { return camera->isConnected(); });
    camera->stop();
    camera->setStatisticInfoCallback(nullptr);

    std::printf("streamed_s: %.1f\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    std::printf("events: %llu\n", static_cast<unsigned long long>(totals.events.load()));
    std::printf("trigger_edges: %llu\n", static_cast<unsigned long long>(totals.triggerEdges.load()));
    std::printf("dropped_buffers: %llu\n", static_cast<unsigned long long>(camera->getDroppedBufferCount()));
    if (lost) {
        std::fprintf(stderr, "tarvo stream: camera '%s' lost its connection\n", serial.c_str());
        return 1;
    }
    return 0;
}

} // namespace tarvo::cli
