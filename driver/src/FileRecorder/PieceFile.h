#pragma once

#include "FileReader/PosixFile.h"

#include <cstdint>
#include <string>

namespace tarvo {

// A file the recorder writes in whole pieces (a header, a buffer of stream). A piece that cannot
// be written completely, on a full disk or a removed drive, is cut off again, so the file always
// ends after a whole piece; the failure is kept, with the system's reason, and nothing more is
// written.
class PieceFile
{
public:
    // Creates the file, or empties it; false (see error()) when that is not possible.
    bool open(const std::string& path);
    bool append(const uint8_t* data, size_t size);
    // With `sync`, waits until the file is on the disk; then closes it. False when the last
    // writes could not be completed (error() says why); the file is closed either way.
    bool finish(bool sync);

    bool isOpen() const { return m_file.isOpen(); }
    bool failed() const { return !m_error.empty(); }
    // Bytes in the file.
    uint64_t size() const { return m_size; }
    const std::string& path() const { return m_path; }
    // "Cannot write PATH: REASON" and the like; empty while all went well.
    const std::string& error() const { return m_error; }

private:
    // Keeps the reason errno gives for the failed write.
    void failWrite();

    PosixFile m_file;
    std::string m_path;
    uint64_t m_size = 0;
    std::string m_error;
};

} // namespace tarvo
