#include "BookmarkIndex.h"

#include "DecimalText.h"
#include "DriverLog.h"
#include "PosixFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";
// Bookmark files beyond this size are not trusted (about 1000 hours of recording).
constexpr uint64_t kMaxFileSize = 1048576000;
// The text lines before the records, with room for the largest numbers they can hold.
constexpr uint64_t kMaxTextSize = 128;

using namespace log;

void putLe(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

uint64_t getLe(const uint8_t* p, int bytes)
{
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

bool newer(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

} // namespace

uint8_t BookmarkIndex::crc8(const std::vector<uint8_t>& bytes)
{
    // One table step per byte gives the same result as shifting the eight bits one by one.
    static const auto table = [] {
        std::array<uint8_t, 256> entries{};
        for (int value = 0; value < 256; ++value) {
            uint8_t crc = static_cast<uint8_t>(value);
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 0x80) ? static_cast<uint8_t>((crc << 1) ^ 0x07) : static_cast<uint8_t>(crc << 1);
            }
            entries[static_cast<size_t>(value)] = crc;
        }
        return entries;
    }();
    uint8_t crc = 0;
    for (const uint8_t byte : bytes) {
        crc = table[crc ^ byte];
    }
    return crc;
}

bool BookmarkIndex::append(const Bookmark& bookmark)
{
    if (!m_bookmarks.empty() && bookmark.timestamp <= m_bookmarks.back().timestamp) {
        return false;
    }
    m_bookmarks.push_back(bookmark);
    return true;
}

bool BookmarkIndex::byTime(uint64_t t, Bookmark& out) const
{
    if (m_bookmarks.empty() || t > m_bookmarks.back().timestamp || t < m_bookmarks.front().timestamp) {
        return false;
    }
    out = m_bookmarks[lastWhere([t](uint64_t time) { return time <= t; })];
    return true;
}

bool BookmarkIndex::byCount(uint64_t n, Bookmark& out) const
{
    if (m_bookmarks.empty() || n > m_bookmarks.back().eventCount) {
        return false;
    }
    if (n == 0) {
        out = m_bookmarks.front();
        return true;
    }
    const auto countBelow = [](const Bookmark& b, uint64_t count) { return b.eventCount < count; };
    const auto atLeast = std::lower_bound(m_bookmarks.begin(), m_bookmarks.end(), n, countBelow);
    if (atLeast == m_bookmarks.begin()) {
        return false;
    }
    out = *std::lower_bound(m_bookmarks.begin(), atLeast, std::prev(atLeast)->eventCount, countBelow);
    return true;
}

std::vector<uint8_t> BookmarkIndex::serialize(const Recording& recording) const
{
    std::vector<uint8_t> bytes;
    bytes.reserve(kMaxTextSize + 8 + m_bookmarks.size() * kRecordSize + 1);
    const std::string text = "max_byte:" + std::to_string(recording.fileSize) +
                             "\nsensor_width:" + std::to_string(recording.width) +
                             "\nsensor_height:" + std::to_string(recording.height) + "\n";
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    putLe(bytes, m_bookmarks.size(), 8);
    for (const Bookmark& bookmark : m_bookmarks) {
        putLe(bytes, bookmark.timestamp, 8);
        putLe(bytes, bookmark.bytePos, 8);
        putLe(bytes, bookmark.flag, 1);
        putLe(bytes, bookmark.timestamp, 8);
        putLe(bytes, bookmark.eventCount & 0xFFFFFFFFu, 4);
    }
    bytes.push_back(crc8(bytes));
    return bytes;
}

bool BookmarkIndex::save(const std::string& path, const Recording& recording) const
{
    const std::vector<uint8_t> bytes = serialize(recording);
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    auto fail = [&](const char* step) {
        const std::string why = std::strerror(errno);
        if (step == nullptr) {
            TARVO_LOG(kWarning, "Failed to open file for writing");
        }
        TARVO_LOG(kWarning, "The bookmark index '%s' was not saved (%s%s%s); it stays in memory.",
                  path.c_str(), step ? step : "", step ? ": " : "", why.c_str());
        return false;
    };
    if (fd < 0) {
        return fail(nullptr);
    }
    ::fchmod(fd, 0644);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0 && errno != EINTR) {
            ::close(fd);
            const bool reported = fail("writing");
            ::unlink(temporary.c_str());
            return reported;
        }
        done += wrote > 0 ? static_cast<size_t>(wrote) : 0;
    }
    // The old file (or whatever stands at its name) goes first: renaming over it would make
    // some file systems flush the new file at once, which a later opening does not need.
    if (::close(fd) != 0 || (::unlink(path.c_str()) != 0 && errno != ENOENT) ||
        ::rename(temporary.c_str(), path.c_str()) != 0) {
        const bool reported = fail("replacing");
        ::unlink(temporary.c_str());
        return reported;
    }
    return true;
}

bool BookmarkIndex::load(const std::string& path, const Recording& recording)
{
    m_bookmarks.clear();
    std::string why;
    const PosixFile file = PosixFile::openForReading(path, false, why);
    struct stat info = {};
    if (!file.isOpen() || !file.status(info)) {
        TARVO_LOG(kError, "Error opening file for reading!");
        TARVO_LOG(kWarning, "The bookmark file '%s' cannot be read: %s.", path.c_str(), why.c_str());
        return false;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > kMaxFileSize) {
        TARVO_LOG(kWarning, "The tmp file is too large!");
        return false;
    }
    // Checked before reading: no index of this recording can be larger.
    const uint64_t words =
        (recording.payloadEnd - recording.payloadStart) / std::max<uint64_t>(1, recording.wordSize);
    if (size > kMaxTextSize + 8 + kRecordSize * (words + 2) + 1) {
        TARVO_LOG(kWarning, "The file has changed");
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    bytes.resize(file.readAt(0, bytes.data(), bytes.size()));
    if (bytes.empty()) {
        TARVO_LOG(kWarning, "The file content is insufficient to perform CRC validation!");
        return false;
    }
    const uint8_t stored = bytes.back();
    bytes.pop_back();
    if (crc8(bytes) != stored) {
        TARVO_LOG(kWarning, "The file has changed");
        return false;
    }
    if (!parse(bytes, recording)) {
        return false;
    }
    // A recording written after its index (at the same size) would otherwise keep it.
    if (newer(recording.modified, info.st_mtim)) {
        TARVO_LOG(kWarning, "The recording is newer than its bookmark file.");
        m_bookmarks.clear();
        return false;
    }
    return true;
}

bool BookmarkIndex::parse(const std::vector<uint8_t>& bytes, const Recording& recording)
{
    m_bookmarks.clear();
    const auto separator = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    const std::string text(bytes.begin(), separator);
    std::map<std::string, uint64_t> values;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(begin, end - begin);
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            break;
        }
        uint64_t value = 0;
        if (!parseDecimal(line.substr(colon + 1), UINT64_MAX, value)) {
            TARVO_LOG(kWarning, "The bookmark file holds a malformed value in '%s'.", line.c_str());
            return false;
        }
        values[line.substr(0, colon)] = value;
        begin = end + 1;
    }
    if (values["max_byte"] != recording.fileSize) {
        TARVO_LOG(kWarning, "The file has changed");
        return false;
    }
    if (values["sensor_width"] != recording.width || values["sensor_height"] != recording.height) {
        TARVO_LOG(kWarning, "The sensor resolution has been changed ");
        return false;
    }
    if (separator == bytes.end() || !parseRecords(&*separator + 1, bytes.data() + bytes.size(), recording)) {
        m_bookmarks.clear();
        TARVO_LOG(kWarning, "The bookmark records do not fit the recording.");
        return false;
    }
    return true;
}

// Accepts only records that describe this payload: one per 29 bytes exactly, ascending times
// equal to their keys, positions at word boundaries in file order from the payload's start to
// its end, and counts from 0. Anything else could steer reads outside the payload.
bool BookmarkIndex::parseRecords(const uint8_t* p, const uint8_t* end, const Recording& recording)
{
    const auto available = static_cast<uint64_t>(end - p);
    if (available < 8) {
        return false;
    }
    const uint64_t count = getLe(p, 8);
    p += 8;
    if (count == 0 || count > (available - 8) / kRecordSize || count * kRecordSize != available - 8) {
        return false;
    }
    const uint64_t w = std::max<uint64_t>(1, recording.wordSize);
    m_bookmarks.reserve(static_cast<size_t>(count));
    uint64_t wraps = 0;
    uint32_t previousStored = 0;
    for (uint64_t i = 0; i < count; ++i, p += kRecordSize) {
        const uint64_t key = getLe(p, 8);
        Bookmark bookmark;
        bookmark.bytePos = getLe(p + 8, 8);
        bookmark.flag = p[16];
        bookmark.timestamp = getLe(p + 17, 8);
        const auto stored = static_cast<uint32_t>(getLe(p + 25, 4));
        if (i > 0 && stored < previousStored) {
            ++wraps;
        }
        previousStored = stored;
        bookmark.eventCount = (wraps << 32) | stored;
        if (key != bookmark.timestamp || bookmark.bytePos < recording.payloadStart ||
            bookmark.bytePos > recording.payloadEnd || (bookmark.bytePos - recording.payloadStart) % w != 0) {
            return false;
        }
        const bool first = m_bookmarks.empty();
        if (first ? (bookmark.bytePos != recording.payloadStart || bookmark.eventCount != 0)
                  : bookmark.bytePos < m_bookmarks.back().bytePos) {
            return false;
        }
        if (!append(bookmark)) {
            return false;
        }
    }
    return m_bookmarks.back().bytePos == recording.payloadEnd;
}

} // namespace tarvo
