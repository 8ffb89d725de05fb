// The recorder on its own, fed as a camera's stream thread feeds it: plain recordings, the
// rotating cache, recordings started while caching with their kept seconds, the operations
// refused in each state, and the ends a recording may come to.
#include "FileRecorder/DvsFileRecorder.h"
#include "CameraTestSupport.h"
#include "RecorderTestSupport.h"
#include "TarvoDriver/RecordingNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>

namespace tarvo {
namespace {

constexpr uint64_t kSecond = 1000000;

bool isCacheFile(const std::string& name)
{
    return name.size() > 13 && name.compare(name.size() - 13, 13, "tarvo.raw.tmp") == 0;
}

size_t linesContaining(const test::LogCapture& log, int level, const std::string& text)
{
    const auto lines = log.lines();
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
        return line.first == level && line.second.find(text) != std::string::npos;
    }));
}

TEST(DvsFileRecorder, APlainRecordingHoldsEveryPushedByteBehindAHeaderTheReaderReads)
{
    test::ScratchDir dir("rec-plain");
    test::FedRecorder fed(2e6, StreamBuffers::Limits{});
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    feeder.feed(recorder, 1500000); // streaming, not recording: nothing is pushed
    EXPECT_FALSE(recorder.isActive());
    EXPECT_TRUE(feeder.pushed().empty());

    const DvsFileInfo info = test::recordingInfo(feeder.time());
    ASSERT_TRUE(recorder.startRecording(dir.file("take.raw"), info));
    EXPECT_TRUE(recorder.isActive());
    EXPECT_EQ(recorder.status().state, RecorderState::Recording);
    feeder.feed(recorder, 3000000, 7000);
    ASSERT_TRUE(recorder.stopRecording());
    EXPECT_FALSE(recorder.isActive());

    const RecordingStatus status = recorder.status();
    EXPECT_EQ(status.state, RecorderState::Idle);
    EXPECT_EQ(status.fault, RecordingFault::None);
    EXPECT_EQ(status.path, dir.file("take.raw"));
    EXPECT_EQ(status.bytesWritten, feeder.pushed().size());
    // The stream ends with a partly filled buffer, which the stop writes too.
    ASSERT_NE(feeder.pushed().size() % (1 << 20), 0u);
    const test::ReadRecording recording = test::readRecording(dir.file("take.raw"));
    ASSERT_TRUE(recording.loaded);
    EXPECT_TRUE(recording.payload == feeder.pushed());
    // The reader's decoder starts at the TIME_HIGH period in force before the first byte.
    EXPECT_EQ(recording.info.dvs_start_timestamp, feeder.slices().front().timeBefore & ~uint64_t{0xFFF});
    EXPECT_EQ(recording.info.serial_number, "CAM");
    ASSERT_FALSE(recording.events.empty());
    EXPECT_GE(recording.events.front().timestamp, info.dvs_start_timestamp);
    EXPECT_EQ(recording.events.back().timestamp / 10000, 299u);
}

TEST(DvsFileRecorder, AQuietStreamReachesTheFileAfterAboutATenthOfASecondOfStream)
{
    test::ScratchDir dir("rec-quiet");
    StreamBuffers::Limits limits; // 1 MiB buffers, which this stream would fill in 20 s
    limits.quietHandOver = std::chrono::hours(1);
    test::FedRecorder fed(2e4, limits);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    ASSERT_TRUE(recorder.startRecording(dir.file("quiet.raw"), test::recordingInfo(0)));
    feeder.feed(recorder, 2000000);

    // Every slice pushed 100 ms of stream or more before the last has been handed over.
    const uint64_t last = feeder.slices().back().timeBefore;
    size_t due = 0;
    for (const auto& slice : feeder.slices()) {
        if (slice.timeBefore + 100000 <= last) {
            due = slice.offset;
        }
    }
    ASSERT_GT(due, 0u);
    EXPECT_TRUE(test::eventually([&] { return recorder.status().bytesWritten >= due; }));
    EXPECT_LT(recorder.status().bytesWritten, feeder.pushed().size());
    ASSERT_TRUE(recorder.stopRecording());
    EXPECT_EQ(recorder.status().bytesWritten, feeder.pushed().size());
}

TEST(DvsFileRecorder, AStreamThatStopsLeavesNothingInMemoryForLong)
{
    test::ScratchDir dir("rec-stalled");
    test::FedRecorder fed(2e4, StreamBuffers::Limits{});
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    ASSERT_TRUE(recorder.startRecording(dir.file("stalled.raw"), test::recordingInfo(0)));
    feeder.feed(recorder, 1050000); // 50 ms: too little to be handed over by stream time
    EXPECT_TRUE(test::eventually([&] { return recorder.status().bytesWritten == feeder.pushed().size(); }));
    EXPECT_EQ(recorder.status().queuedBytes, 0u);
    EXPECT_TRUE(recorder.stopRecording());
}

TEST(DvsFileRecorder, OneRecordingAtATimeAndOnlyARunningOneStops)
{
    test::ScratchDir dir("rec-states");
    DvsFileRecorder recorder;
    test::LogCapture log;
    EXPECT_FALSE(recorder.stopRecording());
    ASSERT_TRUE(recorder.startRecording(dir.file("a.raw"), test::recordingInfo(0)));
    EXPECT_FALSE(recorder.startRecording(dir.file("b.raw"), test::recordingInfo(0)));
    EXPECT_TRUE(log.contains(3, "a recording is under way"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.raw")));
    EXPECT_EQ(recorder.status().path, dir.file("a.raw"));
    EXPECT_TRUE(recorder.stopRecording());
    EXPECT_FALSE(recorder.stopRecording());
}

TEST(DvsFileRecorder, CachingKeepsTheLastSecondsInAtMostNPlusOneFiles)
{
    test::ScratchDir dir("rec-cache");
    test::FedRecorder fed(2e5);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    feeder.feed(recorder, kSecond + 500000);
    test::LogCapture log;
    recorder.setFileCacheTime(3, dir.path());
    EXPECT_EQ(recorder.status().state, RecorderState::Caching);
    EXPECT_TRUE(recorder.isActive());

    const std::vector<std::string> allowed = {"CAM_0tarvo.raw.tmp", "CAM_1tarvo.raw.tmp",
                                              "CAM_2tarvo.raw.tmp", "CAM_3tarvo.raw.tmp"};
    for (uint64_t until = 2500000; until <= 11500000; until += kSecond) {
        feeder.feed(recorder, until);
        ASSERT_TRUE(test::eventually([&] { return recorder.status().queuedBytes == 0; }));
        const auto names = dir.names();
        EXPECT_LE(names.size(), 4u);
        for (const std::string& name : names) {
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end()) << name;
        }
    }
    EXPECT_TRUE(log.contains(2, "Start cache loop"));
    EXPECT_TRUE(log.contains(2, "Start save cache file: " + dir.file("CAM_0tarvo.raw.tmp")));
    // A file a second, of which every one after the first four takes the oldest's place.
    const size_t rotations = linesContaining(log, 2, "A frame of cache file was saved");
    EXPECT_GE(rotations, 8u);
    EXPECT_EQ(linesContaining(log, 2, "Delete unused buffer"), rotations - 3);
    // The cache holds three seconds and the one being written.
    const uint64_t perSecond = feeder.pushed().size() / 10;
    EXPECT_GT(recorder.status().cachedBytes, 3 * perSecond);
    EXPECT_LT(recorder.status().cachedBytes, 5 * perSecond);

    // Without a recording there is nothing to stop, and the cache stays as it is.
    const auto kept = dir.names();
    EXPECT_FALSE(recorder.stopRecording());
    EXPECT_EQ(recorder.status().state, RecorderState::Caching);
    EXPECT_EQ(dir.names(), kept);

    recorder.setFileCacheTime(0, dir.path());
    EXPECT_EQ(recorder.status().state, RecorderState::Idle);
    EXPECT_FALSE(recorder.isActive());
    EXPECT_TRUE(log.contains(2, "End cache loop"));
}

TEST(DvsFileRecorder, ANewCacheTimeWhileCachingChangesNothing)
{
    test::ScratchDir dir("rec-cache-n");
    test::ScratchDir other("rec-cache-other");
    test::FedRecorder fed(2e5);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    recorder.setFileCacheTime(1, dir.path());
    recorder.setFileCacheTime(4, other.path());
    feeder.feed(recorder, 6 * kSecond);
    ASSERT_TRUE(test::eventually([&] { return recorder.status().queuedBytes == 0; }));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"CAM_0tarvo.raw.tmp", "CAM_1tarvo.raw.tmp"}));
    EXPECT_TRUE(other.names().empty());
}

// A recording started while caching, at a stream fast enough to fill each buffer within a few
// milliseconds and at one so slow that buffers go by time, with the stream time a buffer may
// span at that rate (its own and one pushed slice).
struct StreamRate
{
    double eventsPerSecond;
    uint64_t bufferSpanUs;
};

class CachedRecording : public ::testing::TestWithParam<StreamRate>
{
};

TEST_P(CachedRecording, HoldsTheCachedSecondsBeforeTheStartThenTheStreamUntilTheStop)
{
    test::ScratchDir dir("rec-window");
    test::FedRecorder fed(GetParam().eventsPerSecond);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    test::LogCapture log;
    recorder.setFileCacheTime(2, dir.path());
    feeder.feed(recorder, 5500000);
    const uint64_t start = feeder.time();
    ASSERT_TRUE(recorder.startRecording(dir.file("window.raw"), test::recordingInfo(start)));
    EXPECT_EQ(recorder.status().state, RecorderState::CachedRecording);
    feeder.feed(recorder, 8500000);
    ASSERT_TRUE(recorder.stopRecording());
    ASSERT_TRUE(test::waitForState(recorder, RecorderState::Caching)); // saved; caching goes on
    EXPECT_EQ(recorder.status().fault, RecordingFault::None);

    const test::ReadRecording recording = test::readRecording(dir.file("window.raw"));
    ASSERT_TRUE(recording.loaded);
    ASSERT_FALSE(recording.events.empty());
    // The payload is the stream from the beginning of a pushed buffer to the stop, exactly.
    const std::vector<uint8_t>& pushed = feeder.pushed();
    ASSERT_LT(recording.payload.size(), pushed.size());
    const size_t from = pushed.size() - recording.payload.size();
    EXPECT_TRUE(std::equal(recording.payload.begin(), recording.payload.end(), pushed.begin() + from));
    const auto slice = std::find_if(feeder.slices().begin(), feeder.slices().end(),
                                    [&](const auto& s) { return s.offset == from; });
    ASSERT_NE(slice, feeder.slices().end());
    // The joined stream starts two seconds before the start, as exactly as the buffers allow, and
    // the header where it starts.
    EXPECT_LE(slice->timeBefore, start - 2 * kSecond);
    EXPECT_GT(slice->timeBefore + GetParam().bufferSpanUs, start - 2 * kSecond);
    EXPECT_EQ(recording.info.dvs_start_timestamp, slice->timeBefore & ~uint64_t{0xFFF});
    EXPECT_LT(recording.events.front().timestamp, start - 2 * kSecond + 10000);
    EXPECT_EQ(recording.events.back().timestamp / 10000, 849u);

    EXPECT_TRUE(log.contains(2, "app file: "));
    const auto names = dir.names();
    EXPECT_TRUE(std::none_of(names.begin(), names.end(), isCacheFile));
}

// 64 KiB buffers fill in about 13 ms at 2 Mev/s; at 20 kev/s each goes after 100 ms.
INSTANTIATE_TEST_SUITE_P(DvsFileRecorder, CachedRecording,
                         ::testing::Values(StreamRate{2e6, 30000}, StreamRate{2e4, 120000}),
                         [](const ::testing::TestParamInfo<StreamRate>& info) {
                             return info.param.eventsPerSecond > 1e6 ? std::string("FastStream")
                                                                     : std::string("SlowStream");
                         });

TEST(DvsFileRecorder, StartAndStopWhileSavingAreRefused)
{
    test::ScratchDir dir("rec-saving");
    test::FedRecorder fed(2e6);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    recorder.setFileCacheTime(2, dir.path());
    bool seen = false;
    // A save takes milliseconds; the calls are only judged when the save ran before and after them.
    for (int attempt = 0; attempt < 20 && !seen; ++attempt) {
        feeder.feed(recorder, feeder.time() + 3 * kSecond);
        const std::string path = dir.file("saving" + std::to_string(attempt) + ".raw");
        ASSERT_TRUE(recorder.startRecording(path, test::recordingInfo(feeder.time())));
        ASSERT_TRUE(recorder.stopRecording());
        const std::string other = dir.file("other" + std::to_string(attempt) + ".raw");
        const bool savingBefore = recorder.status().state == RecorderState::Saving;
        const bool started = recorder.startRecording(other, test::recordingInfo(feeder.time()));
        const bool stopped = recorder.stopRecording();
        if (savingBefore && recorder.status().state == RecorderState::Saving) {
            seen = true;
            EXPECT_FALSE(started);
            EXPECT_FALSE(stopped);
            EXPECT_FALSE(std::filesystem::exists(other));
        }
        ASSERT_TRUE(test::waitForState(recorder, RecorderState::Caching));
        if (started) {
            recorder.stopRecording();
            ASSERT_TRUE(test::waitForState(recorder, RecorderState::Caching));
        }
    }
    EXPECT_TRUE(seen);
}

TEST(DvsFileRecorder, EndingTheCacheOrTheRecorderSavesACachedRecording)
{
    test::ScratchDir dir("rec-end-cache");
    {
        test::FedRecorder fed(2e5);
        DvsFileRecorder& recorder = fed.recorder;
        test::StreamFeeder& feeder = fed.feeder;
        recorder.setFileCacheTime(1, dir.path());
        feeder.feed(recorder, 2 * kSecond);
        ASSERT_TRUE(recorder.startRecording(dir.file("ended.raw"), test::recordingInfo(feeder.time())));
        feeder.feed(recorder, 3 * kSecond);
        recorder.setFileCacheTime(0, dir.path());
        EXPECT_EQ(recorder.status().state, RecorderState::Idle);
        EXPECT_TRUE(test::readRecording(dir.file("ended.raw")).loaded);

        recorder.setFileCacheTime(1, dir.path());
        feeder.feed(recorder, 5 * kSecond);
        ASSERT_TRUE(recorder.startRecording(dir.file("destroyed.raw"), test::recordingInfo(feeder.time())));
        feeder.feed(recorder, 6 * kSecond);
    }
    const test::ReadRecording recording = test::readRecording(dir.file("destroyed.raw"));
    ASSERT_TRUE(recording.loaded);
    ASSERT_FALSE(recording.events.empty());
    EXPECT_EQ(recording.events.back().timestamp / 10000, 599u);
    const auto names = dir.names();
    EXPECT_TRUE(std::none_of(names.begin(), names.end(), isCacheFile));
}

TEST(DvsFileRecorder, CachingAskedForDuringAPlainRecordingBeginsWhenItEnds)
{
    test::ScratchDir dir("rec-pending");
    test::FedRecorder fed(2e5);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    ASSERT_TRUE(recorder.startRecording(dir.file("plain.raw"), test::recordingInfo(0)));
    recorder.setFileCacheTime(2, dir.path());
    EXPECT_EQ(recorder.status().state, RecorderState::Recording);
    feeder.feed(recorder, 2 * kSecond);
    ASSERT_TRUE(recorder.stopRecording());
    EXPECT_EQ(recorder.status().state, RecorderState::Caching);
    EXPECT_EQ(test::readRecording(dir.file("plain.raw")).payload, feeder.pushed());
}

TEST(RecordingNames, AreTheSerialAndTheLocalTime)
{
    std::tm local = {};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 4;
    local.tm_mday = 6;
    local.tm_hour = 7;
    local.tm_min = 8;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    const auto time = std::chrono::system_clock::from_time_t(std::mktime(&local));
    EXPECT_EQ(recordingFileName("ABC", time), "ABC_20240506_070809.raw");
    EXPECT_EQ(recordingBaseName("A/B\\C", time), "A_B_C_20240506_070809");
}

} // namespace
} // namespace tarvo
