#include "RawTestSupport.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoBase/Logger.h"
#include "TarvoHal/DecoderFactory.h"
#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tarvo::test {

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

void writeFile(const std::string& path, const std::string& header, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    writeBytes(path, bytes);
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

SceneRecording writeSceneRecording(const std::string& path, const SceneRecipe& recipe)
{
    SceneRecording recording;
    recording.path = path;
    sim::SceneOptions options;
    options.width = recipe.width;
    options.height = recipe.height;
    options.eventsPerSecond = recipe.eventsPerSecond;
    options.triggerHz = recipe.triggerHz;
    options.seed = recipe.seed;
    sim::SyntheticScene scene(options, recipe.startTime);
    std::vector<Event2D> events;
    scene.generate(recipe.startTime, recipe.startTime + recipe.durationUs, events, recording.triggers);
    for (const Event2D& e : events) {
        if (e.timestamp < recipe.gapFrom || e.timestamp >= recipe.gapTo) {
            recording.events.push_back(e);
        }
    }
    Evt3Encoder encoder(recipe.startTime);
    encoder.setTimeHighRepeatPeriod(recipe.timeHighRepeatUs);
    encoder.addMerged(recording.events, recording.triggers, recording.payload);
    encoder.addTime(recipe.startTime + recipe.durationUs, recording.payload);

    DvsFileInfo info;
    info.width = recipe.width;
    info.height = recipe.height;
    info.serial_number = "TEST-1";
    info.dvs_start_timestamp = recipe.headerStart == ~uint64_t{0} ? recipe.startTime : recipe.headerStart;
    const std::string header = generateDvsFileHeader(info);
    recording.payloadStart = header.size();
    writeFile(path, header, recording.payload);
    return recording;
}

uint64_t headerLength(const std::vector<uint8_t>& file)
{
    size_t pos = 0;
    while (pos < file.size() && file[pos] == '%') {
        size_t end = pos;
        while (end < file.size() && file[end] != '\n') {
            ++end;
        }
        const std::string line(file.begin() + static_cast<long>(pos), file.begin() + static_cast<long>(end));
        pos = std::min(file.size(), end + 1);
        if (line == "% end") {
            break;
        }
    }
    return pos;
}

std::vector<BookmarkRecord> referenceBookmarks(const std::vector<uint8_t>& file, uint64_t payloadStart,
                                               uint64_t dvsStart)
{
    auto decoder = DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"));
    const uint64_t wordEnd = payloadStart + (file.size() - payloadStart) / 2 * 2;
    std::vector<BookmarkRecord> marks;
    uint64_t anchorPos = payloadStart;
    uint64_t anchorTime = dvsStart;
    decoder->setLastTimestamp(&anchorTime);
    for (uint64_t pos = payloadStart; pos < wordEnd; pos += 2) {
        decoder->advanceTime(file.data() + pos, file.data() + pos + 2);
        const uint64_t t = decoder->getLastTimestamp();
        if (anchorTime == 0) {
            if (t != 0) {
                anchorTime = t;
            }
            continue;
        }
        if (t >= anchorTime + 2000) {
            marks.push_back({anchorTime, anchorPos, anchorTime, 0});
            anchorPos = pos;
            anchorTime = t;
        }
    }
    if (wordEnd > payloadStart) {
        marks.push_back({decoder->getLastTimestamp(), wordEnd, decoder->getLastTimestamp(), 0});
    }
    uint64_t running = 0;
    for (size_t i = 1; i < marks.size(); ++i) {
        const std::vector<uint8_t> bytes(file.begin() + static_cast<long>(marks[i - 1].bytePos),
                                         file.begin() + static_cast<long>(marks[i].bytePos));
        running += decoder->decode(bytes);
        marks[i].eventCount = static_cast<uint32_t>(running);
    }
    return marks;
}

std::vector<BookmarkRecord> parseBookmarkFile(const std::vector<uint8_t>& bytes)
{
    std::vector<BookmarkRecord> records;
    const auto zero = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    EXPECT_NE(zero, bytes.end());
    if (zero == bytes.end()) {
        return records;
    }
    const size_t body = static_cast<size_t>(zero - bytes.begin()) + 1;
    EXPECT_GE(bytes.size(), body + 9);
    if (bytes.size() < body + 9) {
        return records;
    }
    uint64_t count = 0;
    std::memcpy(&count, bytes.data() + body, 8);
    EXPECT_EQ(bytes.size(), body + 8 + count * 29 + 1);
    if (bytes.size() != body + 8 + count * 29 + 1) {
        return records;
    }
    const uint8_t* p = bytes.data() + body + 8;
    for (uint64_t i = 0; i < count; ++i, p += 29) {
        BookmarkRecord r;
        std::memcpy(&r.key, p, 8);
        std::memcpy(&r.bytePos, p + 8, 8);
        std::memcpy(&r.timestamp, p + 17, 8);
        std::memcpy(&r.eventCount, p + 25, 4);
        records.push_back(r);
    }
    return records;
}

std::string markPathOf(const std::string& rawPath)
{
    return rawPath.substr(0, rawPath.rfind(".raw")) + ".vxmark.tmp";
}

} // namespace tarvo::test
