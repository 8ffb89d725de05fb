#include "StreamWait.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace tarvo::cli {
namespace {

std::atomic<bool> g_interrupted{false};

void onInterrupt(int)
{
    g_interrupted = true;
}

} // namespace

void catchInterrupt()
{
    g_interrupted = false;
    std::signal(SIGINT, onInterrupt);
}

bool interrupted()
{
    return g_interrupted;
}

void releaseInterrupt()
{
    std::signal(SIGINT, SIG_DFL);
}

bool streamWhileConnected(uint64_t seconds, const std::function<bool()>& connected)
{
    using Clock = std::chrono::steady_clock;
    catchInterrupt();
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    bool lost = false;
    while ((seconds == 0 || Clock::now() < end) && !interrupted()) {
        if (!connected()) {
            lost = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    releaseInterrupt();
    return lost;
}

} // namespace tarvo::cli
