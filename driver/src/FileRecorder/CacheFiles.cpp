#include "FileRecorder/CacheFiles.h"

#include "DriverLog.h"
#include "FileRecorder/RecordingHeader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/FileRecorder/CacheFiles";
constexpr uint64_t kFileSpanUs = 1000000;

void deleteFile(const std::string& path)
{
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
        TARVO_LOG(log::kError, "Error deleting file: %s", path.c_str());
    }
}

// Whether a file begun at `start` holds a second of stream at `now`. A stream whose clock went
// back by more than that (the camera restarted its time) begins a new file as well.
bool secondIsFull(uint64_t start, uint64_t now)
{
    return now >= start ? now - start >= kFileSpanUs : start - now > kFileSpanUs;
}

} // namespace

void CacheFiles::configure(uint32_t seconds, const std::string& directory, const std::string& serial)
{
    m_seconds = seconds;
    m_directory = directory.empty() ? "." : directory;
    m_serial = serial;
}

void CacheFiles::clear()
{
    m_file.finish(false);
    for (const Entry& entry : m_list) {
        deleteFile(entry.path);
    }
    m_list.clear();
    m_counter = 0;
    m_bytes = 0;
    m_error.clear();
}

std::string CacheFiles::fileName(uint32_t counter) const
{
    return m_directory + "/" + m_serial + "_" + std::to_string(counter) + "tarvo.raw.tmp";
}

bool CacheFiles::openFile(uint64_t start)
{
    if (!m_file.open(fileName(m_counter))) {
        m_error = m_file.error();
        return false;
    }
    m_fileStart = start;
    m_list.push_back(Entry{m_file.path(), {}, 0});
    return true;
}

bool CacheFiles::append(const StreamBuffers::Chunk& chunk, bool recording)
{
    if (!m_file.isOpen()) {
        m_counter = 0;
        if (!openFile(chunk.startTime)) {
            return false;
        }
        TARVO_LOG(log::kInfo, "Start save cache file: %s", m_file.path().c_str());
    }
    const uint64_t offset = m_file.size();
    if (!m_file.append(chunk.bytes->data(), chunk.bytes->size())) {
        m_error = m_file.error();
        return false;
    }
    Entry& entry = m_list.back();
    entry.pieces.push_back(Piece{offset, chunk.bytes->size(), chunk.startTime});
    entry.bytes += chunk.bytes->size();
    m_bytes += chunk.bytes->size();
    if (!secondIsFull(m_fileStart, chunk.endTime)) {
        return true;
    }

    if (!closeOpenFile()) {
        return false;
    }
    ++m_counter;
    const uint32_t names = m_seconds + 1;
    if (!recording && m_list.size() > m_seconds) {
        dropOldest("Delete unused buffer: %s");
    }
    if (recording && m_counter < names) {
        m_counter += names;
        TARVO_LOG(log::kInfo, "Save cache file num: %d", static_cast<int>(m_counter));
    }
    if (!recording && m_counter >= names) {
        m_counter = 0;
    }
    if (!openFile(chunk.endTime)) {
        return false;
    }
    TARVO_LOG(log::kInfo, "A frame of cache file was saved: %s", m_file.path().c_str());
    return true;
}

bool CacheFiles::closeOpenFile()
{
    if (!m_file.finish(false)) {
        m_error = m_file.error();
        return false;
    }
    return true;
}

void CacheFiles::dropOldest(const char* logText)
{
    const Entry& oldest = m_list.front();
    TARVO_LOG(log::kInfo, logText, oldest.path.c_str());
    deleteFile(oldest.path);
    m_bytes -= oldest.bytes;
    m_list.pop_front();
}

std::pair<size_t, size_t> CacheFiles::joinStart(uint64_t windowStart) const
{
    for (size_t e = m_list.size(); e-- > 0;) {
        const std::vector<Piece>& pieces = m_list[e].pieces;
        for (size_t p = pieces.size(); p-- > 0;) {
            if (pieces[p].startTime <= windowStart) {
                return {e, p};
            }
        }
    }
    return {0, 0};
}

bool CacheFiles::joinInto(PieceFile& output, const DvsFileInfo& info,
                          const std::function<void(uint64_t)>& progress)
{
    const uint64_t kept = uint64_t{m_seconds} * kFileSpanUs;
    const uint64_t start = info.dvs_start_timestamp;
    const auto [firstEntry, firstPiece] = joinStart(start > kept ? start - kept : 0);
    for (size_t e = 0; e < firstEntry; ++e) {
        dropOldest("Delete unused buffer: %s");
    }
    uint64_t streamTime = start;
    for (size_t e = 0; e < m_list.size(); ++e) {
        const size_t p = e == 0 ? firstPiece : 0;
        if (p < m_list[e].pieces.size()) {
            streamTime = m_list[e].pieces[p].startTime;
            break;
        }
    }
    const std::string header = recordingHeader(info, streamTime);
    if (!output.append(reinterpret_cast<const uint8_t*>(header.data()), header.size())) {
        return false;
    }
    std::vector<uint8_t> buffer;
    uint64_t written = 0;
    size_t piece = firstPiece;
    while (!m_list.empty()) {
        if (!copyEntry(m_list.front(), piece, output, buffer, written, progress)) {
            return false;
        }
        piece = 0;
        const std::string path = m_list.front().path;
        m_bytes -= m_list.front().bytes;
        m_list.pop_front();
        deleteFile(path);
        TARVO_LOG(log::kInfo, "app file: %s", path.c_str());
    }
    return true;
}

bool CacheFiles::copyEntry(const Entry& entry, size_t firstPiece, PieceFile& output,
                           std::vector<uint8_t>& buffer, uint64_t& written,
                           const std::function<void(uint64_t)>& progress)
{
    std::string why;
    const PosixFile file = PosixFile::openForReading(entry.path, true, why);
    if (!file.isOpen()) {
        m_error = "Cannot read " + entry.path + ": " + why;
        return false;
    }
    for (size_t p = firstPiece; p < entry.pieces.size(); ++p) {
        const Piece& piece = entry.pieces[p];
        buffer.resize(piece.size);
        errno = 0;
        if (file.readAt(piece.offset, buffer.data(), piece.size) != piece.size) {
            m_error = "Cannot read " + entry.path + ": " +
                      (errno != 0 ? std::strerror(errno) : "it is shorter than what was written to it");
            return false;
        }
        if (!output.append(buffer.data(), buffer.size())) {
            return false;
        }
        written += piece.size;
        progress(written);
    }
    return true;
}

} // namespace tarvo
