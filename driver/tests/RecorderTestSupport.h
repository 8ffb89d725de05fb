#pragma once

#include "FileRecorder/DvsFileRecorder.h"
#include "FileRecorder/RawStreamRecorder.h"
#include "TarvoBase/EventTypes.h"
#include "TarvoHal/Decoder.h"
#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvo::test {

// An event stream as a camera sends it (the synthetic scene with trigger pulses, EVT 3.0 with
// TIME_HIGH repeated), fed to a recorder slice by slice as a camera's stream thread feeds it:
// only while the recorder is active, with the clock at the stream time a camera's decoder had
// reached before the slice.
class StreamFeeder
{
public:
    explicit StreamFeeder(double eventsPerSecond, uint64_t startUs = 1000000, double triggerHz = 0);

    // The recorder's clock; valid while the feeder lives.
    RawStreamRecorder::Clock clock();
    // Feeds the stream up to `untilUs` in slices of `sliceUs` of stream time.
    void feed(RawStreamRecorder& recorder, uint64_t untilUs, uint64_t sliceUs = 10000);
    uint64_t time() const { return m_time.load(); }

    // Every byte handed to the recorder, in order, and where each slice of them began.
    struct Slice
    {
        size_t offset = 0;
        uint64_t timeBefore = 0; // the clock when it was pushed
    };
    const std::vector<uint8_t>& pushed() const { return m_pushed; }
    const std::vector<Slice>& slices() const { return m_slices; }

private:
    sim::SyntheticScene m_scene;
    Evt3Encoder m_encoder;
    std::unique_ptr<Decoder> m_decoder;
    uint64_t m_generated;
    std::atomic<uint64_t> m_time{0};
    std::vector<uint8_t> m_pushed;
    std::vector<Slice> m_slices;
};

// Buffers of 64 KiB, so that a stream of a few MB/s fills one before 100 ms of it have passed.
StreamBuffers::Limits smallBuffers();
// The header contents of a recording of camera "CAM" that starts at `start`.
DvsFileInfo recordingInfo(uint64_t start);

// A recorder of camera "CAM" and the stream that feeds it.
struct FedRecorder
{
    explicit FedRecorder(double eventsPerSecond, const StreamBuffers::Limits& limits = smallBuffers());

    StreamFeeder feeder;
    DvsFileRecorder recorder; // after the feeder, whose clock it uses
};

// Waits until the recorder is in `state`; whether it came to be.
bool waitForState(const RawStreamRecorder& recorder, RecorderState state);

// A folder of its own under the test's temporary directory, removed with what it holds.
class ScratchDir
{
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // The names of the files in it, sorted.
    std::vector<std::string> names() const;

private:
    std::string m_path;
};

// A small tmpfs mounted for the life of the object, to fill up; mounting needs root.
class SmallFilesystem
{
public:
    SmallFilesystem(const std::string& name, size_t bytes);
    ~SmallFilesystem();
    SmallFilesystem(const SmallFilesystem&) = delete;
    SmallFilesystem& operator=(const SmallFilesystem&) = delete;

    bool mounted() const { return m_mounted; }
    // Why it could not be mounted.
    const std::string& why() const { return m_why; }
    std::string file(const std::string& name) const { return m_dir.file(name); }
    const std::string& path() const { return m_dir.path(); }

private:
    ScratchDir m_dir;
    bool m_mounted = false;
    std::string m_why;
};

// A RAW recording as the RAW reader reads it.
struct ReadRecording
{
    bool loaded = false;
    DvsFileInfo info;
    std::vector<Event2D> events;
    std::vector<uint8_t> payload; // the bytes after the header
};
ReadRecording readRecording(const std::string& path);

// Where `part` stands in `whole` as one contiguous run; npos when it does not.
size_t findRun(const std::vector<uint8_t>& whole, const std::vector<uint8_t>& part);

} // namespace tarvo::test
