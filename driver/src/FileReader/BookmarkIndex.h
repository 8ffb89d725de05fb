#pragma once

#include "TarvoDriver/RawFileReader.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

// The bookmarks of one recording, ascending by time, and their file beside the recording.
//
// File layout (integers little-endian): "max_byte:<size>\n", "sensor_width:<w>\n",
// "sensor_height:<h>\n", a 0x00 byte, the u64 number of records, the records of 29 bytes (key,
// bytePos, flag, timestamp as u64 except the flag byte, then the event count as u32), and a
// CRC-8 of everything before it. Counts are 32-bit on disk: they never fall and grow by far
// less than 2^32 between two bookmarks, so each drop of the stored value is one more 2^32.
class BookmarkIndex
{
public:
    using Bookmark = RawFileReader::Bookmark;

    // What a bookmark file must agree with to be used for a recording.
    struct Recording
    {
        uint64_t fileSize = 0;
        uint16_t width = 0;
        uint16_t height = 0;
        uint64_t payloadStart = 0;
        uint64_t payloadEnd = 0; // end of the last whole word
        uint64_t wordSize = 2;
        struct timespec modified = {}; // the recording's modification time
    };

    bool empty() const { return m_bookmarks.empty(); }
    size_t size() const { return m_bookmarks.size(); }
    const Bookmark& operator[](size_t i) const { return m_bookmarks[i]; }
    const Bookmark& front() const { return m_bookmarks.front(); }
    const Bookmark& back() const { return m_bookmarks.back(); }
    void clear() { m_bookmarks.clear(); }
    // Adds a bookmark after the others; its time must be above theirs.
    bool append(const Bookmark& bookmark);
    // Drops the last bookmark (to make room for a final one at the same time).
    void dropLast() { m_bookmarks.pop_back(); }

    // The bookmark at t or the last one before it; false outside [first, last] time.
    bool byTime(uint64_t t, Bookmark& out) const;
    // The earliest bookmark with the greatest count below n (the first one for n = 0); false
    // beyond the last count.
    bool byCount(uint64_t n, Bookmark& out) const;
    // Index of the last bookmark whose time satisfies `below`, or size() when none does.
    template <typename Below> size_t lastWhere(Below below) const;

    std::vector<uint8_t> serialize(const Recording& recording) const;
    // Writes the file through a new temporary file in the same folder renamed over the old
    // one, so that an existing file or link is never opened for writing. False (with a
    // warning) when that is not possible; the index then stays in memory only.
    bool save(const std::string& path, const Recording& recording) const;
    // Reads and checks the file; false (with a warning that says why) when it cannot be used
    // for this recording, leaving the index empty.
    bool load(const std::string& path, const Recording& recording);
    // Parses the bytes of a file that passed its checksum.
    bool parse(const std::vector<uint8_t>& bytes, const Recording& recording);

    static uint8_t crc8(const std::vector<uint8_t>& bytes);
    static constexpr size_t kRecordSize = 29;

private:
    bool parseRecords(const uint8_t* p, const uint8_t* end, const Recording& recording);

    std::vector<Bookmark> m_bookmarks;
};

template <typename Below> size_t BookmarkIndex::lastWhere(Below below) const
{
    size_t lo = 0;
    size_t hi = m_bookmarks.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (below(m_bookmarks[mid].timestamp)) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo == 0 ? m_bookmarks.size() : lo - 1;
}

} // namespace tarvo
