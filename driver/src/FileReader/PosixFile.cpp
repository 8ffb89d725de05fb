#include "PosixFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tarvo {
namespace {

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opening with O_NONBLOCK keeps a FIFO without a peer from blocking; a regular file is then
// switched back to ordinary blocking input and output.
bool keepOnlyRegular(int fd, std::string& why)
{
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

} // namespace

PosixFile::~PosixFile()
{
    close();
}

PosixFile::PosixFile(PosixFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

PosixFile PosixFile::openForReading(const std::string& path, bool followLinks, std::string& why)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        why = errno == ELOOP && !followLinks ? "it is a symbolic link" : std::strerror(errno);
        return PosixFile();
    }
    PosixFile file(fd);
    if (!keepOnlyRegular(fd, why)) {
        return PosixFile();
    }
    return file;
}

bool PosixFile::checkOutput(const std::string& path, const struct stat& input, std::string& why)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0) {
        return true; // created when written
    }
    if (sameFile(info, input)) {
        why = "it is the recording being read";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
        return false;
    }
    return true;
}

PosixFile PosixFile::openOutput(const std::string& path, const struct stat& input, std::string& why)
{
    if (!checkOutput(path, input, why)) {
        return PosixFile();
    }
    return openEmptied(path, &input, why);
}

PosixFile PosixFile::openForWriting(const std::string& path, std::string& why)
{
    return openEmptied(path, nullptr, why);
}

PosixFile PosixFile::openEmptied(const std::string& path, const struct stat* input, std::string& why)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        why = std::strerror(errno);
        return PosixFile();
    }
    PosixFile file(fd);
    // Checked again on what was opened: the name may have changed since the first look.
    struct stat info = {};
    if (!keepOnlyRegular(fd, why) || ::fstat(fd, &info) != 0) {
        return PosixFile();
    }
    if (input && sameFile(info, *input)) {
        why = "it is the recording being read";
        return PosixFile();
    }
    if (::ftruncate(fd, 0) != 0) {
        why = std::strerror(errno);
        return PosixFile();
    }
    return file;
}

bool PosixFile::status(struct stat& out) const
{
    return m_fd >= 0 && ::fstat(m_fd, &out) == 0;
}

size_t PosixFile::readAt(uint64_t position, uint8_t* out, size_t size) const
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(m_fd, out + done, size - done, static_cast<off_t>(position + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

bool PosixFile::writeAll(const uint8_t* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::write(m_fd, data + done, size - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return true;
}

bool PosixFile::truncate(uint64_t size)
{
    return ::ftruncate(m_fd, static_cast<off_t>(size)) == 0 &&
           ::lseek(m_fd, static_cast<off_t>(size), SEEK_SET) >= 0;
}

bool PosixFile::syncData()
{
    return ::fdatasync(m_fd) == 0;
}

bool PosixFile::close()
{
    if (m_fd < 0) {
        return true;
    }
    const int result = ::close(std::exchange(m_fd, -1));
    return result == 0 || errno == EINTR;
}

} // namespace tarvo
