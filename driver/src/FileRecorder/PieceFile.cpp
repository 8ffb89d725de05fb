#include "FileRecorder/PieceFile.h"

#include <cerrno>
#include <cstring>

namespace tarvo {

bool PieceFile::open(const std::string& path)
{
    m_path = path;
    m_size = 0;
    m_error.clear();
    std::string why;
    m_file = PosixFile::openForWriting(path, why);
    if (!m_file.isOpen()) {
        m_error = "Cannot create " + path + ": " + why;
        return false;
    }
    return true;
}

bool PieceFile::append(const uint8_t* data, size_t size)
{
    if (!m_file.isOpen() || failed()) {
        return false;
    }
    errno = 0;
    if (!m_file.writeAll(data, size)) {
        failWrite();
        // What part of the piece reached the file goes again; the reason above stays.
        m_file.truncate(m_size);
        return false;
    }
    m_size += size;
    return true;
}

bool PieceFile::finish(bool sync)
{
    if (!m_file.isOpen()) {
        return !failed();
    }
    errno = 0;
    if (sync && !failed() && !m_file.syncData()) {
        failWrite();
    }
    errno = 0;
    if (!m_file.close() && !failed()) {
        failWrite();
    }
    return !failed();
}

void PieceFile::failWrite()
{
    const int error = errno;
    m_error = "Cannot write " + m_path + ": " + std::strerror(error != 0 ? error : EIO);
}

} // namespace tarvo
