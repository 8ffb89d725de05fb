// How a recording ends when the disk fails it: a file that cannot be created, a disk that fills
// up while recording or caching, and a disk too slow for the stream. Each is refused or stopped,
// reported by status() and the log, and leaves a file the reader opens.
#include "CameraTestSupport.h"
#include "FileRecorder/DvsFileRecorder.h"
#include "RecorderTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tarvo {
namespace {

constexpr uint64_t kSecond = 1000000;

// Whether `payload` is the stream from its start, as far as it goes.
bool isPrefixOf(const std::vector<uint8_t>& payload, const std::vector<uint8_t>& stream)
{
    return payload.size() <= stream.size() && std::equal(payload.begin(), payload.end(), stream.begin());
}

TEST(RecorderFailure, AFileThatCannotBeCreatedIsRefusedAndSaysWhy)
{
    test::ScratchDir dir("fail-open");
    std::ofstream(dir.file("plain-file")) << "not a folder";
    DvsFileRecorder recorder;
    recorder.setFileInfo(test::recordingInfo(0));
    test::LogCapture log;
    // Permission bits do not stop root, so the paths are ones nobody can create.
    for (const std::string& path :
         {dir.file("plain-file/take.raw"), std::string("/proc/tarvo-none/take.raw"), dir.path()}) {
        EXPECT_FALSE(recorder.startRecording(path, test::recordingInfo(0))) << path;
        const RecordingStatus status = recorder.status();
        EXPECT_EQ(status.state, RecorderState::Idle);
        EXPECT_FALSE(recorder.isActive());
        EXPECT_EQ(status.fault, RecordingFault::CannotOpen);
        EXPECT_NE(status.error.find("Cannot create " + path), std::string::npos) << status.error;
        EXPECT_TRUE(log.contains(4, "Cannot create " + path));
    }

    // While caching, the cache goes on.
    recorder.setFileCacheTime(1, dir.path());
    EXPECT_EQ(recorder.status().fault, RecordingFault::None);
    EXPECT_FALSE(recorder.startRecording(dir.file("plain-file/window.raw"), test::recordingInfo(0)));
    EXPECT_EQ(recorder.status().state, RecorderState::Caching);
    EXPECT_EQ(recorder.status().fault, RecordingFault::CannotOpen);

    // A cache folder that is not one is refused when caching would begin.
    recorder.setFileCacheTime(0, dir.path());
    recorder.setFileCacheTime(1, dir.file("plain-file"));
    EXPECT_EQ(recorder.status().state, RecorderState::Idle);
    EXPECT_EQ(recorder.status().fault, RecordingFault::CannotOpen);
    EXPECT_TRUE(log.contains(4, "Cannot cache the stream in " + dir.file("plain-file")));
}

TEST(RecorderFailure, AFullDiskStopsARecordingWhoseFileKeepsWhatWasWritten)
{
    test::SmallFilesystem disk("fail-full", 1 << 20);
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small filesystem here: " << disk.why();
    }
    test::FedRecorder fed(2e5);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    test::LogCapture log;
    ASSERT_TRUE(recorder.startRecording(disk.file("full.raw"), test::recordingInfo(0)));
    // About 5 MB of stream for a disk of 1 MiB.
    feeder.feed(recorder, 10 * kSecond);
    ASSERT_TRUE(test::waitForState(recorder, RecorderState::Idle));
    EXPECT_FALSE(recorder.isActive());
    const RecordingStatus status = recorder.status();
    EXPECT_EQ(status.fault, RecordingFault::WriteFailed);
    EXPECT_NE(status.error.find("Recording to " + disk.file("full.raw") + " stopped"), std::string::npos);
    EXPECT_NE(status.error.find("No space left on device"), std::string::npos) << status.error;
    EXPECT_TRUE(log.contains(4, "No space left on device"));
    EXPECT_FALSE(recorder.stopRecording());

    const test::ReadRecording recording = test::readRecording(disk.file("full.raw"));
    ASSERT_TRUE(recording.loaded);
    EXPECT_GT(recording.payload.size(), 0u);
    EXPECT_EQ(recording.payload.size(), status.bytesWritten);
    EXPECT_TRUE(isPrefixOf(recording.payload, feeder.pushed()));
    EXPECT_FALSE(recording.events.empty());
}

TEST(RecorderFailure, AFullCacheDiskStopsCachingAndTheRecordingKeepsWhatReachedTheCache)
{
    test::SmallFilesystem disk("fail-cache", 1 << 20);
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small filesystem here: " << disk.why();
    }
    test::ScratchDir dir("fail-cache-out");
    test::FedRecorder fed(2e5);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    recorder.setFileCacheTime(2, disk.path());
    ASSERT_TRUE(recorder.startRecording(dir.file("window.raw"), test::recordingInfo(0)));
    feeder.feed(recorder, 10 * kSecond);
    ASSERT_TRUE(test::waitForState(recorder, RecorderState::Idle)); // saved as far as it got; no more caching
    const RecordingStatus status = recorder.status();
    EXPECT_EQ(status.fault, RecordingFault::WriteFailed);
    EXPECT_NE(status.error.find("No space left on device"), std::string::npos) << status.error;
    EXPECT_FALSE(recorder.stopRecording());

    const test::ReadRecording recording = test::readRecording(dir.file("window.raw"));
    ASSERT_TRUE(recording.loaded);
    EXPECT_GT(recording.payload.size(), 0u);
    EXPECT_TRUE(isPrefixOf(recording.payload, feeder.pushed()));
}

TEST(RecorderFailure, AStreamBeyondTheMemoryBoundStopsTheRecordingCleanly)
{
    test::ScratchDir dir("fail-slow");
    StreamBuffers::Limits limits = test::smallBuffers();
    limits.maxHeldBytes = 256 << 10;
    test::FedRecorder fed(2e6, limits);
    DvsFileRecorder& recorder = fed.recorder;
    test::StreamFeeder& feeder = fed.feeder;
    test::LogCapture log;
    ASSERT_TRUE(recorder.startRecording(dir.file("slow.raw"), test::recordingInfo(0)));
    feeder.feed(recorder, 1020000); // about 130 KB, within the bound however slow the disk
    const size_t beforeBound = feeder.pushed().size();
    ASSERT_LT(beforeBound, limits.maxHeldBytes);
    // One push of a second of stream (about 5 MB) is more than the bound lets wait.
    feeder.feed(recorder, 2100000, kSecond);
    EXPECT_FALSE(recorder.isActive());
    ASSERT_TRUE(test::waitForState(recorder, RecorderState::Idle));
    const RecordingStatus status = recorder.status();
    EXPECT_EQ(status.fault, RecordingFault::DiskTooSlow);
    EXPECT_NE(status.error.find("the disk did not keep up with the stream"), std::string::npos)
        << status.error;
    EXPECT_TRUE(log.contains(4, "did not keep up"));
    EXPECT_LE(status.peakQueuedBytes, limits.maxHeldBytes);
    EXPECT_FALSE(recorder.stopRecording());

    const test::ReadRecording recording = test::readRecording(dir.file("slow.raw"));
    ASSERT_TRUE(recording.loaded);
    EXPECT_EQ(recording.payload.size(), beforeBound);
    EXPECT_TRUE(isPrefixOf(recording.payload, feeder.pushed()));

    // The same while caching ends the cache.
    recorder.setFileCacheTime(1, dir.path());
    EXPECT_EQ(recorder.status().fault, RecordingFault::None);
    feeder.feed(recorder, 3100000, kSecond);
    ASSERT_TRUE(test::waitForState(recorder, RecorderState::Idle));
    EXPECT_EQ(recorder.status().fault, RecordingFault::DiskTooSlow);
    EXPECT_NE(recorder.status().error.find("Caching stopped"), std::string::npos);
}

} // namespace
} // namespace tarvo
