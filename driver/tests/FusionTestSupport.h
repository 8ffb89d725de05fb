#pragma once

#include "CameraTestSupport.h"
#include "TarvoDriver/FusionCamera.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tarvo::test {

// What a test learns from a fusion camera's callbacks, and waits on.
struct FusionReceived
{
    struct Frame
    {
        uint64_t start = 0;
        uint64_t end = 0;
        bool squareWhereItsEdgeSaysSo = false;
    };

    template <class Update> void update(Update update)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            update();
        }
        changed.notify_all();
    }
    template <class Condition>
    bool waitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, condition);
    }

    std::mutex mutex; // guards the members below
    std::condition_variable changed;
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> syncSignals;
    std::vector<Frame> frames;
};

// The device time of the simulated fusion camera's first frame edge since its frame sensor was
// switched on; each later edge follows one frame period after the one before.
uint64_t frameEdgeOrigin(const sim::SimDevice& device);

// Registers callbacks that collect the camera's events, sync signals and frames. A frame is
// checked against the simulated camera's picture: the square it draws into frame k must be where
// the frame's end time says k is, so a frame paired with the wrong edge shows.
void collectEverything(FusionCamera& camera, const sim::SimDevice& device, FusionReceived& received);

} // namespace tarvo::test
