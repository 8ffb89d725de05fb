#include "CameraCommands.h"
#include "Options.h"
#include "StreamWait.h"

#include "TarvoBase/Logger.h"
#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoSim/Install.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdio>

namespace tarvo::cli {
namespace {

bool isKnown(DvsCameraManager& manager, const std::string& serial)
{
    for (const CameraDescription& camera : manager.getCameraDescs()) {
        if (camera.serial == serial) {
            return true;
        }
    }
    return false;
}

bool isRegularFile(const std::string& path)
{
    struct stat info = {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

struct Outcome
{
    bool lost = false;
    bool rawComplete = true;
    uint64_t frames = 0;
    uint64_t events = 0;
    FusionStreamStatistics counts;
};

// Streams both sensors of `camera` and records them for `seconds`; false (said why) when the
// camera does not start or the recording cannot begin.
bool record(FusionCamera& camera, const std::string& serial, uint64_t seconds, const std::string& directory,
            const std::string& name, Outcome& outcome)
{
    std::atomic<uint64_t> frames{0}, events{0};
    camera.addApsFrameCallback([&frames](ApsFrame) { ++frames; });
    camera.addEventsStreamHandleCallback(
        [&events](Event2D* first, Event2D* last) { events += static_cast<uint64_t>(last - first); });
    // The recording begins with the first frame, so it may be started first.
    if (camera.startRecording(directory, name, DVS_APS_STREAM) != 0) {
        std::fprintf(stderr, "tarvo record: cannot record into '%s' (see the log above)\n",
                     directory.c_str());
        return false;
    }
    if (camera.start(DVS_APS_STREAM) != 0) {
        std::fprintf(stderr, "tarvo record: camera '%s' did not start\n", serial.c_str());
        camera.stopRecording(DVS_APS_STREAM);
        return false;
    }
    outcome.lost = streamWhileConnected(seconds, [&camera] { return camera.isConnected(); });
    outcome.rawComplete = camera.stopRecording(DVS_APS_STREAM) == 0;
    camera.stop(DVS_APS_STREAM);
    outcome.frames = frames;
    outcome.events = events;
    outcome.counts = camera.getStreamStatistics();
    return true;
}

} // namespace

int fusionRecordCommand(const std::vector<std::string>& args)
{
    const Options options(args, {"serial", "seconds", "fusion"});
    if (!options.has("serial") || !options.has("fusion") || options.positional().size() != 1) {
        std::fprintf(stderr, "usage: tarvo record --serial S [--seconds N] --fusion DIR NAME\n");
        return 2;
    }
    const std::string serial = options.text("serial");
    const std::string directory = options.text("fusion");
    const std::string name = options.positional()[0];
    const uint64_t seconds = options.unsignedValue("seconds", 5);
    sim::install();
    Logger::Instance().setStderrLevel(3);

    Outcome outcome;
    {
        DvsCameraManager manager;
        manager.updateCameras();
        auto camera = manager.openFusionCamera(serial);
        if (!camera) {
            std::fprintf(stderr,
                         isKnown(manager, serial)
                             ? "tarvo record: '%s' is not a fusion camera\n"
                             : "tarvo record: no camera with serial '%s' (tarvo cameras lists them)\n",
                         serial.c_str());
            return 1;
        }
        if (!record(*camera, serial, seconds, directory, name, outcome)) {
            return 1;
        }
        // Releasing the camera lets the encoder finish the video before the files are listed.
    }

    const std::string base = directory + "/" + name;
    std::printf("raw: %s.raw\n", base.c_str());
    std::printf("mp4: %s.mp4\n", base.c_str());
    std::printf("json: %s\n", isRegularFile(base + ".json") ? (base + ".json").c_str() : "-");
    std::printf("frames: %llu\n", static_cast<unsigned long long>(outcome.frames));
    std::printf("events: %llu\n", static_cast<unsigned long long>(outcome.events));
    std::printf("frames_dropped: %llu\n", static_cast<unsigned long long>(outcome.counts.framesDropped));
    std::printf("recorded_frames_dropped: %llu\n",
                static_cast<unsigned long long>(outcome.counts.recordedFramesDropped));
    if (outcome.lost) {
        std::fprintf(stderr,
                     "tarvo record: camera '%s' lost its connection; the files hold what came before\n",
                     serial.c_str());
        return 1;
    }
    if (!outcome.rawComplete) {
        std::fprintf(stderr, "tarvo record: '%s.raw' could not be written completely\n", base.c_str());
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace tarvo::cli
