// The first opening indexes a large recording on several threads; the bookmark file must be byte
// for byte the one a single thread writes, wherever the chunk boundaries fall.
#include "FileReader/BookmarkScanner.h"
#include "RawTestSupport.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoDriver/RawFileReader.h"
#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <thread>

namespace tarvo {
namespace {

using test::SceneRecipe;

constexpr uint64_t kRollover = uint64_t{1} << 24;

struct Stream
{
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
};

// Appends [from, to) of a synthetic scene; without events only its trigger edges.
void addScene(Stream& stream, uint64_t from, uint64_t to, double eventsPerSecond, double triggerHz,
              bool withEvents = true)
{
    sim::SceneOptions options;
    options.eventsPerSecond = eventsPerSecond;
    options.triggerHz = triggerHz;
    options.seed = from;
    sim::SyntheticScene scene(options, from);
    std::vector<Event2D> events;
    scene.generate(from, to, events, stream.triggers);
    if (withEvents) {
        stream.events.insert(stream.events.end(), events.begin(), events.end());
    }
}

void writeStream(const std::string& path, const Stream& stream, uint64_t headerStart, uint64_t end)
{
    std::vector<uint8_t> payload;
    Evt3Encoder encoder(headerStart);
    encoder.setTimeHighRepeatPeriod(16);
    encoder.addMerged(stream.events, stream.triggers, payload);
    encoder.addTime(end, payload);
    DvsFileInfo info;
    info.dvs_start_timestamp = headerStart;
    test::writeFile(path, generateDvsFileHeader(info), payload);
}

BookmarkScanner::Threading oneThread()
{
    BookmarkScanner::Threading threading;
    threading.threads = 1;
    return threading;
}

// Every round walked with its map: the walk waits for the chunks however long they take.
BookmarkScanner::Threading threads(unsigned count, uint64_t chunkBytes)
{
    BookmarkScanner::Threading threading;
    threading.threads = count;
    threading.chunkBytes = chunkBytes;
    threading.minParallelBytes = 0;
    threading.waitForMaps = true;
    return threading;
}

class ParallelIndex : public ::testing::Test
{
protected:
    ~ParallelIndex() override { BookmarkScanner::setThreading(BookmarkScanner::Threading()); }

    // The bookmark file that a first opening of `path` writes with `threading`.
    static std::vector<uint8_t> indexWith(const std::string& path,
                                          const BookmarkScanner::Threading& threading)
    {
        BookmarkScanner::setThreading(threading);
        std::filesystem::remove(test::markPathOf(path));
        RawFileReader reader(path);
        EXPECT_TRUE(reader.loadFile());
        return test::readFile(test::markPathOf(path));
    }

    static void expectSameAsOneThread(const std::string& path, const std::vector<uint64_t>& chunkSizes,
                                      unsigned count = 3)
    {
        SCOPED_TRACE(path);
        const auto single = indexWith(path, oneThread());
        ASSERT_FALSE(single.empty());
        for (const uint64_t chunk : chunkSizes) {
            EXPECT_EQ(indexWith(path, threads(count, chunk)), single) << "chunks of " << chunk << " bytes";
        }
    }

    test::TempDir m_dir;
    test::LogCapture m_log;
};

TEST_F(ParallelIndex, MatchesOneThreadForChunksOfAnySize)
{
    SceneRecipe recipe;
    recipe.durationUs = 6000;
    recipe.eventsPerSecond = 8e6;
    recipe.triggerHz = 2000;
    const auto small = test::writeSceneRecording(m_dir.file("small.raw"), recipe);
    expectSameAsOneThread(small.path, {2, 6, 14, 202, 2046, 2048, 2050, 6146});

    recipe.durationUs = 60000;
    recipe.startTime = 3 * kRollover - 30000; // crosses a rollover of the 24-bit clock
    const auto dense = test::writeSceneRecording(m_dir.file("dense.raw"), recipe);
    expectSameAsOneThread(dense.path, {998, 4096, 65538, 1 << 20}, 2);
}

// More than one read buffer, so that the rounds and their slots come round again.
TEST_F(ParallelIndex, MatchesOneThreadOverManyReadBuffers)
{
    SceneRecipe recipe;
    recipe.durationUs = 800000;
    recipe.eventsPerSecond = 8e6;
    recipe.triggerHz = 100;
    recipe.startTime = kRollover - 100000;
    const auto recording = test::writeSceneRecording(m_dir.file("long.raw"), recipe);
    // More rounds than the two threads have slots for.
    ASSERT_GT(recording.payload.size(), 4u * (4 << 20));
    expectSameAsOneThread(recording.path, {0, 100002, 4 << 20}, 2);
}

// Seconds without events, over several rollovers of the 24-bit clock, with and without trigger
// edges going on; and a start time of 0 in the header, where the first TIME_HIGH sets the clock.
TEST_F(ParallelIndex, MatchesOneThreadAcrossGapsAndTriggerOnlyStretches)
{
    for (const bool triggersInGap : {false, true}) {
        for (const uint64_t headerStart : {uint64_t{0}, uint64_t{5000000}}) {
            const uint64_t start = 5000000;
            const uint64_t gapEnd = start + 100000 + 3 * kRollover + 1234567;
            Stream stream;
            addScene(stream, start, start + 100000, 4e6, 1000);
            if (triggersInGap) {
                addScene(stream, start + 100000, gapEnd, 1e3, 50, false);
            }
            addScene(stream, gapEnd, gapEnd + 80000, 4e6, 1000);
            const std::string path = m_dir.file("gap" + std::to_string(triggersInGap) + "_" +
                                                std::to_string(headerStart) + ".raw");
            writeStream(path, stream, headerStart, gapEnd + 80000);
            expectSameAsOneThread(path, {30, 2050, 40002});
        }
    }
}

// A recording that starts with trigger edges only: no row is known, so no event counts, until
// the first pixel words arrive.
TEST_F(ParallelIndex, MatchesOneThreadWhenTheRecordingStartsWithTriggersOnly)
{
    for (const uint64_t headerStart : {uint64_t{0}, uint64_t{2000000}}) {
        Stream stream;
        addScene(stream, 2000000, 2300000, 1e3, 2000, false);
        addScene(stream, 2300000, 2340000, 5e6, 2000);
        const std::string path = m_dir.file("triggers" + std::to_string(headerStart) + ".raw");
        writeStream(path, stream, headerStart, 2340000);
        expectSameAsOneThread(path, {6, 510, 8192});
    }
}

// A chunk that starts right after a change of TIME_HIGH (its TIME_LOW still to come), or between
// the words of a vector group.
TEST_F(ParallelIndex, MatchesOneThreadWithBoundariesAtTheTrickyWords)
{
    SceneRecipe recipe;
    recipe.durationUs = 20000;
    recipe.eventsPerSecond = 6e6;
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), recipe);
    const auto& payload = recording.payload;
    auto wordAt = [&](size_t offset) {
        return static_cast<uint32_t>(payload[offset] | (payload[offset + 1] << 8));
    };
    std::vector<uint64_t> boundaries;
    uint32_t high = wordAt(0) & 0xFFF;
    bool highFound = false;
    bool groupFound = false;
    for (size_t offset = 2; offset + 4 <= payload.size() && !(highFound && groupFound); offset += 2) {
        const uint32_t word = wordAt(offset);
        if (!highFound && (word >> 12) == 0x8 && (word & 0xFFF) != high && offset > 4000) {
            boundaries.push_back(offset + 2); // between the TIME_HIGH and its TIME_LOW
            highFound = true;
        }
        if ((word >> 12) == 0x8) {
            high = word & 0xFFF;
        }
        if (!groupFound && (word >> 12) == 0x3 && (wordAt(offset + 2) >> 12) == 0x4 && offset > 4000) {
            boundaries.push_back(offset + 2); // after the VECT_BASE_X
            boundaries.push_back(offset + 4); // after the first VECT_12
            groupFound = true;
        }
    }
    ASSERT_TRUE(highFound && groupFound);
    expectSameAsOneThread(recording.path, boundaries);
}

// Random words as a camera's might send them: the times step back often, and roll over.
TEST_F(ParallelIndex, MatchesOneThreadOnRandomWords)
{
    std::mt19937_64 random(23);
    for (int i = 0; i < 12; ++i) {
        const size_t size = 20000 + random() % 200000;
        const auto payload = test::randomCameraWords(random, size, static_cast<uint32_t>(random() % 0x1000));
        DvsFileInfo info;
        info.dvs_start_timestamp = (i % 3 == 0) ? 0 : random() % 50000000;
        const std::string path = m_dir.file("random" + std::to_string(i) + ".raw");
        test::writeFile(path, generateDvsFileHeader(info), payload);
        expectSameAsOneThread(path, {2 + 2 * (random() % 40), 2 + 2 * (random() % 4000), 2048});
    }
}

#ifdef TARVO_REALDATA_DIR
TEST_F(ParallelIndex, MatchesOneThreadOnTheRealRecordings)
{
    const std::filesystem::path folder(TARVO_REALDATA_DIR);
    int found = 0;
    for (const char* name : {"hd_1280x720_triggers_from_rosbag.raw", "hd_gen41_evk3_2020_excerpt.raw",
                             "vga_640x480_triggers_from_rosbag.raw"}) {
        if (!std::filesystem::exists(folder / name)) {
            continue;
        }
        ++found;
        const std::string copy = m_dir.file(name);
        std::filesystem::copy_file(folder / name, copy);
        expectSameAsOneThread(copy, {6, 1000, 2050, 65536});
    }
    if (found == 0) {
        GTEST_SKIP() << "no real recordings in " << folder;
    }
}
#endif

// Mapping threads that other load holds back: the walk does not wait for their chunks and decodes
// those rounds itself, between rounds walked with their maps.
// As the reader indexes by default, with the chunks of the other threads late: the walk decodes
// the rounds nobody has begun and those it would have to wait for, between rounds walked with
// their maps.
TEST_F(ParallelIndex, MatchesOneThreadWhenMappingThreadsAreLate)
{
    auto late = threads(3, 300002);
    late.waitForMaps = false;
    const auto walker = std::this_thread::get_id();
    late.beforeChunk = [walker](uint64_t) {
        if (std::this_thread::get_id() != walker) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
    for (const uint64_t headerStart : {uint64_t{0}, uint64_t{1000000}}) {
        SceneRecipe recipe;
        recipe.durationUs = 900000;
        recipe.eventsPerSecond = 6e6;
        recipe.triggerHz = 300;
        recipe.headerStart = headerStart;
        const auto recording =
            test::writeSceneRecording(m_dir.file("late" + std::to_string(headerStart) + ".raw"), recipe);
        ASSERT_GT(recording.payload.size(), 3u * (4 << 20));
        const auto single = indexWith(recording.path, oneThread());
        EXPECT_EQ(indexWith(recording.path, late), single);
    }
}

TEST_F(ParallelIndex, FailureOnAMappingThreadFailsTheOpeningWithItsReason)
{
    SceneRecipe recipe;
    recipe.durationUs = 30000;
    const auto recording = test::writeSceneRecording(m_dir.file("rec.raw"), recipe);
    auto failing = threads(3, 4096);
    failing.beforeChunk = [&](uint64_t begin) {
        if (begin >= recording.payloadStart + 5 * 4096) {
            throw std::runtime_error("disk on fire");
        }
    };
    BookmarkScanner::setThreading(failing);
    {
        RawFileReader reader(recording.path);
        EXPECT_FALSE(reader.loadFile());
    }
    EXPECT_TRUE(m_log.contains(4, "Indexing the recording failed: disk on fire."));
    EXPECT_FALSE(std::filesystem::exists(test::markPathOf(recording.path)));

    BookmarkScanner::setThreading(threads(3, 4096));
    RawFileReader reader(recording.path);
    ASSERT_TRUE(reader.loadFile());
    uint64_t events = 0;
    reader.getMaxEvents(events);
    EXPECT_EQ(events, recording.events.size());
}

} // namespace
} // namespace tarvo
