// The fusion camera opened through the manager on a simulated fusion camera: opening, tools,
// frames paired with their edges, the sync signals, the stream types, stopping, lost connections,
// and what the camera stores (serial number, firmware, calibration).
#include "camera/DuetCamera.h"
#include "FusionTestSupport.h"
#include "SimFusionCamera.h"
#include "TarvoBase/CalibrationJson.h"
#include "TarvoSim/SimBus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace tarvo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using sim::SimFusionCamera;

constexpr uint64_t kEdgeToFrameEnd = 25720;

class DuetCameraTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (opened.camera) {
            opened.camera->stop(DVS_APS_STREAM);
        }
    }

    test::OpenedFusionCamera opened{test::fusionCameraConfig("DUET-TEST")};
    FusionCamera& camera = *opened.camera;
    test::FusionReceived received;
};

TEST_F(DuetCameraTest, OpeningAgainEmptiesTheRegistriesWhoseIdsCountOn)
{
    EXPECT_EQ(camera.addEventsStreamHandleCallback([](Event2D*, Event2D*) {}), 0u);
    EXPECT_EQ(camera.addEventsStreamHandleCallback([](Event2D*, Event2D*) {}), 1u);
    EXPECT_EQ(camera.addSyncSignalCallback([](EventTriggerIn) {}), 0u);
    EXPECT_EQ(camera.addApsFrameCallback([](ApsFrame) {}), 0u);
    EXPECT_TRUE(camera.removeSyncSignalCallback(0));
    EXPECT_FALSE(camera.removeSyncSignalCallback(0));

    std::atomic<int> stale{0};
    camera.addEventsStreamHandleCallback([&stale](Event2D*, Event2D*) { ++stale; });
    ASSERT_EQ(opened.manager.openFusionCamera("DUET-TEST").get(), &camera);
    EXPECT_FALSE(camera.removeEventsStreamHandleCallback(0));
    EXPECT_FALSE(camera.removeApsFrameCallback(0));
    EXPECT_EQ(camera.addEventsStreamHandleCallback([](Event2D*, Event2D*) {}), 3u);
    test::collectEverything(camera, *opened.device, received);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.events.size() > 1000; }));
    EXPECT_EQ(stale, 0);
}

TEST_F(DuetCameraTest, ToolsAreTheEventSensorsAndTheFrameControlsWithoutTriggerOrSync)
{
    std::vector<ToolType> types;
    for (const ToolInfo& info : camera.getAllToolsInfo()) {
        types.push_back(info.type);
    }
    EXPECT_EQ(types, (std::vector<ToolType>{TOOL_BIASES, TOOL_ANTI_FLICKER, TOOL_EVENT_TRAIL_FILTER,
                                            TOOL_EVENT_RATE_CONTROL, TOOL_ROI, TOOL_APS_CTRL}));
    test::LogCapture log;
    EXPECT_FALSE(camera.getTool(TOOL_SYNC));
    EXPECT_FALSE(camera.getTool(TOOL_TRIGGER_IN));
    EXPECT_TRUE(log.contains(4, "Tool not found"));
    EXPECT_EQ(camera.getTool(std::string("ApsCtrl")), camera.getTool(TOOL_APS_CTRL));
    EXPECT_EQ(camera.getWidth(APS_STREAM), 3840);
    EXPECT_EQ(camera.getHeight(APS_STREAM), 2160);
    EXPECT_EQ(camera.getWidth(DVS_STREAM), 1280);
    EXPECT_EQ(camera.getHeight(DVS_STREAM), 720);
    EXPECT_EQ(camera.getWidth(DVS_APS_STREAM), 0);
}

TEST_F(DuetCameraTest, FramesArePairedWithTheSecondAndLaterRisingEdges)
{
    int exposure = 0;
    ASSERT_TRUE(camera.getTool(TOOL_APS_CTRL)->getParam("exposure_time", exposure));
    test::collectEverything(camera, *opened.device, received);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.frames.size() >= 4; }));
    camera.stop(DVS_APS_STREAM);

    const uint64_t origin = test::frameEdgeOrigin(*opened.device);
    std::lock_guard<std::mutex> lock(received.mutex);
    // Edge 0 announces the frame the sensor discards; the first frame delivered is frame 1.
    EXPECT_EQ(received.frames[0].end, origin + SimFusionCamera::kFramePeriod + kEdgeToFrameEnd);
    // A machine too busy for the fusion thread drops frames at the intake, counted; the frames
    // after such a gap still carry their own edges.
    uint64_t skipped = 0;
    for (size_t i = 0; i < received.frames.size(); ++i) {
        const auto& frame = received.frames[i];
        const uint64_t edge = frame.end - kEdgeToFrameEnd;
        EXPECT_EQ(frame.start, edge - static_cast<uint64_t>(exposure) - 200) << i;
        EXPECT_TRUE(frame.squareWhereItsEdgeSaysSo) << "frame " << i << " ending at " << frame.end;
        if (i > 0) {
            const uint64_t step = frame.end - received.frames[i - 1].end;
            ASSERT_EQ(step % SimFusionCamera::kFramePeriod, 0u) << i;
            ASSERT_GT(step, 0u) << i;
            skipped += step / SimFusionCamera::kFramePeriod - 1;
        }
    }
    const FusionStreamStatistics counts = camera.getStreamStatistics();
    EXPECT_EQ(counts.framesDelivered, received.frames.size());
    EXPECT_LE(skipped, counts.framesDropped);
}

TEST_F(DuetCameraTest, FramesLostWhileTheFusionThreadWasHeldUpDoNotShiftThePairing)
{
    test::collectEverything(camera, *opened.device, received);
    std::atomic<bool> heldUp{false};
    camera.addApsFrameCallback([&](ApsFrame) {
        if (!heldUp.exchange(true)) {
            // Long enough for the frame intake's queue to overflow.
            test::eventually([&] { return camera.getStreamStatistics().framesDropped >= 2; });
        }
    });
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.frames.size() >= 8; }));
    camera.stop(DVS_APS_STREAM);

    EXPECT_GE(camera.getStreamStatistics().framesDropped, 2u);
    std::lock_guard<std::mutex> lock(received.mutex);
    for (size_t i = 0; i < received.frames.size(); ++i) {
        EXPECT_TRUE(received.frames[i].squareWhereItsEdgeSaysSo) << "frame " << i;
    }
}

TEST(DuetCamera, EdgesWithoutFramesAreBoundedAndCounted)
{
    // Frames come with edges only while the frame sensor runs; these edges come without.
    auto config = test::fusionCameraConfig("DUET-EDGES");
    config.triggerHz = 500;
    test::OpenedFusionCamera opened(config);
    ASSERT_EQ(opened.camera->start(DVS_STREAM), 0);
    EXPECT_TRUE(test::eventually([&] { return opened.camera->getStreamStatistics().frameTimesDropped > 0; }));
    opened.camera->stop(DVS_APS_STREAM);
}

TEST_F(DuetCameraTest, SyncSignalsAreFallingEdgesAndFrameEndsButNeverRisingEdges)
{
    test::collectEverything(camera, *opened.device, received);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.frames.size() >= 3; }));
    camera.stop(DVS_APS_STREAM);

    const uint64_t origin = test::frameEdgeOrigin(*opened.device);
    std::lock_guard<std::mutex> lock(received.mutex);
    std::vector<uint64_t> frameEnds;
    for (const auto& frame : received.frames) {
        frameEnds.push_back(frame.end);
    }
    std::vector<uint64_t> signalledEnds;
    size_t falling = 0;
    for (const EventTriggerIn& signal : received.syncSignals) {
        const uint64_t sinceOrigin = signal.timestamp - origin;
        if (signal.polarity == 0) {
            // Half a period (rounded) after each rising edge.
            EXPECT_NEAR(static_cast<double>(sinceOrigin % SimFusionCamera::kFramePeriod),
                        SimFusionCamera::kFramePeriod / 2.0, 0.5);
            ++falling;
            continue;
        }
        ASSERT_EQ(signal.polarity, 1);
        EXPECT_EQ(sinceOrigin % SimFusionCamera::kFramePeriod, kEdgeToFrameEnd)
            << "a rising edge was passed on";
        signalledEnds.push_back(signal.timestamp);
    }
    EXPECT_GE(falling, frameEnds.size());
    // Every delivered frame's end came as a sync signal, in order, before the frame itself.
    ASSERT_GE(signalledEnds.size(), frameEnds.size());
    EXPECT_EQ(std::vector<uint64_t>(signalledEnds.begin(), signalledEnds.begin() + frameEnds.size()),
              frameEnds);
}

TEST_F(DuetCameraTest, StartingTheRunningTypeAgainChangesNothingAndAnotherTypeRestarts)
{
    test::collectEverything(camera, *opened.device, received);
    ASSERT_EQ(camera.start(DVS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.events.size() > 1000; }));
    {
        test::LogCapture log;
        EXPECT_EQ(camera.start(DVS_STREAM), 0);
        EXPECT_TRUE(log.contains(2, "Camera already started."));
    }
    EXPECT_TRUE(received.frames.empty());
    // Both streams over the running event stream: its threads end first, then frames come too.
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.frames.size() >= 2; }));

    // A stream switched off on its own starts again when asked.
    EXPECT_EQ(camera.stop(DVS_STREAM), 0);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    size_t before = 0;
    received.update([&] { before = received.events.size(); });
    EXPECT_TRUE(received.waitUntil([&] { return received.events.size() > before + 1000; }));
}

TEST_F(DuetCameraTest, FramesWithoutTheFusionLoopAreBoundedAndCounted)
{
    ASSERT_EQ(camera.start(APS_STREAM), 0);
    ASSERT_TRUE(test::eventually([&] { return camera.getStreamStatistics().framesDropped >= 3; }));
    const FusionStreamStatistics counts = camera.getStreamStatistics();
    // Only what the intake queue holds waits; the rest is dropped, not piled up.
    EXPECT_LE(counts.framesReceived - counts.framesDropped, 10u);
    EXPECT_EQ(counts.framesDelivered, 0u);
}

TEST_F(DuetCameraTest, StopWaitsForTheDeviceToSettleAndASecondStopReturnsAtOnce)
{
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    // 100 ms after the event output goes off and 2 s at the end, on the device's clock, which the
    // simulator runs a hundred times faster here.
    sim::SimBus::instance().setWaitScale(0.01);
    const auto begin = Clock::now();
    EXPECT_EQ(camera.stop(DVS_APS_STREAM), 0);
    EXPECT_GE(Clock::now() - begin, 21ms);
    EXPECT_EQ(camera.stop(DVS_APS_STREAM), 0);
    EXPECT_EQ(camera.stop(DVS_STREAM), 0);
}

TEST_F(DuetCameraTest, AFrameCallbackMayStopTheCamera)
{
    std::atomic<int> calls{0};
    camera.addApsFrameCallback([&](ApsFrame) {
        if (calls++ == 0) {
            camera.stop(DVS_APS_STREAM);
        }
    });
    std::atomic<bool> refused{false};
    camera.addSyncSignalCallback([&](EventTriggerIn) {
        try {
            camera.start(DVS_APS_STREAM);
        } catch (const std::logic_error&) {
            refused = true;
        }
    });
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(test::eventually([&] { return calls > 0; }));
    EXPECT_TRUE(refused);
    // The next start joins the threads of the run that stopped itself.
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    EXPECT_TRUE(test::eventually([&] { return calls > 1; }));
    // The callbacks hold this test's counters: they end before the counters do.
    camera.stop(DVS_APS_STREAM);
}

TEST_F(DuetCameraTest, AnUnplugWhileStreamingStopsTheCameraUntilItIsOpenedAgain)
{
    test::collectEverything(camera, *opened.device, received);
    ASSERT_EQ(camera.start(DVS_APS_STREAM), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.frames.size() >= 1; }));
    test::LogCapture log;
    opened.device->unplug();
    EXPECT_TRUE(test::eventually([&] { return log.contains(2, "Duet loss connection."); }));
    EXPECT_FALSE(camera.isConnected());
    // Until the stream thread has marked the camera as not opened, a start finds it running.
    EXPECT_TRUE(test::eventually([&] { return camera.start(DVS_APS_STREAM) == -1; }));
    EXPECT_EQ(camera.stop(DVS_APS_STREAM), 0);
}

TEST_F(DuetCameraTest, SerialNumbersUpTo63CharactersAreStored)
{
    std::string serial;
    ASSERT_TRUE(camera.getSerialNumber(serial));
    EXPECT_EQ(serial, "DUET-TEST");
    const std::string longest(63, 'S');
    EXPECT_TRUE(camera.setSerialNumber(longest));
    ASSERT_TRUE(camera.getSerialNumber(serial));
    EXPECT_EQ(serial, longest);
    test::LogCapture log;
    EXPECT_FALSE(camera.setSerialNumber(longest + "S"));
    EXPECT_TRUE(log.contains(4, "Serial number length must less than 64."));
    ASSERT_TRUE(camera.getSerialNumber(serial));
    EXPECT_EQ(serial, longest);
}

TEST(DuetCamera, TheFirmwareTextIsReportedAsTheCameraStoresIt)
{
    auto config = test::fusionCameraConfig("DUET-OLD");
    {
        test::OpenedFusionCamera current(config);
        std::string firmware;
        ASSERT_TRUE(current.camera->getFirmwareVersion(firmware));
        EXPECT_EQ(firmware, "Duet_V1.7.10");
    }
    // An older camera says so in the same form; whether that is too old is the application's call.
    config.firmwareVersion = "Duet_V1.6.3";
    test::OpenedFusionCamera old(config);
    std::string firmware;
    test::LogCapture log;
    ASSERT_TRUE(old.camera->getFirmwareVersion(firmware));
    EXPECT_EQ(firmware, "Duet_V1.6.3");
    EXPECT_TRUE(log.contains(2, "Firmware version: Duet_V1.6.3"));
    old.device->unplug();
    EXPECT_FALSE(old.camera->getFirmwareVersion(firmware));
    EXPECT_TRUE(log.contains(4, "Failed to get firmware version."));
}

TEST_F(DuetCameraTest, TheCalibrationIsReadFromAndWrittenToTheCamera)
{
    CalibratorParameters stored;
    ASSERT_TRUE(camera.readCalibrationParam(stored));
    EXPECT_EQ(stored.apsWidth, 3840);
    ASSERT_EQ(stored.transforms.at("1").size(), 6u);

    CalibratorParameters changed = stored;
    changed.transforms["1"][2] += 5.5;
    const std::string path = test::tempPath("duet-write-calibration.json");
    ASSERT_TRUE(paramToJsonFile(changed, path));
    ASSERT_TRUE(camera.writeCalibrationFile(path));
    CalibratorParameters back;
    ASSERT_TRUE(camera.readCalibrationParam(back));
    EXPECT_EQ(back.transforms.at("1"), changed.transforms.at("1"));

    std::ofstream(path) << "{ not json";
    EXPECT_FALSE(camera.writeCalibrationFile(path));
    std::remove(path.c_str());
}

TEST(DuetCamera, ACameraWithoutCalibrationSaysSoAndStillOpens)
{
    auto config = test::fusionCameraConfig("DUET-BARE");
    config.calibrationJson.clear();
    test::LogCapture log;
    test::OpenedFusionCamera opened(config);
    EXPECT_TRUE(log.contains(4, "Read calibration data error."));
    CalibratorParameters params;
    params.apsWidth = 7;
    EXPECT_FALSE(opened.camera->readCalibrationParam(params));
    EXPECT_EQ(params.apsWidth, 7);
    EXPECT_EQ(opened.camera->start(DVS_STREAM), 0);
    opened.camera->stop(DVS_APS_STREAM);
}

} // namespace
} // namespace tarvo
