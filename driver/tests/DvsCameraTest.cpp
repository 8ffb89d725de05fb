// An event camera opened through the manager on a simulated camera: bring-up, life cycle,
// streaming to callbacks and batches, statistics, lost connections and the recorder hand-off.
#include "CameraTestSupport.h"
#include "TarvoHal/DecoderFactory.h"
#include "TarvoSim/SimBus.h"
#include "camera/DvsCameraPrivate.h"
#include "camera/TarvoKestrel.h"
#include "sensor/Imx636Sequences.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <thread>

namespace tarvo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What a test learns from a camera's callbacks, and waits on.
struct Received
{
    template <class Update> void update(Update update)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            update();
        }
        changed.notify_all();
    }
    template <class Condition> bool waitUntil(Condition condition, std::chrono::milliseconds timeout = 20s)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, condition);
    }

    std::mutex mutex; // guards the members below
    std::condition_variable changed;
    std::vector<Event2D> events;
    size_t runs = 0;
    std::vector<EventTriggerIn> triggers;
    std::vector<std::pair<Clock::time_point, VxStatisticInfo>> statistics;
};

// Holds the stream thread up in the first event callback that calls it, until release().
class HoldUp
{
public:
    void holdOnce()
    {
        if (!m_holding.exchange(true)) {
            m_released.wait();
        }
    }
    bool holding() const { return m_holding; }
    void release() { m_release.set_value(); }

private:
    std::promise<void> m_release;
    std::shared_future<void> m_released = m_release.get_future().share();
    std::atomic<bool> m_holding{false};
};

uint32_t collectEvents(DvsCamera& camera, Received& received)
{
    return camera.addEventsStreamHandleCallback([&received](Event2D* first, Event2D* last) {
        received.update([&] {
            received.events.insert(received.events.end(), first, last);
            ++received.runs;
        });
    });
}

// Where the stream goes when a test takes the recorder's place.
class CapturingRecorder : public RawStreamRecorder
{
public:
    void setClock(Clock clock) override { m_clock = std::move(clock); }
    void setFileInfo(const DvsFileInfo&) override {}
    bool isActive() const override { return true; }
    void pushData(const std::vector<uint8_t>& bytes) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        this->bytes.insert(this->bytes.end(), bytes.begin(), bytes.end());
    }
    void setFileCacheTime(uint16_t, const std::string&) override {}
    bool startRecording(const std::string& path, const DvsFileInfo& info) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        recordedPath = path;
        recordedInfo = info;
        clockAtStart = m_clock ? m_clock() : 0;
        return true;
    }
    bool stopRecording() override { return true; }

    std::mutex mutex; // guards the members below
    std::vector<uint8_t> bytes;
    std::string recordedPath;
    DvsFileInfo recordedInfo;
    uint64_t clockAtStart = 0;

private:
    Clock m_clock;
};

TEST(DvsCamera, OpeningAppliesTheBringUpInOrderAndASecondOpeningWritesNothing)
{
    test::attachOnly({test::eventCameraConfig("KST-REG", 1e5)});
    auto device = sim::SimBus::instance().find("KST-REG", sim::DeviceKind::UsbEventCamera);
    device->recordWrites();
    DvsCameraManager manager;
    manager.updateCameras();
    auto camera = manager.openCamera("KST-REG");
    ASSERT_TRUE(camera);

    std::vector<uint32_t> expected;
    for (const auto* sequence :
         {&imx636StopSequence(), &imx636PowerUpSequence(), &imx636ConfigurationSequence()}) {
        for (const RegisterOperation& operation : *sequence) {
            if (operation.kind != RegisterOperation::WAIT) {
                expected.push_back(operation.address);
            }
        }
    }
    // Temperature, pixel mirror, LIFO and time base, field by field.
    for (uint32_t address :
         {0x4C, 0x4C, 0x54, 0x5C, 0x5C, 0x4C, 0x74, 0x74, 0xC, 0xC, 0xC, 0x9008, 0x9008, 0x9008, 0x9008}) {
        expected.push_back(address);
    }
    const auto writes = device->recordedWrites();
    ASSERT_EQ(writes.size(), expected.size());
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].first, expected[i]) << i;
    }
    EXPECT_EQ(device->registerValue(0x9000), 0x200u);  // the configuration's last write
    EXPECT_EQ(device->registerValue(0xC) & 0x7, 0x7u); // LIFO on, output and counter enabled
    // time_base_mode 0, external_mode 1, external_mode_enable 0, Reserved_10_4 100.
    EXPECT_EQ(device->registerValue(0x9008) & 0x7FE, (1u << 2) | (100u << 4));

    EXPECT_EQ(manager.openCamera("KST-REG"), camera);
    EXPECT_EQ(device->recordedWrites().size(), writes.size());
    EXPECT_EQ(camera->getWidth(), 1280);
    EXPECT_EQ(camera->getHeight(), 720);
}

TEST(DvsCamera, StartAndRecordingBeforeOpeningThrowNotInited)
{
    test::attachOnly({test::eventCameraConfig("KST-NEW", 1e5)});
    CameraDescription description;
    description.serial = "KST-NEW";
    TarvoKestrel camera(description);
    EXPECT_EQ(camera.getWidth(), 1280);
    EXPECT_FALSE(camera.isConnected());
    try {
        camera.start();
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Camera is not inited");
    }
    EXPECT_THROW(camera.startRecording("x.raw"), std::runtime_error);
    EXPECT_EQ(camera.stop(), 0);
}

TEST(DvsCamera, StartTwiceAndStopTwiceChangeNothingMore)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-TWICE", 5e5));
    DvsCamera& camera = *opened.camera;
    Received received;
    collectEvents(camera, received);
    ASSERT_EQ(camera.start(), 0);
    test::LogCapture log;
    EXPECT_EQ(camera.start(), 0);
    EXPECT_TRUE(log.contains(3, "already started"));
    ASSERT_TRUE(received.waitUntil([&] { return received.events.size() > 1000; }));
    EXPECT_EQ(camera.stop(), 0);
    EXPECT_TRUE(log.contains(2, "Stop camera successfully."));
    test::LogCapture second;
    EXPECT_EQ(camera.stop(), 0);
    EXPECT_TRUE(second.lines().empty());
}

TEST(DvsCamera, StartingACameraThatIsGoneFails)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-GONE", 5e5));
    opened.device->unplug();
    test::LogCapture log;
    EXPECT_EQ(opened.camera->start(), -1);
    EXPECT_TRUE(log.contains(4, "Camera KST-GONE did not start streaming"));
    std::vector<Event2D> batch;
    opened.camera->setBatchEventsNum(10);
    EXPECT_FALSE(opened.camera->getNextBatch(batch));
    EXPECT_EQ(opened.camera->stop(), 0);
}

TEST(DvsCamera, EventsArriveExactlyAsTheCameraSentThem)
{
    sim::DeviceConfig config = test::eventCameraConfig("KST-EXACT", 1e6);
    config.paced = false;
    test::OpenedCamera opened(config);
    Received received;
    collectEvents(*opened.camera, received);
    ASSERT_EQ(opened.camera->start(), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.events.size() >= 300000; }));
    opened.camera->stop();

    const std::vector<Event2D> expected = test::sceneLoop(1e6, config.seed);
    ASSERT_GE(expected.size(), 300000u);
    std::lock_guard<std::mutex> lock(received.mutex);
    for (size_t i = 0; i < 300000; ++i) {
        ASSERT_EQ(received.events[i], expected[i]) << i;
    }
}

TEST(DvsCamera, CallbackIdsCountUpPerRegistryAndAreNeverReused)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-IDS", 5e5));
    DvsCamera& camera = *opened.camera;
    auto nothing = [](Event2D*, Event2D*) {};
    EXPECT_EQ(camera.addEventsStreamHandleCallback(nothing), 0u);
    EXPECT_EQ(camera.addEventsStreamHandleCallback(nothing), 1u);
    EXPECT_EQ(camera.addTriggerInCallback([](EventTriggerIn) {}), 0u);
    EXPECT_TRUE(camera.removeEventsStreamHandleCallback(1));
    EXPECT_FALSE(camera.removeEventsStreamHandleCallback(1));
    EXPECT_FALSE(camera.removeEventsStreamHandleCallback(7));
    EXPECT_EQ(camera.addEventsStreamHandleCallback(nothing), 2u);
    EXPECT_FALSE(camera.removeTriggerInCallback(1));

    // A removed callback is not called again; the others go on.
    std::atomic<int> removedCalls{0};
    const uint32_t removed =
        camera.addEventsStreamHandleCallback([&](Event2D*, Event2D*) { ++removedCalls; });
    Received received;
    collectEvents(camera, received);
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.runs > 2; }));
    ASSERT_TRUE(camera.removeEventsStreamHandleCallback(removed));
    const int callsAtRemoval = removedCalls;
    const size_t runsAtRemoval = received.runs;
    ASSERT_TRUE(received.waitUntil([&] { return received.runs > runsAtRemoval + 5; }));
    EXPECT_EQ(removedCalls, callsAtRemoval);
    camera.stop();
}

TEST(DvsCamera, ACallbackThatChangesItsRegistryOrThrowsIsLoggedAndTheStreamGoesOn)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-REENTER", 5e5));
    DvsCamera& camera = *opened.camera;
    test::LogCapture log;
    std::atomic<uint32_t> self{0};
    self = camera.addEventsStreamHandleCallback([&](Event2D*, Event2D*) {
        camera.removeEventsStreamHandleCallback(self); // would deadlock on the registry's lock
    });
    camera.addEventsStreamHandleCallback(
        [](Event2D*, Event2D*) { throw std::runtime_error("broken consumer"); });
    Received received;
    collectEvents(camera, received);
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.runs > 20; }));
    EXPECT_TRUE(log.contains(4, "Event callback 0 failed: Event callbacks cannot be added or removed"));
    EXPECT_TRUE(log.contains(4, "Event callback 1 failed: broken consumer"));
    EXPECT_EQ(camera.stop(), 0);
}

TEST(DvsCamera, TriggerEdgesReachTheTriggerCallbacksOnceEnabled)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-TRIG", 2e5, 200));
    DvsCamera& camera = *opened.camera;
    Received received;
    camera.addTriggerInCallback(
        [&](EventTriggerIn trigger) { received.update([&] { received.triggers.push_back(trigger); }); });
    ASSERT_TRUE(camera.getTool(TOOL_TRIGGER_IN)->setParam("enable", true));
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.triggers.size() >= 6; }));
    camera.stop();
    std::lock_guard<std::mutex> lock(received.mutex);
    for (size_t i = 1; i < received.triggers.size(); ++i) {
        EXPECT_NE(received.triggers[i].polarity, received.triggers[i - 1].polarity); // rising, falling, …
        EXPECT_GT(received.triggers[i].timestamp, received.triggers[i - 1].timestamp);
    }
}

TEST(DvsCamera, BatchesByCountAndByTimeComeFromTheLiveStream)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-BATCH", 1e6));
    DvsCamera& camera = *opened.camera;
    std::vector<Event2D> batch;
    EXPECT_FALSE(camera.getNextBatch(batch)); // no batch mode
    camera.setBatchEventsNum(5000);
    EXPECT_FALSE(camera.getNextBatch(batch)); // not streaming: nothing would come
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(camera.getNextBatch(batch));
    EXPECT_EQ(batch.size(), 5000u);
    camera.setBatchEventsTime(20000);
    bool gotTimeBatch = false;
    for (int i = 0; i < 5 && !gotTimeBatch; ++i) {
        gotTimeBatch = camera.getNextBatch(batch) && !batch.empty();
    }
    ASSERT_TRUE(gotTimeBatch);
    EXPECT_LT(batch.back().timestamp - batch.front().timestamp, 20000u);
    EXPECT_GT(batch.size(), 5000u); // about 20000 at 1 Mev/s
    camera.stop();
}

TEST(DvsCamera, StatisticsArriveOnceASecondWithTheStreamRates)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-STAT", 1e6));
    DvsCamera& camera = *opened.camera;
    Received received;
    camera.setStatisticInfoCallback([&](VxStatisticInfo info) {
        received.update([&] { received.statistics.emplace_back(Clock::now(), info); });
    });
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.statistics.size() >= 4; }));
    camera.stop();
    std::lock_guard<std::mutex> lock(received.mutex);
    const auto& stats = received.statistics;
    for (size_t i = 1; i < stats.size(); ++i) {
        const auto gap = stats[i].first - stats[i - 1].first;
        EXPECT_GT(gap, 900ms);
        EXPECT_LT(gap, 3s);
    }
    // The first second includes starting the scene; the later ones run at the camera's rate.
    EXPECT_NEAR(static_cast<double>(stats.back().second.eventRate), 1e6, 3e5);
    EXPECT_GT(stats.back().second.dataRate, stats.back().second.eventRate); // over a byte an event
}

TEST(DvsCamera, AnUnplugDuringStreamingEndsTheLoopAndWakesAWaitingCaller)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-UNPLUG", 5e5));
    DvsCamera& camera = *opened.camera;
    camera.setBatchEventsTime(10000);
    ASSERT_EQ(camera.start(), 0);
    std::atomic<int> batches{0};
    auto caller = std::async(std::launch::async, [&] {
        std::vector<Event2D> batch;
        while (camera.getNextBatch(batch)) {
            ++batches;
        }
    });
    ASSERT_TRUE(test::eventually([&] { return batches > 2; }));
    test::LogCapture log;
    sim::SimBus::instance().detach("KST-UNPLUG");
    ASSERT_EQ(caller.wait_for(20s), std::future_status::ready);
    EXPECT_TRUE(test::eventually(
        [&] { return log.contains(2, "Loss connection to the camera, camera loop thread exited."); }));
    EXPECT_FALSE(camera.isConnected());
    EXPECT_EQ(camera.stop(), 0);
    std::vector<Event2D> batch;
    EXPECT_FALSE(camera.getNextBatch(batch));
    EXPECT_THROW(camera.start(), std::runtime_error);
}

TEST(DvsCamera, StopFromTheCamerasOwnCallbacksEndsTheStream)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-SELF", 5e5));
    DvsCamera& camera = *opened.camera;
    std::promise<int> stopped;
    std::atomic<bool> once{false};
    camera.addEventsStreamHandleCallback([&](Event2D*, Event2D*) {
        if (!once.exchange(true)) {
            stopped.set_value(camera.stop());
        }
    });
    ASSERT_EQ(camera.start(), 0);
    auto result = stopped.get_future();
    ASSERT_EQ(result.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(result.get(), 0);
    EXPECT_EQ(camera.stop(), 0);
    EXPECT_THROW(camera.start(), std::runtime_error);

    // Opened again, it streams again; then the statistic callback stops it.
    ASSERT_EQ(opened.manager.openCamera("KST-SELF"), opened.camera);
    std::promise<int> stoppedByStatistics;
    camera.setStatisticInfoCallback([&](VxStatisticInfo) {
        camera.setStatisticInfoCallback(nullptr);
        stoppedByStatistics.set_value(camera.stop());
    });
    ASSERT_EQ(camera.start(), 0);
    auto second = stoppedByStatistics.get_future();
    ASSERT_EQ(second.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(second.get(), 0);
    EXPECT_FALSE(opened.manager.openCamera("KST-SELF") == nullptr);
}

TEST(DvsCamera, DestroyingTheCameraReleasesACallerWaitingForABatch)
{
    test::attachOnly({test::eventCameraConfig("KST-DTOR", 2e5)});
    auto manager = std::make_unique<DvsCameraManager>();
    manager->updateCameras();
    auto camera = manager->openCamera("KST-DTOR");
    ASSERT_TRUE(camera);
    camera->setBatchEventsNum(1u << 30); // never completes
    ASSERT_EQ(camera->start(), 0);
    auto* batcher = &dynamic_cast<DvsCameraPrivate&>(*camera).batcher();
    DvsCamera* raw = camera.get();
    std::promise<bool> result;
    std::thread caller([&] {
        std::vector<Event2D> batch;
        result.set_value(raw->getNextBatch(batch));
    });
    ASSERT_TRUE(test::eventually([&] { return batcher->progress(EventBatcher::BY_COUNT).waiters == 1; }));
    manager.reset();
    camera.reset();
    caller.join();
    EXPECT_FALSE(result.get_future().get());
}

TEST(DvsCamera, AStreamThreadHeldUpLongLosesBuffersOnlyOnceTheIntakeQueueIsFullAndCountsThem)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-DROP", 30e6));
    DvsCamera& camera = *opened.camera;
    HoldUp slowConsumer;
    camera.addEventsStreamHandleCallback([&](Event2D*, Event2D*) { slowConsumer.holdOnce(); });
    EXPECT_EQ(camera.getDroppedBufferCount(), 0u);
    test::LogCapture log;
    ASSERT_EQ(camera.start(), 0);
    // The intake keeps taking buffers off the transport while the stream thread is held up,
    // until its queue is full.
    ASSERT_TRUE(test::eventually([&] { return camera.getDroppedBufferCount() > 0; }));
    slowConsumer.release();
    ASSERT_TRUE(test::eventually([&] { return log.contains(3, "raw buffers in the last second"); }));
    EXPECT_EQ(camera.stop(), 0);
    const uint64_t dropped = camera.getDroppedBufferCount();
    EXPECT_GT(dropped, 0u);
    EXPECT_TRUE(log.contains(3, "Camera KST-DROP dropped " + std::to_string(dropped) + " raw buffers"));

    // A new run counts from zero.
    ASSERT_TRUE(opened.manager.openCamera("KST-DROP"));
    ASSERT_EQ(camera.start(), 0);
    EXPECT_EQ(camera.getDroppedBufferCount(), 0u);
    EXPECT_EQ(camera.stop(), 0);
}

TEST(DvsCamera, AShortHoldUpOfTheStreamThreadLosesNothing)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-HOLD", 10e6));
    DvsCamera& camera = *opened.camera;
    HoldUp slowConsumer;
    std::atomic<uint64_t> events{0}, lastTime{0}, widestGap{0};
    camera.addEventsStreamHandleCallback([&](Event2D* first, Event2D* last) {
        slowConsumer.holdOnce();
        for (const Event2D* e = first; e != last; ++e) {
            if (lastTime > 0 && e->timestamp > lastTime) {
                widestGap = std::max<uint64_t>(widestGap, e->timestamp - lastTime);
            }
            lastTime = e->timestamp;
        }
        events += static_cast<uint64_t>(last - first);
    });
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(test::eventually([&] { return slowConsumer.holding(); }));
    // Held for half a second of the camera's clock: 25 times what the transport holds at this rate.
    const uint64_t heldAt = opened.device->clockUs();
    ASSERT_TRUE(test::eventually([&] { return opened.device->clockUs() >= heldAt + 500000; }));
    slowConsumer.release();
    ASSERT_TRUE(test::eventually([&] { return events > 8000000; }));
    EXPECT_EQ(camera.stop(), 0);
    EXPECT_EQ(camera.getDroppedBufferCount(), 0u);
    // A lost buffer would leave a gap of milliseconds in a stream of an event every 0.1 µs.
    EXPECT_LT(widestGap, 1000u);
}

TEST(DvsCamera, TheRecorderGetsEveryRawBufferBeforeItIsDecoded)
{
    test::OpenedCamera opened(test::eventCameraConfig("KST-REC", 1e6));
    DvsCamera& camera = *opened.camera;
    auto recorder = std::make_unique<CapturingRecorder>();
    CapturingRecorder& capture = *recorder;
    dynamic_cast<DvsCameraPrivate&>(camera).setRecorder(std::move(recorder));
    Received received;
    collectEvents(camera, received);
    ASSERT_EQ(camera.start(), 0);
    ASSERT_TRUE(received.waitUntil([&] { return received.events.size() > 100000; }));
    EXPECT_EQ(camera.startRecording("/tmp/take.raw"), 0);
    camera.stop();
    {
        std::lock_guard<std::mutex> lock(capture.mutex);
        EXPECT_EQ(capture.recordedPath, "/tmp/take.raw");
        EXPECT_EQ(capture.recordedInfo.serial_number, "KST-REC");
        // The recording starts at the stream time the camera had reached, on the recorder's clock.
        EXPECT_GT(capture.recordedInfo.dvs_start_timestamp, 0u);
        EXPECT_LE(capture.recordedInfo.dvs_start_timestamp, capture.clockAtStart);
    }
    // The recorded bytes decode to exactly the events the callbacks saw.
    auto decoder = DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"));
    std::vector<Event2D> decoded;
    decoder->setEventsStreamHandleCallback(
        [&](const Event2D* first, const Event2D* last) { decoded.insert(decoded.end(), first, last); });
    decoder->decode(capture.bytes);
    std::lock_guard<std::mutex> lock(received.mutex);
    EXPECT_EQ(decoded, received.events);
}

TEST(DvsCamera, AnEthernetCameraStreamsOnceStarted)
{
    test::OpenedCamera opened(
        test::ethernetCameraConfig("ETH-STREAM", 5e5, "192.168.1.100", "255.255.255.0", "192.168.1.1"));
    Received received;
    collectEvents(*opened.camera, received);
    ASSERT_EQ(opened.camera->start(), 0);
    EXPECT_TRUE(received.waitUntil([&] { return received.events.size() > 10000; }));
    EXPECT_EQ(opened.camera->stop(), 0);
}

} // namespace
} // namespace tarvo
