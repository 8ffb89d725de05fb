#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace tarvo {

// An open file descriptor, closed with its owner. Opening never blocks on a FIFO or a device:
// what is not a regular file is refused with a reason.
class PosixFile
{
public:
    PosixFile() = default;
    ~PosixFile();
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    // An existing regular file for reading; with followLinks false a symbolic link is refused.
    static PosixFile openForReading(const std::string& path, bool followLinks, std::string& why);
    // A regular file for writing from its start, created when missing. Refused: a path that is
    // `input` itself (by device and inode, so also through other names or links) or that names
    // something other than a regular file.
    static PosixFile openOutput(const std::string& path, const struct stat& input, std::string& why);
    // What openOutput would refuse, without creating or changing anything.
    static bool checkOutput(const std::string& path, const struct stat& input, std::string& why);
    // A regular file for writing from its start, created when missing; anything else is refused.
    static PosixFile openForWriting(const std::string& path, std::string& why);

    bool isOpen() const { return m_fd >= 0; }
    bool status(struct stat& out) const;
    // Reads up to `size` bytes at `position`; fewer only at the end of the file or on an error.
    size_t readAt(uint64_t position, uint8_t* out, size_t size) const;
    // False on an error, with errno telling why; part of the data may have been written.
    bool writeAll(const uint8_t* data, size_t size);
    // Cuts the file to `size` bytes and continues writing there.
    bool truncate(uint64_t size);
    // Waits until what was written is on the disk; false (errno) when it could not get there.
    bool syncData();
    // Closes the file; false when the last writes could not be completed.
    bool close();

private:
    explicit PosixFile(int fd) : m_fd(fd) {}
    // Opens a regular file for writing and empties it; with `input`, refuses that file.
    static PosixFile openEmptied(const std::string& path, const struct stat* input, std::string& why);

    int m_fd = -1;
};

} // namespace tarvo
