// Recording a simulated camera through DvsCamera: what reaches the file is what the camera's
// callbacks saw, a trigger edge records the cached second before it, and a file that cannot be
// created gives -1 with the reason in the recording status.
#include "CameraTestSupport.h"
#include "RecorderTestSupport.h"
#include "TarvoDriver/DvsCamera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace tarvo {
namespace {

// Every event the camera's callbacks saw, and the stream time they reached.
class SeenEvents
{
public:
    explicit SeenEvents(DvsCamera& camera)
    {
        camera.addEventsStreamHandleCallback([this](Event2D* first, Event2D* last) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.insert(m_events.end(), first, last);
            m_time = (last - 1)->timestamp;
        });
    }

    uint64_t time() const { return m_time.load(); }
    size_t count() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events.size();
    }
    // Whether `run` stands in what was seen, in one piece.
    bool contains(const std::vector<Event2D>& run) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::search(m_events.begin(), m_events.end(), run.begin(), run.end()) != m_events.end();
    }

private:
    mutable std::mutex m_mutex; // guards m_events
    std::vector<Event2D> m_events;
    std::atomic<uint64_t> m_time{0};
};

TEST(CameraRecording, ARecordingHoldsExactlyTheEventsTheCallbacksSaw)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-RECORD", 1e6));
    DvsCamera& camera = *opened.camera;
    test::ScratchDir dir("camera-plain");
    SeenEvents seen(camera);
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(test::eventually([&] { return seen.count() > 200000; }));
    ASSERT_EQ(camera.startRecording(dir.file("live.raw")), 0);
    EXPECT_EQ(camera.getRecordingStatus().state, RecorderState::Recording);
    const size_t atStart = seen.count();
    ASSERT_TRUE(test::eventually([&] { return seen.count() > atStart + 1000000; }));
    EXPECT_EQ(camera.stopRecording(), 0);
    camera.stop();
    EXPECT_EQ(camera.getRecordingStatus().state, RecorderState::Idle);
    EXPECT_EQ(camera.getRecordingStatus().fault, RecordingFault::None);

    const test::ReadRecording recording = test::readRecording(dir.file("live.raw"));
    ASSERT_TRUE(recording.loaded);
    EXPECT_EQ(recording.info.serial_number, "KST-RECORD");
    ASSERT_GT(recording.events.size(), 900000u);
    EXPECT_LE(recording.info.dvs_start_timestamp, recording.events.front().timestamp);
    EXPECT_TRUE(seen.contains(recording.events));
}

TEST(CameraRecording, AFileThatCannotBeCreatedGivesMinusOneAndTheReason)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-NOFILE", 1e5));
    DvsCamera& camera = *opened.camera;
    test::LogCapture log;
    EXPECT_EQ(camera.startRecording("/proc/tarvo-none/take.raw"), -1);
    const RecordingStatus status = camera.getRecordingStatus();
    EXPECT_EQ(status.state, RecorderState::Idle);
    EXPECT_EQ(status.fault, RecordingFault::CannotOpen);
    EXPECT_EQ(status.path, "/proc/tarvo-none/take.raw");
    EXPECT_NE(status.error.find("No such file or directory"), std::string::npos) << status.error;
    EXPECT_TRUE(log.contains(4, "Cannot create /proc/tarvo-none/take.raw"));
    EXPECT_EQ(camera.stopRecording(), -1); // nothing to stop
}

TEST(CameraRecording, ATriggerEdgeRecordsTheCachedSecondBeforeIt)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-WINDOW", 2e5, 0.5));
    DvsCamera& camera = *opened.camera;
    test::ScratchDir dir("camera-window");
    ASSERT_TRUE(camera.getTool(TOOL_TRIGGER_IN)->setParam("enable", true));
    SeenEvents seen(camera);
    std::atomic<uint64_t> firstTime{0};
    camera.addEventsStreamHandleCallback([&](Event2D* first, Event2D*) {
        uint64_t none = 0;
        firstTime.compare_exchange_strong(none, first->timestamp);
    });
    std::atomic<uint64_t> edge{0};
    const std::string path = dir.file("window.raw");
    // Started on the stream thread at the edge, as the command line does; the first edge with a
    // whole second of stream before it.
    camera.addTriggerInCallback([&](EventTriggerIn trigger) {
        if (trigger.polarity == 1 && edge == 0 && firstTime != 0 && trigger.timestamp > firstTime + 1200000 &&
            camera.startRecording(path) == 0) {
            edge = trigger.timestamp;
        }
    });
    camera.setFileCacheTime(1, dir.path());
    EXPECT_EQ(camera.getRecordingStatus().state, RecorderState::Caching);
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(test::eventually([&] { return edge != 0 && seen.time() > edge + 500000; }));
    EXPECT_EQ(camera.stopRecording(), 0);
    ASSERT_TRUE(
        test::eventually([&] { return camera.getRecordingStatus().state == RecorderState::Caching; }));
    camera.stop();
    camera.setFileCacheTime(0, dir.path());
    EXPECT_EQ(camera.getRecordingStatus().fault, RecordingFault::None);

    const test::ReadRecording recording = test::readRecording(path);
    ASSERT_TRUE(recording.loaded);
    ASSERT_FALSE(recording.events.empty());
    // A second before the edge, within a buffer (100 ms of stream at this rate, and the
    // transport's 10 ms).
    EXPECT_LE(recording.events.front().timestamp, edge - 1000000 + 10000);
    EXPECT_GE(recording.events.front().timestamp, edge - 1000000 - 130000);
    EXPECT_GE(recording.events.back().timestamp, edge + 500000);
    EXPECT_TRUE(seen.contains(recording.events));
}

} // namespace
} // namespace tarvo
