// Fusion recordings: the three files of a recording from the simulated fusion camera, refused and
// failing starts, lost connections, and the RAW and MP4 writers on their own.
#include "FileRecorder/FusionRecording.h"
#include "FileRecorder/FusionRawWriter.h"
#include "FusionTestSupport.h"
#include "TarvoBase/CalibrationJson.h"
#include "TarvoBase/FileHeader.h"
#include "TarvoDriver/ApsFileReader.h"
#include "TarvoDriver/RawFileReader.h"
#include "TarvoSim/SimBus.h"
#include "camera/DuetCamera.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

constexpr int kFrameWidth = 3840;
constexpr int kFrameHeight = 2160;
constexpr size_t kFrameBytes = size_t{kFrameWidth} * kFrameHeight * 3 / 2;

// A folder of its own for each test, removed with what the test left in it.
class TempFolder
{
public:
    explicit TempFolder(const std::string& name) : m_path(test::tempPath(name))
    {
        std::system(("rm -rf '" + m_path + "'").c_str());
        ::mkdir(m_path.c_str(), 0700);
    }
    ~TempFolder() { std::system(("rm -rf '" + m_path + "'").c_str()); }
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

bool exists(const std::string& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string firstLine(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string line;
    std::getline(file, line);
    return line;
}

std::vector<uint8_t> readAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<Event2D> recordedEvents(const std::string& path, DvsFileInfo& info)
{
    auto reader = DvsFileReader::createFileReader(path);
    EXPECT_TRUE(reader && reader->loadFile()) << path;
    if (!reader) {
        return {};
    }
    reader->getFileInfo(info);
    uint64_t count = 0;
    reader->getMaxEvents(count);
    auto batch = reader->getNEventsGivenStartEvent(0, count);
    return batch ? *batch : std::vector<Event2D>{};
}

std::vector<uint64_t> videoTimes(const std::string& path)
{
    auto reader = ApsFileReader::createFileReader(path);
    std::vector<uint64_t> times;
    EXPECT_TRUE(reader && reader->loadFile() && reader->getTimeStamps(times)) << path;
    return times;
}

// The encoder finishes videos after stopRecording() has returned.
void finishVideos(FusionCamera& camera)
{
    dynamic_cast<DuetCamera&>(camera).waitForRecordings();
}

bool sameEvent(const Event2D& a, const Event2D& b)
{
    return a.x == b.x && a.y == b.y && a.polarity == b.polarity && a.timestamp == b.timestamp;
}

class FusionCameraRecordingTest : public ::testing::Test
{
protected:
    test::OpenedFusionCamera opened{test::fusionCameraConfig("DUET-REC")};
    FusionCamera& camera = *opened.camera;
    test::FusionReceived received;
    TempFolder folder{"duet-recording"};
};

TEST_F(FusionCameraRecordingTest, ARecordingHoldsTheStreamFromItsFirstFrameTheFramesAndTheCalibration)
{
    test::collectEverything(camera, *opened.device, received);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return !received.frames.empty(); }));
    test::LogCapture log;
    ASSERT_EQ(camera.startRecording(folder.path(), "take", DVS_APS_STREAM), 0);
    // The calibration is there at once, the RAW header only after the first recorded frame.
    EXPECT_TRUE(exists(folder.file("take.json")));
    size_t framesAtStart = 0;
    received.update([&] { framesAtStart = received.frames.size(); });
    ASSERT_TRUE(received.waitUntil([&] { return received.frames.size() >= framesAtStart + 4; }));
    // Stopping the camera ends the recording after the last buffer was taken.
    camera.stop(DVS_APS_STREAM);
    finishVideos(camera);

    CalibratorParameters stored, written;
    ASSERT_TRUE(camera.readCalibrationParam(stored));
    ASSERT_TRUE(jsonFileToParam(folder.file("take.json"), written));
    EXPECT_EQ(written.transforms, stored.transforms);
    EXPECT_EQ(written.apsWidth, stored.apsWidth);

    const std::string aps = firstLine(folder.file("take.raw"));
    ASSERT_EQ(aps.rfind("% aps_start_timestamp ", 0), 0u) << aps;
    const uint64_t apsStart = std::stoull(aps.substr(22));
    EXPECT_TRUE(log.contains(2, "Mp4 offset: " + std::to_string(apsStart)));

    std::lock_guard<std::mutex> lock(received.mutex);
    std::vector<uint64_t> frameEnds;
    for (const auto& frame : received.frames) {
        frameEnds.push_back(frame.end);
    }
    const auto first = std::find(frameEnds.begin(), frameEnds.end(), apsStart);
    ASSERT_NE(first, frameEnds.end()) << "aps_start_timestamp is no frame's end time";
    const std::vector<uint64_t> recordedEnds(first, frameEnds.end());

    // The MP4 holds every frame from the first recorded one, each at its end time minus that one's.
    const std::vector<uint64_t> times = videoTimes(folder.file("take.mp4"));
    ASSERT_EQ(times.size(), recordedEnds.size());
    for (size_t i = 0; i < times.size(); ++i) {
        EXPECT_EQ(times[i], recordedEnds[i] - apsStart) << i;
    }

    // The RAW file holds exactly the events the camera sent from the recording's start to the end
    // of the stream, the last of them included.
    DvsFileInfo info;
    const std::vector<Event2D> events = recordedEvents(folder.file("take.raw"), info);
    EXPECT_EQ(info.aps_start_timestamp, apsStart);
    EXPECT_EQ(info.serial_number, "DUET-REC");
    ASSERT_FALSE(events.empty());
    ASSERT_LE(events.size(), received.events.size());
    const size_t offset = received.events.size() - events.size();
    for (size_t i = 0; i < events.size(); ++i) {
        ASSERT_TRUE(sameEvent(events[i], received.events[offset + i]))
            << "event " << i << " of " << events.size();
    }
    // It begins at its header's time and holds the stream from the first recorded frame on,
    // however late the fusion thread handled that frame.
    EXPECT_LE(info.dvs_start_timestamp, events.front().timestamp);
    EXPECT_LE(events.front().timestamp, apsStart);
}

TEST_F(FusionCameraRecordingTest, ASecondStartIsRefusedAndLeavesTheRunningRecordingAlone)
{
    ASSERT_EQ(camera.startRecording(folder.path(), "one", DVS_APS_STREAM), 0);
    test::LogCapture log;
    EXPECT_EQ(camera.startRecording(folder.path(), "two", DVS_APS_STREAM), -1);
    EXPECT_TRUE(log.contains(2, "Do not save again while saving."));
    EXPECT_EQ(camera.startRecording(folder.path(), "three", DVS_STREAM), -1);
    EXPECT_FALSE(exists(folder.file("two.json")));
    EXPECT_FALSE(exists(folder.file("two.mp4")));
    EXPECT_FALSE(exists(folder.file("three.raw")));

    test::collectEverything(camera, *opened.device, received);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.frames.size() >= 2; }));
    EXPECT_EQ(camera.stopRecording(DVS_APS_STREAM), 0);
    camera.stop(DVS_APS_STREAM);
    finishVideos(camera);
    EXPECT_GE(videoTimes(folder.file("one.mp4")).size(), 1u);
    DvsFileInfo info;
    EXPECT_FALSE(recordedEvents(folder.file("one.raw"), info).empty());
}

TEST_F(FusionCameraRecordingTest, FramesAreRecordedAlsoWithoutAFrameCallback)
{
    ASSERT_EQ(camera.startRecording(folder.path(), "plain", DVS_APS_STREAM), 0);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(test::eventually([&] { return camera.getStreamStatistics().framesDelivered >= 3; }));
    camera.stop(DVS_APS_STREAM);
    finishVideos(camera);
    EXPECT_EQ(videoTimes(folder.file("plain.mp4")).size(), camera.getStreamStatistics().framesDelivered);
}

TEST_F(FusionCameraRecordingTest, ARecordingStoppedBeforeAnyFrameIsAValidEmptyRecording)
{
    ASSERT_EQ(camera.startRecording(folder.path(), "early", DVS_APS_STREAM), 0);
    EXPECT_EQ(camera.stopRecording(DVS_APS_STREAM), 0);
    finishVideos(camera);
    EXPECT_EQ(firstLine(folder.file("early.raw")), "% aps_start_timestamp 0");
    auto reader = DvsFileReader::createFileReader(folder.file("early.raw"));
    ASSERT_TRUE(reader);
    reader->loadFile();
    uint64_t events = 1;
    reader->getMaxEvents(events);
    EXPECT_EQ(events, 0u);
    EXPECT_TRUE(exists(folder.file("early.mp4")));
}

TEST_F(FusionCameraRecordingTest, AFolderThatCannotTakeTheFilesFailsAndRecordsNothing)
{
    test::LogCapture log;
    EXPECT_EQ(camera.startRecording(folder.file("missing"), "take", DVS_STREAM), -1);
    EXPECT_TRUE(log.contains(4, "Unable to open " + folder.file("missing") + "/take.raw for writing."));
    EXPECT_EQ(camera.startRecording(folder.file("missing"), "take", DVS_APS_STREAM), -1);
    EXPECT_TRUE(log.contains(2, "Start Recording APS Stream Failed."));
    // Nothing was left running: the next recording starts.
    EXPECT_EQ(camera.startRecording(folder.path(), "take", DVS_APS_STREAM), 0);
    EXPECT_EQ(camera.stopRecording(DVS_APS_STREAM), 0);
}

TEST_F(FusionCameraRecordingTest, AnUnplugWhileRecordingLeavesFilesThatRead)
{
    test::collectEverything(camera, *opened.device, received);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_EQ(camera.startRecording(folder.path(), "lost", DVS_APS_STREAM), 0);
    // Some 150 ms of recording, over which the camera sends event buffers every 10 ms.
    ASSERT_TRUE(received.waitUntil([&] { return received.frames.size() >= 6; }));
    test::LogCapture log;
    opened.device->unplug();
    ASSERT_TRUE(test::eventually([&] { return log.contains(2, "Duet loss connection."); }));
    // The camera stops itself, recording included, and starts only once opened again. (Until the
    // stream thread has marked it so, a start still finds it running and changes nothing.)
    EXPECT_TRUE(test::eventually([&] { return camera.start(DVS_APS_STREAM) == -1; }));
    finishVideos(camera);

    EXPECT_EQ(firstLine(folder.file("lost.raw")).rfind("% aps_start_timestamp ", 0), 0u);
    DvsFileInfo info;
    EXPECT_FALSE(recordedEvents(folder.file("lost.raw"), info).empty());
    EXPECT_GE(videoTimes(folder.file("lost.mp4")).size(), 1u);
}

TEST(FusionRawWriter, EveryByteHandedOverIsWrittenBehindTheHeaderAlsoThoseOfAPartChunk)
{
    TempFolder folder("fusion-raw-writer");
    FusionRawWriter writer("test");
    DvsFileInfo info;
    info.serial_number = "W-1";
    std::atomic<uint64_t> streamTime{4321};
    ASSERT_TRUE(writer.start(folder.file("plain.raw"), info, false, [&] { return streamTime.load(); }));
    // Well over two full chunks, then a tail that fills no chunk; the header carries the stream's
    // time before the first of them.
    std::vector<uint8_t> sent;
    std::vector<uint8_t> buffer(0x20000);
    for (size_t i = 0; i < 2 * FusionRawWriter::kChunkBytes / buffer.size() + 3; ++i) {
        for (size_t b = 0; b < buffer.size(); ++b) {
            buffer[b] = static_cast<uint8_t>(i * 7 + b);
        }
        writer.push(buffer);
        sent.insert(sent.end(), buffer.begin(), buffer.end());
        streamTime += 10000;
    }
    writer.push({1, 2, 3});
    sent.insert(sent.end(), {1, 2, 3});
    EXPECT_TRUE(writer.stop());

    info.dvs_start_timestamp = 4321;
    const std::string header = generateDvsFileHeader(info);
    const std::vector<uint8_t> file = readAll(folder.file("plain.raw"));
    ASSERT_EQ(file.size(), header.size() + sent.size());
    EXPECT_EQ(std::string(file.begin(), file.begin() + static_cast<long>(header.size())), header);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), file.begin() + static_cast<long>(header.size())));
}

TEST(FusionRawWriter, AFusionRecordingStartsAtTheBufferInWhichTheStreamReachedItsFirstFrame)
{
    TempFolder folder("fusion-raw-lead-in");
    FusionRawWriter writer("test");
    DvsFileInfo info;
    uint64_t streamTime = 0;
    ASSERT_TRUE(writer.start(folder.file("late.raw"), info, true, [&] { return streamTime; }));
    // The fusion thread names the first frame's time only after the stream went well past it;
    // the fourth buffer starts 5 µs before the third, as a camera's TIME_LOW may step back.
    const std::vector<uint64_t> timesBefore = {1000, 2000, 3000, 2995, 4000, 5000};
    std::vector<uint8_t> sent;
    for (size_t i = 0; i < timesBefore.size(); ++i) {
        streamTime = timesBefore[i];
        const std::vector<uint8_t> buffer(100, static_cast<uint8_t>(i));
        writer.push(buffer);
        if (i >= 1) {
            sent.insert(sent.end(), buffer.begin(), buffer.end());
        }
    }
    // Buffer 1 runs up to 3000, past the frame.
    writer.setFrameStart(2998);
    const std::vector<uint8_t> after(50, 0xAB);
    writer.push(after);
    sent.insert(sent.end(), after.begin(), after.end());
    EXPECT_TRUE(writer.stop());

    info.dvs_start_timestamp = 2000;
    info.aps_start_timestamp = 2998;
    const std::string header = "% aps_start_timestamp 2998\n" + generateDvsFileHeader(info);
    const std::vector<uint8_t> file = readAll(folder.file("late.raw"));
    ASSERT_EQ(file.size(), header.size() + sent.size());
    EXPECT_EQ(std::string(file.begin(), file.begin() + static_cast<long>(header.size())), header);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), file.begin() + static_cast<long>(header.size())));
}

TEST(FusionRecording, BothFilesStartAtTheFirstFrameWhoseEventsTheRecordingHolds)
{
    TempFolder folder("fusion-late-frames");
    FusionRecording recording("test", DvsFileInfo(), kFrameWidth, kFrameHeight);
    uint64_t streamTime = 10000;
    ASSERT_EQ(
        recording.start(folder.path(), "late", DVS_APS_STREAM, std::nullopt, [&] { return streamTime; }), 0);
    auto frame = std::make_shared<std::vector<uint8_t>>(kFrameBytes, 128);
    // Frames the fusion thread still had from before the start, before and after the first
    // event buffer came: their events were never handed to the recording.
    recording.pushFrame(frame, 8000);
    recording.pushEvents(std::vector<uint8_t>(64, 1));
    recording.pushFrame(frame, 9000);
    streamTime = 20000;
    recording.pushEvents(std::vector<uint8_t>(64, 2));
    recording.pushFrame(frame, 15000);
    recording.pushFrame(frame, 48333);
    EXPECT_EQ(recording.stop(DVS_APS_STREAM), 0);
    recording.waitForVideos();

    EXPECT_EQ(videoTimes(folder.file("late.mp4")), (std::vector<uint64_t>{0, 33333}));
    EXPECT_EQ(firstLine(folder.file("late.raw")), "% aps_start_timestamp 15000");
    const std::vector<uint8_t> file = readAll(folder.file("late.raw"));
    ASSERT_GE(file.size(), 128u);
    EXPECT_EQ(std::vector<uint8_t>(file.end() - 128, file.end() - 64), std::vector<uint8_t>(64, 1));
}

TEST(FusionRecording, FramesStillQueuedAtStopKeepTheirTimes)
{
    TempFolder folder("fusion-video-times");
    FusionRecording recording("test", DvsFileInfo(), kFrameWidth, kFrameHeight);
    ASSERT_EQ(recording.start(folder.path(), "queued", APS_STREAM, std::nullopt, nullptr), 0);
    auto frame = std::make_shared<std::vector<uint8_t>>(kFrameBytes, 128);
    const uint64_t firstEnd = 5000000;
    // Handed over far faster than a 4K encoder works, then stopped at once.
    for (uint64_t k = 0; k < 6; ++k) {
        recording.pushFrame(frame, firstEnd + k * 33333);
    }
    EXPECT_EQ(recording.stop(APS_STREAM), 0);
    recording.waitForVideos();
    const std::vector<uint64_t> times = videoTimes(folder.file("queued.mp4"));
    ASSERT_EQ(times.size(), 6u);
    for (uint64_t k = 0; k < 6; ++k) {
        EXPECT_EQ(times[k], k * 33333) << k;
    }
    EXPECT_FALSE(exists(folder.file("queued.json")));
    EXPECT_FALSE(exists(folder.file("queued.raw")));
}

} // namespace
} // namespace tarvo
