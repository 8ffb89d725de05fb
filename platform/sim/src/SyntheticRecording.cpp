#include "TarvoSim/SyntheticRecording.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoHal/Evt3Encoder.h"

#include <chrono>
#include <fstream>

namespace tarvo::sim {
namespace {

constexpr uint64_t kSliceUs = 10000;

} // namespace

SyntheticRecordingResult writeSyntheticRecording(const std::string& path, const RecordingRecipe& recipe)
{
    SyntheticRecordingResult result;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return result;
    }
    DvsFileInfo info;
    info.width = recipe.scene.width;
    info.height = recipe.scene.height;
    info.dvs_start_timestamp = recipe.startUs;
    info.serial_number = recipe.serialNumber;
    info.date = std::chrono::time_point_cast<WallTimeTicks>(
        std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::system_clock::now()));
    const std::string header = generateDvsFileHeader(info);
    out << header;
    result.bytes = header.size();

    SyntheticScene scene(recipe.scene, recipe.startUs);
    Evt3Encoder encoder(recipe.startUs);
    encoder.setTimeHighRepeatPeriod(16);
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    std::vector<uint8_t> words;
    uint64_t time = recipe.startUs;
    const auto wantsMore = [&] {
        return time < recipe.startUs + recipe.durationUs ||
               (recipe.minBytes != 0 && result.bytes < recipe.minBytes);
    };
    while (wantsMore() && out) {
        const uint64_t to = recipe.minBytes != 0
                                ? time + kSliceUs
                                : std::min(time + kSliceUs, recipe.startUs + recipe.durationUs);
        events.clear();
        triggers.clear();
        words.clear();
        scene.generate(time, to, events, triggers);
        encoder.addMerged(events, triggers, words);
        out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size()));
        result.events += events.size();
        result.triggers += triggers.size();
        result.bytes += words.size();
        time = to;
    }
    // The payload ends at the end of the requested time, even when its last events came earlier.
    words.clear();
    encoder.addTime(time, words);
    out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size()));
    result.bytes += words.size();
    result.endUs = time;
    out.close();
    result.written = static_cast<bool>(out);
    return result;
}

} // namespace tarvo::sim
