#pragma once

#include <cstdint>
#include <string>

namespace tarvo {

// What the recorder of an event camera is doing (DvsCamera::getRecordingStatus).
enum class RecorderState : int
{
    // Neither recording nor caching.
    Idle = 0,
    // A plain recording: the stream goes to the file from startRecording() to stopRecording().
    Recording = 1,
    // The last seconds of stream are kept in one-second cache files (setFileCacheTime()); a
    // recording started now also holds them.
    Caching = 2,
    // A recording started while caching: the kept seconds and the stream since the start wait in
    // the cache files until stopRecording().
    CachedRecording = 3,
    // After stopRecording() of a cached recording: the kept seconds and the recording are being
    // joined into its file. Starting or stopping is refused meanwhile; caching resumes after.
    Saving = 4,
};

// Why the last recording (or the cache) failed; kept until the next startRecording() or the next
// setFileCacheTime() that begins caching.
enum class RecordingFault : int
{
    None = 0,
    // The file, or the cache folder, could not be opened: startRecording() returned -1, or
    // caching did not begin. Nothing else changed.
    CannotOpen = 1,
    // Writing the file or a cache file failed (a full disk, a removed drive). The recording and
    // the cache stopped; the file holds the stream up to the last whole buffer written.
    WriteFailed = 2,
    // The disk did not keep up: the stream waiting in memory reached the recorder's bound
    // (512 MiB). The recording and the cache stopped; the file holds the stream up to that point.
    DiskTooSlow = 3,
};

// A snapshot of a camera's recorder, for a front end to show.
struct RecordingStatus
{
    RecorderState state = RecorderState::Idle;
    // The file of the recording under way, or of the last one; empty before the first.
    std::string path;
    // Stream bytes of that recording in its file so far, the header not counted. A cached
    // recording's file fills while it is saved.
    uint64_t bytesWritten = 0;
    // Stream bytes in the cache files: the kept seconds and, while recording, what came since.
    uint64_t cachedBytes = 0;
    // Stream bytes held in memory on their way to the disk, and the most held since the last
    // start of a recording or of caching.
    uint64_t queuedBytes = 0;
    uint64_t peakQueuedBytes = 0;
    RecordingFault fault = RecordingFault::None;
    // What went wrong, in words (with the file and the system's reason); empty without a fault.
    std::string error;
};

} // namespace tarvo
