#include "Commands.h"
#include "Options.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoHal/Evt3Encoder.h"
#include "sim/SyntheticScene.h"

#include <chrono>
#include <cstdio>
#include <fstream>

namespace tarvo::cli {
namespace {

// Event time at which synthetic recordings start, as if the camera had run for a second.
constexpr uint64_t kStartUs = 1000000;
// Scene time encoded and written per step, so memory stays small for long recordings.
constexpr uint64_t kStepUs = 10000;

} // namespace

int synthCommand(const std::vector<std::string>& args)
{
    const Options options(args, {"duration-us", "rate-mev", "trigger-hz", "seed"});
    if (options.positional().size() != 1) {
        std::fprintf(
            stderr,
            "usage: tarvo synth OUT.raw [--duration-us N] [--rate-mev R] [--trigger-hz F] [--seed S]\n");
        return 2;
    }
    const std::string path = options.positional()[0];
    const uint64_t duration = options.unsignedValue("duration-us", 1000000);
    sim::SceneOptions scene;
    scene.eventsPerSecond = options.doubleValue("rate-mev", 1.0) * 1e6;
    scene.triggerHz = options.doubleValue("trigger-hz", 0);
    scene.seed = options.unsignedValue("seed", 1);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "tarvo synth: cannot create '%s'\n", path.c_str());
        return 1;
    }
    DvsFileInfo info;
    info.dvs_start_timestamp = kStartUs;
    info.serial_number = "SYNTH-" + std::to_string(scene.seed);
    info.date = std::chrono::time_point_cast<WallTimeTicks>(
        std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::system_clock::now()));
    out << generateDvsFileHeader(info);

    sim::SyntheticScene generator(scene, kStartUs);
    Evt3Encoder encoder(kStartUs);
    encoder.setTimeHighRepeatPeriod(16);
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    std::vector<uint8_t> words;
    uint64_t eventCount = 0;
    for (uint64_t from = kStartUs; from < kStartUs + duration; from += kStepUs) {
        const uint64_t to = std::min(from + kStepUs, kStartUs + duration);
        events.clear();
        triggers.clear();
        words.clear();
        generator.generate(from, to, events, triggers);
        encoder.addMerged(events, triggers, words);
        out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size()));
        eventCount += events.size();
        if (!out) {
            std::fprintf(stderr, "tarvo synth: writing '%s' failed\n", path.c_str());
            return 1;
        }
    }
    words.clear();
    encoder.addTime(kStartUs + duration, words);
    out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "tarvo synth: closing '%s' failed\n", path.c_str());
        return 1;
    }
    std::printf("wrote %s: %llu events over %llu us\n", path.c_str(),
                static_cast<unsigned long long>(eventCount), static_cast<unsigned long long>(duration));
    return 0;
}

} // namespace tarvo::cli
