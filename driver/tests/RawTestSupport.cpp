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

std::vector<uint8_t> randomCameraWords(std::mt19937_64& random, size_t bytes, uint32_t firstHigh,
                                       uint32_t timeLowEvery)
{
    uint32_t high = firstHigh & 0xFFF;
    std::vector<uint8_t> payload = {static_cast<uint8_t>(high), static_cast<uint8_t>(0x80 | (high >> 8)),
                                    0x05, 0x00};
    while (payload.size() < bytes) {
        auto word = static_cast<uint16_t>(random());
        if ((word >> 12) == 0x8) {
            high = (high + (random() % 3 == 0)) & 0xFFF;
            word = static_cast<uint16_t>(0x8000 | high);
        } else if ((word >> 12) == 0x6 && random() % timeLowEvery >= 16) {
            word = static_cast<uint16_t>(0x2000 | (word & 0xFFF));
        }
        payload.push_back(static_cast<uint8_t>(word));
        payload.push_back(static_cast<uint8_t>(word >> 8));
    }
    return payload;
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

void expectIndexMatchesWordScan(const std::vector<uint8_t>& file, uint64_t payloadStart, uint64_t dvsStart,
                                const std::vector<BookmarkRecord>& records)
{
    auto decoder = DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"));
    if (dvsStart != 0) {
        decoder->setLastTimestamp(&dvsStart);
    }
    const uint64_t wordEnd = payloadStart + (file.size() - payloadStart) / 2 * 2;
    const size_t words = static_cast<size_t>((wordEnd - payloadStart) / 2);
    std::vector<uint64_t> timeBefore(words + 1);
    std::vector<uint64_t> timeAfter(words);
    std::vector<uint64_t> eventsBefore(words + 1);
    uint64_t firstTime = dvsStart;
    for (size_t k = 0; k < words; ++k) {
        timeBefore[k] = decoder->getLastTimestamp();
        const uint8_t* word = file.data() + payloadStart + 2 * k;
        eventsBefore[k + 1] = eventsBefore[k] + decoder->countEvents(word, word + 2);
        timeAfter[k] = decoder->getLastTimestamp();
        if (firstTime == 0) {
            firstTime = timeAfter[k];
        }
    }
    timeBefore[words] = decoder->getLastTimestamp();
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records.front().bytePos, payloadStart);
    EXPECT_EQ(records.front().eventCount, 0u);
    EXPECT_EQ(records.front().key, firstTime);
    for (size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(records[i].key, records[i].timestamp);
        if (i > 0) {
            ASSERT_GT(records[i].key, records[i - 1].key);
        }
    }
    for (size_t i = 1; i + 1 < records.size(); ++i) {
        ASSERT_EQ((records[i].bytePos - payloadStart) % 2, 0u) << i;
        const auto k = static_cast<size_t>((records[i].bytePos - payloadStart) / 2);
        ASSERT_LT(k, words) << i;
        EXPECT_EQ(timeAfter[k], records[i].key) << i;
        EXPECT_LT(timeBefore[k], records[i - 1].key + 2000) << i;
        EXPECT_GE(records[i].key, records[i - 1].key + 2000) << i;
        EXPECT_EQ(eventsBefore[k], records[i].eventCount) << i;
    }
    EXPECT_EQ(records.back().bytePos, wordEnd);
    EXPECT_EQ(records.back().eventCount, eventsBefore[words]);
    EXPECT_GE(records.back().key, timeBefore[words]);
    EXPECT_LE(records.back().key, std::max(timeBefore[words] | 0xFFF, records[records.size() - 2].key + 1));
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
