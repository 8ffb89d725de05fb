// Video export speed: 10 s of a 10 Mev/s synthetic recording rendered to H.264 at 30 pictures
// a second of event time, against real time and against reading the same range without
// encoding (the decoding bound measured in the same run).
#include "TarvoBase/Logger.h"
#include "TarvoDriver/RawFileReader.h"
#include "TarvoSim/SyntheticRecording.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdlib.h>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kStartUs = 1000000;
constexpr uint64_t kDurationUs = 10000000;
constexpr uint64_t kPeriodUs = 33333;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main()
{
    tarvo::Logger::Instance().setStderrLevel(4);
    std::string folder = (std::filesystem::temp_directory_path() / "tarvo-export-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const std::string raw = folder + "/scene.raw";
    const std::string video = folder + "/scene.mp4";
    tarvo::sim::RecordingRecipe recipe;
    recipe.startUs = kStartUs;
    recipe.durationUs = kDurationUs + kPeriodUs;
    recipe.scene.eventsPerSecond = 10e6;
    const auto recording = tarvo::sim::writeSyntheticRecording(raw, recipe);

    int status = 1;
    tarvo::RawFileReader reader(raw);
    if (recording.written && reader.loadFile()) {
        // The bound: the same windows decoded but not rendered or encoded.
        const auto readStart = Clock::now();
        reader.seekTime(kStartUs);
        uint64_t windows = 0;
        for (uint64_t t = kStartUs; t < kStartUs + kDurationUs; t += kPeriodUs, ++windows) {
            reader.getNTimeEvents(kPeriodUs);
        }
        const double readSeconds = seconds(Clock::now() - readStart);

        const auto exportStart = Clock::now();
        const bool exported = reader.exportEventDataToVideo(kStartUs, kStartUs + kDurationUs, video);
        const double exportSeconds = seconds(Clock::now() - exportStart);
        if (exported) {
            const double picturesPerSecond = static_cast<double>(windows) / exportSeconds;
            std::printf(
                "encoder: libx264 (library defaults), H.264 all key frames, 60 Mbit/s, 1280x720 yuv420p\n");
            std::printf("events: %llu\n", static_cast<unsigned long long>(recording.events));
            std::printf("pictures: %llu\n", static_cast<unsigned long long>(windows));
            std::printf("decode_only_pictures_per_s: %.1f\n", static_cast<double>(windows) / readSeconds);
            std::printf("export_pictures_per_s: %.1f\n", picturesPerSecond);
            std::printf("export_to_decode_ratio: %.3f\n", readSeconds / exportSeconds);
            std::printf("realtime_ratio: %.2f\n", picturesPerSecond / 30.0);
            status = 0;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (status != 0) {
        std::fprintf(stderr, "export benchmark failed\n");
    }
    return status;
}
