#include "CameraCommands.h"
#include "Commands.h"
#include "Options.h"
#include "StreamWait.h"

#include "TarvoBase/Logger.h"
#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoDriver/DvsFileReader.h"
#include "TarvoDriver/RecordingNames.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <limits>
#include <mutex>
#include <thread>

namespace tarvo::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPoll = std::chrono::milliseconds(20);
constexpr auto kProgressPeriod = std::chrono::seconds(1);

const char* const kUsage =
    "usage: tarvo record --serial S --seconds N [--config FILE] OUT.raw\n"
    "       tarvo record --serial S --pre-s P --post-s Q --dir D [--count K] [--config FILE]\n"
    "       tarvo record --serial S [--seconds N] --fusion DIR NAME\n";

double mebibytes(uint64_t bytes)
{
    return static_cast<double>(bytes) / (1 << 20);
}

// Prints a recording's name, size and span as the RAW reader sees them; false when it does not
// open (the reader has said why).
bool describeRecording(const std::string& path, const char* note)
{
    struct stat info = {};
    ::stat(path.c_str(), &info);
    auto reader = openRecording("record", path);
    if (!reader) {
        return false;
    }
    uint64_t start = 0, end = 0;
    reader->getStartTimeStamp(start);
    reader->getEndTimeStamp(end);
    std::printf("%s: %llu bytes, %llu to %llu us (%.3f s)%s\n", path.c_str(),
                static_cast<unsigned long long>(info.st_size), static_cast<unsigned long long>(start),
                static_cast<unsigned long long>(end), static_cast<double>(end - start) / 1e6, note);
    std::fflush(stdout);
    Logger::Instance().setStderrLevel(3);
    return true;
}

// Prints the recorder's progress once a period, on standard error.
class Progress
{
public:
    void tick(const DvsCamera& camera)
    {
        const auto now = Clock::now();
        if (now < m_next) {
            return;
        }
        m_next = now + kProgressPeriod;
        const RecordingStatus status = camera.getRecordingStatus();
        const double elapsed = std::chrono::duration<double>(now - m_begin).count();
        switch (status.state) {
        case RecorderState::Recording:
            std::fprintf(stderr, "%.0f s: %.1f MiB written, %.1f MiB waiting\n", elapsed,
                         mebibytes(status.bytesWritten), mebibytes(status.queuedBytes));
            break;
        case RecorderState::Caching:
            std::fprintf(stderr, "%.0f s: caching, %.1f MiB cached\n", elapsed,
                         mebibytes(status.cachedBytes));
            break;
        case RecorderState::CachedRecording:
            std::fprintf(stderr, "%.0f s: recording %s, %.1f MiB cached\n", elapsed, status.path.c_str(),
                         mebibytes(status.cachedBytes));
            break;
        case RecorderState::Saving:
            std::fprintf(stderr, "%.0f s: saving %s, %.1f of %.1f MiB written\n", elapsed,
                         status.path.c_str(), mebibytes(status.bytesWritten), mebibytes(status.cachedBytes));
            break;
        case RecorderState::Idle:
            break;
        }
    }

private:
    Clock::time_point m_begin = Clock::now();
    Clock::time_point m_next = m_begin + kProgressPeriod;
};

// Says why the recording failed, when it did.
bool reportFault(const DvsCamera& camera)
{
    const RecordingStatus status = camera.getRecordingStatus();
    if (status.fault == RecordingFault::None) {
        return false;
    }
    std::fprintf(stderr, "tarvo record: %s\n", status.error.c_str());
    return true;
}

int recordPlain(DvsCamera& camera, const std::string& serial, uint64_t seconds, const std::string& path)
{
    if (camera.start() != 0) {
        std::fprintf(stderr, "tarvo record: camera '%s' did not start\n", serial.c_str());
        return 1;
    }
    if (camera.startRecording(path) != 0) {
        std::fprintf(stderr, "tarvo record: %s\n", camera.getRecordingStatus().error.c_str());
        camera.stop();
        return 1;
    }
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    Progress progress;
    bool lost = false;
    while ((seconds == 0 || Clock::now() < end) && !interrupted() &&
           camera.getRecordingStatus().state == RecorderState::Recording) {
        if (!camera.isConnected()) {
            lost = true;
            break;
        }
        progress.tick(camera);
        std::this_thread::sleep_for(kPoll);
    }
    camera.stopRecording();
    camera.stop();
    if (reportFault(camera)) {
        return 1;
    }
    if (!describeRecording(path, "")) {
        return 1;
    }
    if (lost) {
        std::fprintf(stderr, "tarvo record: camera '%s' lost its connection; the recording ends there\n",
                     serial.c_str());
        return 1;
    }
    return 0;
}

// The trigger edges' side of a trigger-window recording: a rising edge starts a recording at once,
// on the camera's stream thread, so that the kept seconds end at the edge.
class TriggerWindows
{
public:
    // At most `count` recordings start (0: no limit).
    TriggerWindows(DvsCamera& camera, std::string serial, std::string directory, uint64_t postUs,
                   uint64_t count)
        : m_camera(camera), m_serial(std::move(serial)), m_directory(std::move(directory)), m_postUs(postUs),
          m_remaining(count == 0 ? std::numeric_limits<uint64_t>::max() : count)
    {
    }

    // Called on the camera's stream thread.
    void edge(const EventTriggerIn& trigger)
    {
        if (trigger.polarity != 1) {
            return;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_path.empty() || m_remaining == 0) {
                return; // the recording under way goes on
            }
        }
        const std::string path =
            m_directory + "/" + recordingFileName(m_serial, std::chrono::system_clock::now());
        if (m_camera.startRecording(path) != 0) {
            const RecordingStatus status = m_camera.getRecordingStatus();
            std::fprintf(stderr, "tarvo record: trigger edge at %llu us not recorded: %s\n",
                         static_cast<unsigned long long>(trigger.timestamp),
                         status.state == RecorderState::Saving ? "the last recording is still being saved"
                                                               : status.error.c_str());
            return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_path = path;
        m_edge = trigger.timestamp;
        --m_remaining;
    }

    // Called on the camera's stream thread with each run of events.
    void streamTime(uint64_t time) { m_streamTime = time; }

    // The recording whose after-trigger seconds have passed, taken over by the caller to stop;
    // empty when there is none.
    bool takeFinished(std::string& path, uint64_t& edge)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_path.empty() || m_streamTime.load() < m_edge + m_postUs) {
            return false;
        }
        path.swap(m_path);
        m_path.clear();
        edge = m_edge;
        return true;
    }

    // No more recordings start; the one under way, if any, is handed over.
    bool end(std::string& path, uint64_t& edge)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_remaining = 0;
        if (m_path.empty()) {
            return false;
        }
        path.swap(m_path);
        m_path.clear();
        edge = m_edge;
        return true;
    }

private:
    DvsCamera& m_camera;
    const std::string m_serial;
    const std::string m_directory;
    const uint64_t m_postUs;
    std::atomic<uint64_t> m_streamTime{0};
    std::mutex m_mutex; // guards the three members below
    std::string m_path; // the recording under way
    uint64_t m_edge = 0;
    uint64_t m_remaining; // recordings that may still start
};

// Stops the recording of `path` and waits for its save; false (said why) when it failed.
bool finishWindow(DvsCamera& camera, const std::string& path, uint64_t edge, Progress& progress)
{
    camera.stopRecording();
    while (camera.getRecordingStatus().state == RecorderState::Saving) {
        progress.tick(camera);
        std::this_thread::sleep_for(kPoll);
    }
    if (reportFault(camera)) {
        return false;
    }
    const std::string note = ", trigger at " + std::to_string(edge) + " us";
    return describeRecording(path, note.c_str());
}

int recordTriggerWindows(DvsCamera& camera, const std::string& serial, const Options& options)
{
    const uint64_t preSeconds = options.unsignedValue("pre-s", 0);
    const uint64_t postSeconds = options.unsignedValue("post-s", 0);
    const uint64_t count = options.unsignedValue("count", 0);
    const std::string directory = options.text("dir");
    if (preSeconds == 0 || preSeconds > std::numeric_limits<uint16_t>::max() || postSeconds == 0) {
        std::fprintf(stderr, "tarvo record: --pre-s needs 1 to 65535 seconds and --post-s at least 1\n");
        return 2;
    }
    struct stat folder = {};
    if (::stat(directory.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
        std::fprintf(stderr, "tarvo record: '%s' is not a folder\n", directory.c_str());
        return 1;
    }
    const auto trigger = camera.getTool(TOOL_TRIGGER_IN);
    if (!trigger || !trigger->setParam("enable", true)) {
        std::fprintf(stderr, "tarvo record: cannot enable the trigger input of camera '%s'\n",
                     serial.c_str());
        return 1;
    }
    camera.setFileCacheTime(static_cast<uint16_t>(preSeconds), directory);
    if (reportFault(camera)) {
        return 1;
    }
    TriggerWindows windows(camera, serial, directory, postSeconds * 1000000, count);
    camera.addEventsStreamHandleCallback(
        [&windows](Event2D*, Event2D* last) { windows.streamTime((last - 1)->timestamp); });
    const uint32_t edges =
        camera.addTriggerInCallback([&windows](EventTriggerIn edge) { windows.edge(edge); });
    if (camera.start() != 0) {
        std::fprintf(stderr, "tarvo record: camera '%s' did not start\n", serial.c_str());
        return 1;
    }
    std::fprintf(stderr, "caching %llu s; each rising trigger edge records them and %llu s after it\n",
                 static_cast<unsigned long long>(preSeconds), static_cast<unsigned long long>(postSeconds));

    Progress progress;
    uint64_t saved = 0;
    bool failed = false;
    bool lost = false;
    std::string path;
    uint64_t edge = 0;
    while (!interrupted() && (count == 0 || saved < count)) {
        if (windows.takeFinished(path, edge)) {
            if (!finishWindow(camera, path, edge, progress)) {
                failed = true;
                break;
            }
            ++saved;
            continue;
        }
        if (reportFault(camera)) {
            failed = true;
            break;
        }
        if (!camera.isConnected()) {
            lost = true;
            break;
        }
        progress.tick(camera);
        std::this_thread::sleep_for(kPoll);
    }
    camera.removeTriggerInCallback(edges);
    // A window cut short by Ctrl-C or a lost camera is kept as far as it got.
    if (windows.end(path, edge) && !failed && !finishWindow(camera, path, edge, progress)) {
        failed = true;
    }
    camera.setFileCacheTime(0, directory);
    camera.stop();
    if (lost) {
        std::fprintf(stderr, "tarvo record: camera '%s' lost its connection\n", serial.c_str());
    }
    return failed || lost ? 1 : 0;
}

} // namespace

int recordCommand(const std::vector<std::string>& args)
{
    if (std::find(args.begin(), args.end(), "--fusion") != args.end()) {
        return fusionRecordCommand(args);
    }
    const Options options(args, {"serial", "seconds", "config", "pre-s", "post-s", "dir", "count"});
    const bool plain = options.has("seconds");
    const bool windows =
        options.has("pre-s") || options.has("post-s") || options.has("dir") || options.has("count");
    const bool plainComplete = plain && options.positional().size() == 1 && !windows;
    const bool windowsComplete = !plain && options.positional().empty() && options.has("pre-s") &&
                                 options.has("post-s") && options.has("dir");
    if (!options.has("serial") || !(plainComplete || windowsComplete)) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const std::string serial = options.text("serial");
    const uint64_t seconds = options.unsignedValue("seconds", 0);
    DvsCameraManager manager;
    const auto camera = openEventCamera(manager, "record", serial, options.text("config"));
    if (!camera) {
        return 1;
    }
    catchInterrupt();
    const int status = plain ? recordPlain(*camera, serial, seconds, options.positional()[0])
                             : recordTriggerWindows(*camera, serial, options);
    releaseInterrupt();
    return status;
}

} // namespace tarvo::cli
