#pragma once

#include "FileRecorder/PieceFile.h"
#include "FileRecorder/StreamBuffers.h"
#include "TarvoBase/EventTypes.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tarvo {

// The cache of a recorder: the last N seconds of stream on disk in one-second files, oldest
// first, named DIRECTORY/SERIAL_<n>tarvo.raw.tmp (raw bytes, no header), with the place and the
// stream time of every buffer in them; and the joining of the kept seconds and of a recording's
// stream into the recording's file.
//
// It keeps N whole seconds and the second being written, so at most N + 1 files named 0 … N;
// while a recording runs it gives up no file, and the files from the first one begun after the
// start on are numbered from N + 1 up, so that they never take a kept file's name.
//
// Used by one thread at a time: the recorder's worker, or the recorder's owner once that is idle.
class CacheFiles
{
public:
    // Keeps `seconds` seconds before a recording's start, in `directory`, named after `serial`.
    void configure(uint32_t seconds, const std::string& directory, const std::string& serial);
    // Deletes the files of the list, oldest first, and numbers from 0 again.
    void clear();

    // Writes a buffer to the open file, beginning the first file when none is open; once a second
    // of stream is in the file, the next one begins. False when a file cannot be created or
    // written (error()); what was written before stays.
    bool append(const StreamBuffers::Chunk& chunk, bool recording);
    // Closes the open file; false when its last writes failed.
    bool closeOpenFile();

    // Joins a recording that started at `info.dvs_start_timestamp` into `output`: the header made
    // of `info` for the time at which the joined stream begins, then the stream from the last
    // buffer that began N seconds or more before the start (all of it when none did) to the end.
    // Each file is deleted once its bytes are in. `progress` gets the stream bytes written so
    // far. False on a failure (error() or output.error()); the files not yet joined stay.
    bool joinInto(PieceFile& output, const DvsFileInfo& info, const std::function<void(uint64_t)>& progress);

    // Stream bytes in the files of the list.
    uint64_t bytes() const { return m_bytes; }
    std::string fileName(uint32_t counter) const;
    const std::string& error() const { return m_error; }

private:
    struct Piece
    {
        uint64_t offset = 0;
        uint64_t size = 0;
        uint64_t startTime = 0;
    };
    struct Entry
    {
        std::string path;
        std::vector<Piece> pieces;
        uint64_t bytes = 0;
    };

    bool openFile(uint64_t start);
    // Gives up the oldest file: it is deleted, and its bytes no longer count.
    void dropOldest(const char* logText);
    // Where joining begins: the entry and the piece in it.
    std::pair<size_t, size_t> joinStart(uint64_t windowStart) const;
    bool copyEntry(const Entry& entry, size_t firstPiece, PieceFile& output, std::vector<uint8_t>& buffer,
                   uint64_t& written, const std::function<void(uint64_t)>& progress);

    uint32_t m_seconds = 0;
    std::string m_directory;
    std::string m_serial;
    std::deque<Entry> m_list;
    PieceFile m_file;         // the newest entry's file while it is written
    uint64_t m_fileStart = 0; // stream time at which the open file began
    uint32_t m_counter = 0;   // the number in the open file's name
    uint64_t m_bytes = 0;
    std::string m_error;
};

} // namespace tarvo
