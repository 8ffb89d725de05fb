#pragma once

#include "DriverTestSupport.h"
#include "TarvoBase/EventTypes.h"

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tarvo::test {

// A recording written by the encoder from a synthetic scene, with what was put into it.
struct SceneRecording
{
    std::string path;
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    std::vector<uint8_t> payload;
    uint64_t payloadStart = 0;
};

struct SceneRecipe
{
    uint64_t startTime = 1000000; // event time at which the scene and the header start
    uint64_t durationUs = 20000;
    double eventsPerSecond = 2e6;
    double triggerHz = 0;
    uint64_t seed = 7;
    uint64_t headerStart = ~uint64_t{0}; // dvs_start_timestamp in the header; ~0: startTime
    uint64_t gapFrom = 0;                // events in [gapFrom, gapTo) are left out
    uint64_t gapTo = 0;
    uint32_t timeHighRepeatUs = 16; // 0: TIME_HIGH only when it changes
    uint16_t width = 1280;
    uint16_t height = 720;
};

SceneRecording writeSceneRecording(const std::string& path, const SceneRecipe& recipe);
// About `bytes` of random words after a TIME_HIGH of `firstHigh` and a row word, with TIME_HIGH
// moving on by at most one step (and rolling over) as a camera's does: TIME_LOW jumps back and
// forth and stalls. Above 16, `timeLowEvery` turns most TIME_LOW words into pixel words, one in
// about that many words staying, so that long stretches carry none.
std::vector<uint8_t> randomCameraWords(std::mt19937_64& random, size_t bytes, uint32_t firstHigh = 0x010,
                                       uint32_t timeLowEvery = 16);
void writeFile(const std::string& path, const std::string& header, const std::vector<uint8_t>& payload);
std::vector<uint8_t> readFile(const std::string& path);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

struct BookmarkRecord
{
    uint64_t key = 0;
    uint64_t bytePos = 0;
    uint64_t timestamp = 0;
    uint32_t eventCount = 0;
    bool operator==(const BookmarkRecord& o) const
    {
        return key == o.key && bytePos == o.bytePos && timestamp == o.timestamp && eventCount == o.eventCount;
    }
};

// Checks the records of an index against a word-by-word decoding of the payload (one call a
// word, fresh decoder set to dvsStart when it is non-zero): each bookmark sits at a word where
// the time climbs from below the previous bookmark's time plus the period to its own time,
// with the events before it as its count; the first starts the payload, the last ends it with
// every event and a time no decoded word exceeds.
void expectIndexMatchesWordScan(const std::vector<uint8_t>& file, uint64_t payloadStart, uint64_t dvsStart,
                                const std::vector<BookmarkRecord>& records);
// Offset of the payload: after "% end" or before the first line not starting with '%'.
uint64_t headerLength(const std::vector<uint8_t>& file);

// The records of a bookmark file; fails the current test when its layout is broken.
std::vector<BookmarkRecord> parseBookmarkFile(const std::vector<uint8_t>& bytes);
std::string markPathOf(const std::string& rawPath);

} // namespace tarvo::test
