#pragma once

#include <QString>

// What a recording on disk is, judged from its files.
namespace VxRecordingFiles {

// The MP4 of the same base name in the same folder as `rawPath`.
QString companionVideoPath(const QString& rawPath);

// A fusion recording is a RAW file whose header begins with the "% aps_start_timestamp " line
// that the fusion camera writes, with its MP4 beside it. Any other RAW file is an event
// recording, even with a video of the same name beside it (an exported clip, say).
bool isFusionRecording(const QString& rawPath);

} // namespace VxRecordingFiles
