#include "SimEventCamera.h"
#include "SensorTestSupport.h"
#include "TarvoHal/Imx636Biases.h"
#include "TarvoHal/Imx636EventRateControl.h"
#include "TarvoHal/Imx636ROI.h"
#include "TarvoHal/Imx636TriggerIn.h"
#include "TarvoHal/UsbInterface.h"
#include "TarvoSim/SimBus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

// Events per second of stream time over the part of the stream after its first 50 ms.
double streamRate(const std::vector<Event2D>& events, uint64_t from, uint64_t span)
{
    size_t count = 0;
    for (const Event2D& e : events) {
        count += e.timestamp >= from && e.timestamp < from + span ? 1 : 0;
    }
    return count * 1e6 / static_cast<double>(span);
}

bool spans(const std::vector<Event2D>& events, uint64_t us)
{
    return events.size() > 1 && events.back().timestamp - events.front().timestamp >= us;
}

TEST(SimEventCamera, StreamsOnlyBetweenStartAndStopSequences)
{
    test::SensorCamera camera(test::eventCameraConfig("STREAM-1", 5e5));
    camera.bringUp();
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    reader.readFor(200ms);
    EXPECT_EQ(reader.buffers, 0u); // powered and configured, not started

    camera.start();
    ASSERT_TRUE(reader.readUntil([&] { return reader.events.size() > 20000; }, 5s));
    camera.stop();
    // What was produced before the stop drains; then nothing more comes.
    ASSERT_TRUE(reader.readUntil([&] { return reader.stream().waitNextBuffer() <= 0; }, 5s));
    const size_t buffers = reader.buffers;
    reader.readFor(200ms);
    EXPECT_EQ(reader.buffers, buffers);
    for (size_t size : reader.bufferSizes) {
        EXPECT_LE(size, 0x20000u);
        EXPECT_EQ(size % 2, 0u);
    }
}

TEST(SimEventCamera, DeliversTheConfiguredRate)
{
    test::SensorCamera camera(test::eventCameraConfig("STREAM-2", 1e6));
    camera.bringUp();
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    camera.start();
    ASSERT_TRUE(reader.readUntil([&] { return spans(reader.events, 400000); }, 10s));
    const uint64_t t0 = reader.events.front().timestamp;
    EXPECT_NEAR(streamRate(reader.events, t0 + 50000, 300000), 1e6, 1e5);
}

TEST(SimEventCamera, UnpacedStreamDecodesToTheSceneExactly)
{
    sim::DeviceConfig config = test::eventCameraConfig("STREAM-3", 1e6);
    config.paced = false;
    test::SensorCamera camera(config);
    camera.bringUp();
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    camera.start();
    ASSERT_TRUE(reader.readUntil([&] { return reader.events.size() > 300000; }, 10s));
    for (size_t size : reader.bufferSizes) {
        EXPECT_EQ(size, 0x20000u); // an unpaced camera always fills its transfers
    }

    const std::vector<Event2D> expected = test::sceneLoop(1e6, config.seed);
    ASSERT_GE(expected.size(), 300000u);
    for (size_t i = 0; i < 300000; ++i) {
        ASSERT_EQ(reader.events[i], expected[i]) << i;
    }
}

TEST(SimEventCamera, RoiKeepsOnlyItsWindowAndRoniOnlyTheRest)
{
    test::SensorCamera camera(test::eventCameraConfig("STREAM-4", 2e6));
    camera.bringUp();
    Imx636ROI roi(camera.registers);
    ASSERT_TRUE(roi.setParam("x", 100));
    ASSERT_TRUE(roi.setParam("x_width", 500));
    ASSERT_TRUE(roi.setParam("y", 50));
    ASSERT_TRUE(roi.setParam("y_height", 300));
    ASSERT_TRUE(roi.setParam("enable", true));
    auto inside = [](const Event2D& e) { return e.x >= 100 && e.x < 600 && e.y >= 50 && e.y < 350; };
    {
        test::StreamReader reader(camera.interface);
        ASSERT_TRUE(reader.stream().start());
        camera.start();
        ASSERT_TRUE(reader.readUntil([&] { return reader.events.size() > 20000; }, 5s));
        EXPECT_TRUE(std::all_of(reader.events.begin(), reader.events.end(), inside));
        camera.stop();
    }
    ASSERT_TRUE(roi.setParam("mode", "RONI"));
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    camera.start();
    ASSERT_TRUE(reader.readUntil([&] { return reader.events.size() > 20000; }, 5s));
    EXPECT_TRUE(std::none_of(reader.events.begin(), reader.events.end(), inside));
}

TEST(SimEventCamera, EventRateControlCapsTheRate)
{
    test::SensorCamera camera(test::eventCameraConfig("STREAM-5", 4e6));
    camera.bringUp();
    Imx636EventRateControl erc(camera.registers);
    ASSERT_TRUE(erc.setParam("max_event_rate", 1));
    ASSERT_TRUE(erc.setParam("enable", true));
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    camera.start();
    ASSERT_TRUE(reader.readUntil([&] { return spans(reader.events, 400000); }, 10s));
    const uint64_t t0 = reader.events.front().timestamp;
    EXPECT_NEAR(streamRate(reader.events, t0 + 50000, 300000), 1e6, 1.5e5);
}

TEST(SimEventCamera, CloserOnThresholdGivesMoreOnEvents)
{
    test::SensorCamera camera(test::eventCameraConfig("STREAM-6", 1e6));
    camera.bringUp();
    Imx636Biases biases(camera.registers);
    auto onShare = [&]() {
        test::StreamReader reader(camera.interface);
        EXPECT_TRUE(reader.stream().start());
        camera.start();
        EXPECT_TRUE(reader.readUntil([&] { return reader.events.size() > 100000; }, 5s));
        camera.stop();
        size_t on = 0;
        for (const Event2D& e : reader.events) {
            on += e.polarity ? 1 : 0;
        }
        return static_cast<double>(on) / static_cast<double>(reader.events.size());
    };
    const double before = onShare();
    ASSERT_TRUE(biases.setParam("bias_diff_on", 96)); // half the default gap to bias_diff
    const double after = onShare();
    // ON events double while OFF events stay: the ON share p becomes 2p / (1 + p).
    EXPECT_NEAR(after, 2 * before / (1 + before), 0.03);
}

TEST(SimEventCamera, TriggerEdgesComeAtTheConfiguredFrequencyWhileEnabled)
{
    test::SensorCamera camera(test::eventCameraConfig("STREAM-7", 2e5, 50));
    camera.bringUp();
    Imx636TriggerIn trigger(camera.registers);
    {
        test::StreamReader reader(camera.interface);
        ASSERT_TRUE(reader.stream().start());
        camera.start();
        ASSERT_TRUE(reader.readUntil([&] { return spans(reader.events, 150000); }, 5s));
        EXPECT_TRUE(reader.triggers.empty());
        camera.stop();
    }
    ASSERT_TRUE(trigger.setParam("enable", true));
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    camera.start();
    ASSERT_TRUE(reader.readUntil([&] { return reader.triggers.size() >= 8; }, 5s));
    for (size_t i = 1; i < reader.triggers.size(); ++i) {
        EXPECT_NE(reader.triggers[i].polarity, reader.triggers[i - 1].polarity);
        EXPECT_EQ(reader.triggers[i].timestamp - reader.triggers[i - 1].timestamp, 10000u);
        EXPECT_EQ(reader.triggers[i].id, 0);
    }
}

TEST(SimEventCamera, AStreamNobodyReadsDropsWholeBuffersAndCountsThem)
{
    test::SensorCamera camera(test::eventCameraConfig("STREAM-9", 4e6));
    camera.bringUp();
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    EXPECT_EQ(reader.stream().getDroppedBufferCount(), 0u);
    camera.start();
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (reader.stream().getDroppedBufferCount() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms); // the host is busy elsewhere: nobody reads
    }
    ASSERT_GT(reader.stream().getDroppedBufferCount(), 0u);
    // What is read afterwards still decodes: the device sends the time again after a gap.
    ASSERT_TRUE(reader.readUntil([&] { return reader.events.size() > 100000; }, 10s));
    for (size_t i = 1; i < reader.events.size(); ++i) {
        ASSERT_GE(reader.events[i].timestamp, reader.events[i - 1].timestamp) << i;
    }
}

TEST(SimEventCamera, UnpluggedCameraDeliversNothingAndWaitingReadersReturn)
{
    test::SensorCamera camera(test::eventCameraConfig("STREAM-8", 5e5));
    camera.bringUp();
    test::StreamReader reader(camera.interface);
    ASSERT_TRUE(reader.stream().start());
    camera.start();
    ASSERT_TRUE(reader.readUntil([&] { return reader.buffers > 2; }, 5s));

    std::atomic<bool> sawEnd{false};
    std::thread waiter([&] {
        // A stream loop: wait, and on an empty wait check the connection.
        for (int i = 0; i < 1000 && !sawEnd; ++i) {
            if (reader.stream().waitNextBuffer() <= 0 && !camera.interface->isConnected()) {
                sawEnd = true;
            } else {
                reader.stream().getLatestBuffer();
            }
        }
    });
    camera.device->unplug();
    waiter.join();
    EXPECT_TRUE(sawEnd);
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(reader.stream().waitNextBuffer(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 50ms);
    EXPECT_FALSE(reader.stream().getLatestBuffer().has_value());
    const auto found = UsbInterface::findUsbDvsCamera(0x04B5, 0x0001);
    EXPECT_TRUE(std::none_of(found.begin(), found.end(),
                             [](const CameraDescription& d) { return d.serial == "STREAM-8"; }));
}

} // namespace
} // namespace tarvo
