#include "TarvoDriver/RawFileReader.h"

#include "DriverLog.h"
#include "TarvoBase/FileHeader.h"
#include "TarvoBase/Logger.h"
#include "TarvoBase/TimeString.h"
#include "TarvoHal/BinarySearchTimestamp.h"
#include "TarvoHal/DecoderFactory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <stdexcept>

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/FileReader/RawFileReader";

// Bookmark files beyond this size are not trusted (about 1000 hours of recording).
constexpr uint64_t kMaxBookmarkFileSize = 1048576000;
constexpr size_t kBookmarkRecordSize = 29;
// Header lines are short; a longer one means the file is not a RAW recording.
constexpr size_t kMaxHeaderLine = 1 << 20;
// The first opening reads the payload in large pieces; the decoder keeps its state across them.
constexpr size_t kIndexReadSize = 4 << 20;
// The time scans decode blocks of this size at once and look at single words only inside the
// block where the time reaches the target.
constexpr size_t kScanBlockSize = 2048;
// Extraction copies raw bytes in pieces of this size.
constexpr size_t kCopyPieceSize = 1 << 20;

uint64_t saturatingAdd(uint64_t a, uint64_t b)
{
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max() : a + b;
}

// Strict decimal: digits only, at least one, no overflow beyond `limit`.
bool parseDecimal(const std::string& text, uint64_t limit, uint64_t& out)
{
    if (text.empty()) {
        return false;
    }
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (limit - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    out = value;
    return true;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

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

// Advances `decoder` over the whole words [p, e) of `buffer` until its time reaches
// `threshold`. Returns the offset of the word at which it did (the decoder then stands right
// after that word) or e when it did not. `events` grows by the events of the words before the
// returned word and `wordEvents` receives that word's own events.
//
// Blocks are decoded in one call; only a block in which the time reaches the threshold is
// searched further, by bisection, restoring the decoder's time to the start of the half being
// retried. Time is the only decoder state the search relies on, and it is fully restored by
// setLastTimestamp, so the result is the word a word-by-word scan finds.
size_t advanceToTime(Decoder& decoder, const uint8_t* buffer, size_t p, size_t e, size_t w,
                     uint64_t threshold, uint64_t& events, uint32_t& wordEvents)
{
    while (p < e) {
        const size_t blockEnd = std::min(e, p + kScanBlockSize);
        uint64_t start = decoder.getLastTimestamp();
        const uint32_t blockEvents = decoder.countEvents(buffer + p, buffer + blockEnd);
        if (decoder.getLastTimestamp() < threshold) {
            events += blockEvents;
            p = blockEnd;
            continue;
        }
        decoder.setLastTimestamp(&start);
        size_t lo = p;
        size_t hi = blockEnd;
        while (hi - lo > w) {
            const size_t mid = lo + ((hi - lo) / w / 2) * w;
            const uint32_t half = decoder.countEvents(buffer + lo, buffer + mid);
            if (decoder.getLastTimestamp() >= threshold) {
                decoder.setLastTimestamp(&start);
                hi = mid;
            } else {
                events += half;
                start = decoder.getLastTimestamp();
                lo = mid;
            }
        }
        wordEvents = decoder.countEvents(buffer + lo, buffer + hi);
        return lo;
    }
    return e;
}

} // namespace

RawFileReader::RawFileReader(std::string path)
    : m_decoder(DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"))),
      m_filePath(std::move(path)), m_pendingEvents(std::make_shared<std::vector<Event2D>>()),
      m_outputEvents(std::make_shared<std::vector<Event2D>>())
{
}

RawFileReader::~RawFileReader()
{
    if (m_file >= 0) {
        ::close(m_file);
    }
}

size_t RawFileReader::wordSize() const
{
    return std::max<size_t>(1, m_decoder->getRawEventSize());
}

uint8_t RawFileReader::crc8(const std::vector<uint8_t>& bytes)
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

size_t RawFileReader::readAt(uint64_t position, uint8_t* out, size_t size) const
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(m_file, out + done, size - done, static_cast<off_t>(position + done));
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

// ---------------------------------------------------------------------------------------------
// Header and loading

bool RawFileReader::readHeader()
{
    std::vector<uint8_t> window(64 * 1024);
    uint64_t windowPos = 0;
    size_t windowSize = 0;
    auto byteAt = [&](uint64_t pos, uint8_t& out) {
        if (pos < windowPos || pos >= windowPos + windowSize) {
            windowPos = pos;
            windowSize = readAt(pos, window.data(), window.size());
            if (windowSize == 0) {
                return false;
            }
        }
        out = window[static_cast<size_t>(pos - windowPos)];
        return true;
    };
    auto invalid = [&](const std::string& line) {
        TARVO_LOG(4, "Invalid value in the RAW header line '%s'.", line.c_str());
        return false;
    };

    uint64_t pos = 0;
    std::string line;
    uint8_t c = 0;
    while (byteAt(pos, c) && c == '%') {
        line.clear();
        while (byteAt(pos, c)) {
            ++pos;
            if (c == '\n') {
                break;
            }
            if (line.size() >= kMaxHeaderLine) {
                TARVO_LOG(4, "A RAW header line is longer than %zu bytes.", kMaxHeaderLine);
                return false;
            }
            line.push_back(static_cast<char>(c));
        }
        if (line == "% end") {
            break;
        }
        uint64_t value = 0;
        if (startsWith(line, "% format ")) {
            const std::string text = line.substr(9);
            size_t begin = 0;
            bool first = true;
            while (begin <= text.size()) {
                size_t end = text.find(';', begin);
                if (end == std::string::npos) {
                    end = text.size();
                }
                const std::string piece = text.substr(begin, end - begin);
                if (first) {
                    if (piece != "EVT3") {
                        std::cerr << "Error : detected non-EVT3 input file '"
                                  << "'" << std::endl;
                        return false;
                    }
                    first = false;
                } else {
                    const auto equals = piece.find('=');
                    if (equals != std::string::npos) {
                        const std::string key = piece.substr(0, equals);
                        if (key == "width" || key == "height") {
                            if (!parseDecimal(piece.substr(equals + 1), 0xFFFF, value)) {
                                return invalid(line);
                            }
                            (key == "width" ? m_fileInfo.width : m_fileInfo.height) =
                                static_cast<uint16_t>(value);
                        }
                    }
                }
                begin = end + 1;
            }
        } else if (startsWith(line, "% geometry ")) {
            const std::string text = line.substr(11);
            const auto x = text.find('x');
            uint64_t height = 0;
            if (x == std::string::npos || !parseDecimal(text.substr(0, x), 0xFFFF, value) ||
                !parseDecimal(text.substr(x + 1), 0xFFFF, height)) {
                return invalid(line);
            }
            m_fileInfo.width = static_cast<uint16_t>(value);
            m_fileInfo.height = static_cast<uint16_t>(height);
        } else if (startsWith(line, "% evt ")) {
            if (line.substr(6) != "3.0") {
                std::cerr << "Error : detected non-EVT3 input file.'"
                          << "'" << std::endl;
                return false;
            }
        } else if (startsWith(line, "% serial_number ")) {
            m_fileInfo.serial_number = line.substr(16);
        } else if (startsWith(line, "% aps_start_timestamp ")) {
            if (!parseDecimal(line.substr(22), std::numeric_limits<uint64_t>::max(), value)) {
                return invalid(line);
            }
            m_fileInfo.aps_start_timestamp = value;
        } else if (startsWith(line, "% dvs_start_timestamp ")) {
            if (!parseDecimal(line.substr(22), std::numeric_limits<uint64_t>::max(), value)) {
                return invalid(line);
            }
            m_fileInfo.dvs_start_timestamp = value;
        } else if (startsWith(line, "% date ")) {
            m_fileInfo.date = parseLocalTimeString(line.substr(7, 25));
        }
    }
    m_payloadStart = pos;
    return true;
}

bool RawFileReader::loadFile()
{
    if (m_file >= 0) {
        TARVO_LOG(4, "The recording is already loaded.");
        return false;
    }
    m_file = ::open(m_filePath.c_str(), O_RDONLY | O_CLOEXEC);
    // The index sits beside the recording; a path without ".raw" gets the suffix appended so
    // that the index can never overwrite the recording itself.
    const auto ext = m_filePath.rfind(".raw");
    m_markPath = ext == std::string::npos
                     ? m_filePath + ".vxmark.tmp"
                     : m_filePath.substr(0, ext) + ".vxmark.tmp" + m_filePath.substr(ext + 4);
    if (m_file < 0) {
        return false;
    }
    struct stat info = {};
    if (::fstat(m_file, &info) != 0 || !S_ISREG(info.st_mode)) {
        TARVO_LOG(4, "'%s' is not a regular file.", m_filePath.c_str());
        return false;
    }
    m_fileSize = static_cast<uint64_t>(info.st_size);
    if (!m_decoder) {
        TARVO_LOG(4, "No EVT3 decoder available.");
        return false;
    }
    if (!readHeader()) {
        return false;
    }
    TARVO_LOG(2, "Loading raw file...");

    struct stat markInfo = {};
    if (::stat(m_markPath.c_str(), &markInfo) == 0) {
        if (checkBookmarksFromFile(m_markPath)) {
            loadBookmarksFromFile(m_markPath);
        } else {
            TARVO_LOG(3, "Bookmark file check failed, re-initialize bookmarks.");
            initBookmark();
        }
    } else {
        initBookmark();
    }

    m_decoder->setEventsStreamHandleCallback([this](const Event2D* first, const Event2D* last) {
        m_outputEvents->insert(m_outputEvents->end(), first, last);
    });
    if (m_timeIndex.empty()) {
        TARVO_LOG(4, "Loading raw file failed. There is no data in the file.");
        return false;
    }
    m_startTimeStamp = m_timeIndex.begin()->first;
    m_endTimeStamp = m_timeIndex.rbegin()->first;
    m_maxEvents = m_timeIndex.rbegin()->second.eventCount;
    const uint64_t w = wordSize();
    const uint64_t wordEnd = m_payloadStart + (m_fileSize - m_payloadStart) / w * w;
    m_payloadEnd = std::min(m_timeIndex.rbegin()->second.bytePos, wordEnd);
    primeDecoder();
    seekTime(m_startTimeStamp);
    TARVO_LOG(2, "Loading raw file succeeded.");
    m_decoder->setTriggerInCallback([this](const EventTriggerIn& trigger) { dispatchTrigger(trigger); });
    return true;
}

// Events of pixel words that precede the first row word of the payload are counted by the index
// and handed out by the queries alike only when the decoder already knows a row, so the decoder
// is given one (row 0) before it decodes anything of the file.
void RawFileReader::primeDecoder()
{
    const uint64_t zero = 0;
    const uint8_t rowWord[2] = {0x00, 0x00};
    m_decoder->setLastTimestamp(&zero);
    m_decoder->advanceTime(rowWord, rowWord + 2);
}

// ---------------------------------------------------------------------------------------------
// Bookmark index

void RawFileReader::initBookmark()
{
    m_timeIndex.clear();
    m_countIndex.clear();
    primeDecoder();
    const size_t w = wordSize();
    const uint64_t wordEnd = m_payloadStart + (m_fileSize - m_payloadStart) / w * w;

    uint64_t anchorPos = m_payloadStart;
    uint64_t anchorTime = m_fileInfo.dvs_start_timestamp;
    uint64_t anchorCount = 0;
    uint64_t count = 0;
    m_decoder->setLastTimestamp(&anchorTime);

    bool overflow = false;
    auto addBookmark = [&](uint64_t key, uint64_t bytePos, uint64_t eventCount) {
        if (eventCount > std::numeric_limits<uint32_t>::max()) {
            overflow = true;
            return;
        }
        m_timeIndex.emplace(key, Bookmark{bytePos, 0, key, static_cast<uint32_t>(eventCount)});
    };

    m_readBuffer.resize(kIndexReadSize / w * w);
    uint64_t pos = m_payloadStart;
    while (pos < wordEnd && !overflow) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(m_readBuffer.size(), wordEnd - pos));
        const size_t got = readAt(pos, m_readBuffer.data(), wanted) / w * w;
        if (got == 0) {
            TARVO_LOG(4, "Reading '%s' failed at byte %llu.", m_filePath.c_str(),
                      static_cast<unsigned long long>(pos));
            break;
        }
        size_t p = 0;
        while (p < got) {
            const uint64_t threshold = anchorTime == 0 ? 1 : saturatingAdd(anchorTime, bookmark_period_us);
            uint64_t before = 0;
            uint32_t wordEvents = 0;
            const size_t q =
                advanceToTime(*m_decoder, m_readBuffer.data(), p, got, w, threshold, before, wordEvents);
            count += before;
            if (q == got) {
                break;
            }
            const uint64_t t = m_decoder->getLastTimestamp();
            if (anchorTime == 0) {
                anchorTime = t;
            } else {
                addBookmark(anchorTime, anchorPos, anchorCount);
                if (overflow) {
                    break;
                }
                anchorPos = pos + q;
                anchorTime = t;
                anchorCount = count;
            }
            count += wordEvents;
            p = q + w;
        }
        pos += got;
    }
    // The final bookmark marks the end of the payload with the time reached there; a payload
    // without a single word has no data and so no bookmark at all.
    if (!overflow && pos > m_payloadStart) {
        addBookmark(m_decoder->getLastTimestamp(), pos, count);
    }
    if (overflow) {
        TARVO_LOG(3, "The recording holds more events than the index can count; it is read up to %llu us.",
                  static_cast<unsigned long long>(m_timeIndex.empty() ? 0 : m_timeIndex.rbegin()->first));
    }
    for (const auto& [key, bookmark] : m_timeIndex) {
        m_countIndex.emplace(bookmark.eventCount, key);
    }
    if (!m_timeIndex.empty()) {
        serializeBookmarkMap(m_timeIndex, m_markPath);
    }
}

void RawFileReader::serializeBookmarkMap(const TimeIndex& timeIndex, const std::string& path)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(128 + timeIndex.size() * kBookmarkRecordSize);
    const std::string text = "max_byte:" + std::to_string(m_fileSize) +
                             "\nsensor_width:" + std::to_string(m_fileInfo.width) +
                             "\nsensor_height:" + std::to_string(m_fileInfo.height) + "\n";
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    putLe(bytes, timeIndex.size(), 8);
    for (const auto& [key, bookmark] : timeIndex) {
        putLe(bytes, key, 8);
        putLe(bytes, bookmark.bytePos, 8);
        putLe(bytes, bookmark.flag, 1);
        putLe(bytes, bookmark.timestamp, 8);
        putLe(bytes, bookmark.eventCount, 4);
    }
    bytes.push_back(crc8(bytes));

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        TARVO_LOG(4, "Failed to open file for writing");
        return;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        // A partly written file fails its checksum at the next opening and is rebuilt then.
        TARVO_LOG(4, "Failed to write the bookmark file '%s'.", path.c_str());
    }
}

bool RawFileReader::checkBookmarksFromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        TARVO_LOG(4, "Error opening file for reading!");
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) {
        TARVO_LOG(4, "Error opening file for reading!");
        return false;
    }
    if (static_cast<uint64_t>(size) > kMaxBookmarkFileSize) {
        TARVO_LOG(3, "The tmp file is too large!");
        return false;
    }
    in.seekg(0, std::ios::beg);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (bytes.empty()) {
        TARVO_LOG(3, "The file content is insufficient to perform CRC validation!");
        return false;
    }
    const uint8_t stored = bytes.back();
    bytes.pop_back();
    if (crc8(bytes) != stored) {
        TARVO_LOG(3, "The file has changed");
        return false;
    }

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
        if (!parseDecimal(line.substr(colon + 1), std::numeric_limits<uint64_t>::max(), value)) {
            TARVO_LOG(3, "The bookmark file holds a malformed value in '%s'.", line.c_str());
            return false;
        }
        values[line.substr(0, colon)] = value;
        begin = end + 1;
    }
    if (values["max_byte"] != m_fileSize) {
        TARVO_LOG(3, "The file has changed");
        return false;
    }
    if (values["sensor_width"] != m_fileInfo.width || values["sensor_height"] != m_fileInfo.height) {
        TARVO_LOG(3, "The sensor resolution has been changed ");
        return false;
    }
    if (separator == bytes.end() || !parseBookmarkBody(std::vector<uint8_t>(separator + 1, bytes.end()),
                                                       m_checkedTimeIndex, m_checkedCountIndex)) {
        TARVO_LOG(3, "The bookmark records do not fit the recording.");
        return false;
    }
    return true;
}

// Reads the count and the records that follow the separator, and accepts them only when they
// describe this payload: one record per 29 bytes exactly, ascending keys equal to their times,
// positions at word boundaries inside the payload in file order, counts starting at 0 and never
// falling. Anything else would let a damaged file steer reads outside the payload.
bool RawFileReader::parseBookmarkBody(const std::vector<uint8_t>& bytes, TimeIndex& timeIndex,
                                      CountIndex& countIndex)
{
    timeIndex.clear();
    countIndex.clear();
    if (bytes.size() < 8) {
        return false;
    }
    const uint64_t count = getLe(bytes.data(), 8);
    const uint64_t recordBytes = bytes.size() - 8;
    if (count == 0 || count > recordBytes / kBookmarkRecordSize ||
        count * kBookmarkRecordSize != recordBytes) {
        return false;
    }
    const uint64_t w = wordSize();
    const uint8_t* p = bytes.data() + 8;
    const Bookmark* previous = nullptr;
    for (uint64_t i = 0; i < count; ++i, p += kBookmarkRecordSize) {
        const uint64_t key = getLe(p, 8);
        Bookmark bookmark;
        bookmark.bytePos = getLe(p + 8, 8);
        bookmark.flag = p[16];
        bookmark.timestamp = getLe(p + 17, 8);
        bookmark.eventCount = static_cast<uint32_t>(getLe(p + 25, 4));
        const bool aligned = (bookmark.bytePos - m_payloadStart) % w == 0 || bookmark.bytePos == m_fileSize;
        if (key != bookmark.timestamp || bookmark.bytePos < m_payloadStart || bookmark.bytePos > m_fileSize ||
            !aligned) {
            return false;
        }
        if (previous ? (key <= previous->timestamp || bookmark.bytePos < previous->bytePos ||
                        bookmark.eventCount < previous->eventCount)
                     : (bookmark.bytePos != m_payloadStart || bookmark.eventCount != 0)) {
            return false;
        }
        countIndex.emplace(bookmark.eventCount, key);
        previous = &timeIndex.emplace(key, bookmark).first->second;
    }
    return true;
}

void RawFileReader::loadBookmarksFromFile(const std::string&)
{
    // The check parsed exactly the bytes it verified; reading the file again could see another
    // version of it.
    m_timeIndex = std::move(m_checkedTimeIndex);
    m_countIndex = std::move(m_checkedCountIndex);
    m_checkedTimeIndex.clear();
    m_checkedCountIndex.clear();
}

bool RawFileReader::getRawFileBookmark(uint64_t t, Bookmark& out) const
{
    if (m_timeIndex.empty() || t > m_timeIndex.rbegin()->first || t < m_timeIndex.begin()->first) {
        return false;
    }
    auto found = m_timeIndex.upper_bound(t);
    out = std::prev(found)->second;
    return true;
}

bool RawFileReader::getRawFileBookmarkByNEvents(uint64_t n, Bookmark& out) const
{
    if (m_countIndex.empty() || m_timeIndex.empty()) {
        return false;
    }
    const auto atLeast = m_countIndex.lower_bound(n);
    if (atLeast == m_countIndex.end()) {
        return false;
    }
    if (n == 0) {
        out = m_timeIndex.begin()->second;
        return true;
    }
    if (atLeast == m_countIndex.begin()) {
        return false;
    }
    const auto bookmark = m_timeIndex.find(std::prev(atLeast)->second);
    if (bookmark == m_timeIndex.end()) {
        return false;
    }
    out = bookmark->second;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Simple accessors

bool RawFileReader::getStartTimeStamp(uint64_t& out)
{
    out = m_startTimeStamp;
    return true;
}

bool RawFileReader::getEndTimeStamp(uint64_t& out)
{
    out = m_endTimeStamp;
    return true;
}

bool RawFileReader::getMaxEvents(uint64_t& out)
{
    out = m_maxEvents;
    return true;
}

bool RawFileReader::getFileInfo(DvsFileInfo& out)
{
    out = m_fileInfo;
    return true;
}

uint16_t RawFileReader::getWidth() const
{
    return m_fileInfo.width;
}

uint16_t RawFileReader::getHeight() const
{
    return m_fileInfo.height;
}

uint64_t RawFileReader::getCurrentPosTimeStamp()
{
    return m_currentTimeStamp;
}

uint64_t RawFileReader::getCurrentPosEventNum()
{
    return m_currentEventNum;
}

bool RawFileReader::reachedEndOfEvents()
{
    return m_currentTimeStamp > m_endTimeStamp;
}

// ---------------------------------------------------------------------------------------------
// Seeking

void RawFileReader::clearBatches()
{
    m_pendingEvents->clear();
    m_pendingBegin = 0;
}

template <typename Scan> bool RawFileReader::scanFromBookmark(const Bookmark& bookmark, Scan scan)
{
    const size_t w = wordSize();
    m_decoder->setLastTimestamp(&bookmark.timestamp);
    m_readBuffer.resize(m_chunkSize / w * w);
    uint64_t pos = bookmark.bytePos;
    while (pos < m_payloadEnd) {
        const size_t wanted =
            static_cast<size_t>(std::min<uint64_t>(m_readBuffer.size(), m_payloadEnd - pos));
        const size_t got = readAt(pos, m_readBuffer.data(), wanted) / w * w;
        if (got == 0) {
            break;
        }
        if (scan(m_readBuffer.data(), got, pos)) {
            return true;
        }
        pos += got;
    }
    m_readPos = pos;
    return false;
}

bool RawFileReader::seekTime(uint64_t t)
{
    if (t > m_endTimeStamp) {
        m_currentTimeStamp = saturatingAdd(m_endTimeStamp, 1);
        return false;
    }
    if (t < m_startTimeStamp) {
        m_currentTimeStamp = m_startTimeStamp - 1;
        return false;
    }
    Bookmark bookmark;
    if (!getRawFileBookmark(t, bookmark)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_readMutex);
    uint64_t targetPos = bookmark.bytePos;
    uint64_t targetTime = bookmark.timestamp;
    uint64_t targetCount = bookmark.eventCount;
    if (bookmark.timestamp != t) {
        // Counting the words before the target as the scan passes them keeps the event number
        // exact at no extra decoding.
        const size_t w = wordSize();
        uint64_t before = 0;
        const bool found =
            scanFromBookmark(bookmark, [&](const uint8_t* chunk, size_t size, uint64_t chunkPos) {
                uint32_t wordEvents = 0;
                const size_t q = advanceToTime(*m_decoder, chunk, 0, size, w, t, before, wordEvents);
                if (q >= size) {
                    return false;
                }
                targetPos = chunkPos + q;
                targetTime = m_decoder->getLastTimestamp();
                targetCount = bookmark.eventCount + before;
                return true;
            });
        if (!found) {
            return false;
        }
    }
    m_readPos = targetPos;
    m_decoder->setLastTimestamp(&targetTime);
    m_currentTimeStamp = t;
    m_currentEventNum = targetCount;
    clearBatches();
    return true;
}

bool RawFileReader::seekNEvents(uint64_t n)
{
    if (n > m_maxEvents) {
        m_currentEventNum = saturatingAdd(m_maxEvents, 1);
        m_currentTimeStamp = saturatingAdd(m_endTimeStamp, 1);
        return false;
    }
    Bookmark bookmark;
    if (!getRawFileBookmarkByNEvents(n, bookmark)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_readMutex);
    uint64_t targetPos = bookmark.bytePos;
    uint64_t targetTime = bookmark.timestamp;
    uint64_t targetCount = bookmark.eventCount;
    if (bookmark.eventCount != n) {
        // Word by word: resuming after the target word needs the decoder's row and vector state
        // exactly as it stands there, which only a sequential scan gives.
        const size_t w = wordSize();
        const bool found =
            scanFromBookmark(bookmark, [&](const uint8_t* chunk, size_t size, uint64_t chunkPos) {
                for (size_t offset = 0; offset < size; offset += w) {
                    targetCount += m_decoder->countEvents(chunk + offset, chunk + offset + w);
                    if (targetCount >= n) {
                        // The cursor goes after the word that reached n, so that the events it counts
                        // are not handed out again by the next query.
                        targetPos = chunkPos + offset + w;
                        targetTime = m_decoder->getLastTimestamp();
                        return true;
                    }
                }
                return false;
            });
        if (!found) {
            return false;
        }
    }
    m_readPos = targetPos;
    m_decoder->setLastTimestamp(&targetTime);
    m_currentTimeStamp = targetTime;
    m_currentEventNum = targetCount;
    clearBatches();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Queries

template <typename Done> bool RawFileReader::readAndDecodeEvents(Done done)
{
    std::lock_guard<std::mutex> lock(m_readMutex);
    const size_t w = wordSize();
    const size_t chunk = static_cast<size_t>(m_chunkSize / w * w);
    while (m_readPos < m_payloadEnd) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(chunk, m_payloadEnd - m_readPos));
        m_readBuffer.resize(wanted);
        const size_t got = readAt(m_readPos, m_readBuffer.data(), wanted) / w * w;
        if (got == 0) {
            TARVO_LOG(4, "Reading '%s' failed at byte %llu.", m_filePath.c_str(),
                      static_cast<unsigned long long>(m_readPos));
            break;
        }
        m_readBuffer.resize(got);
        m_readPos += got;
        m_decoder->decode(m_readBuffer);
        if (done()) {
            return true;
        }
    }
    return !m_outputEvents->empty();
}

void RawFileReader::takePending(size_t stop)
{
    auto& pending = *m_pendingEvents;
    auto& output = *m_outputEvents;
    if (m_pendingBegin == 0 && stop == pending.size() && output.empty()) {
        output.swap(pending);
    } else {
        output.insert(output.end(), pending.begin() + static_cast<ptrdiff_t>(m_pendingBegin),
                      pending.begin() + static_cast<ptrdiff_t>(stop));
        m_pendingBegin = stop;
    }
    if (m_pendingBegin >= pending.size()) {
        pending.clear();
        m_pendingBegin = 0;
    }
}

RawFileReader::EventBatch RawFileReader::getNEvents(uint64_t count)
{
    if (m_currentEventNum > m_maxEvents) {
        // Only a failed seek past the end puts the cursor here; nothing remains to hand out.
        m_outputEvents->clear();
        return m_outputEvents;
    }
    if (count > m_maxEvents - m_currentEventNum) {
        TARVO_LOG(3, "Requested number of events exceeds total number of events.");
        count = m_maxEvents - m_currentEventNum;
    }
    auto& output = *m_outputEvents;
    output.clear();
    const size_t pending = m_pendingEvents->size() - m_pendingBegin;
    if (pending > count) {
        takePending(m_pendingBegin + static_cast<size_t>(count));
    } else {
        takePending(m_pendingEvents->size());
        if (output.size() < count) {
            readAndDecodeEvents([&] {
                if (output.size() < count) {
                    return false;
                }
                m_pendingEvents->assign(output.begin() + static_cast<ptrdiff_t>(count), output.end());
                m_pendingBegin = 0;
                output.resize(static_cast<size_t>(count));
                return true;
            });
        }
    }
    if (!output.empty()) {
        m_currentTimeStamp = saturatingAdd(output.back().timestamp, 1);
        m_currentEventNum += output.size();
    }
    return m_outputEvents;
}

RawFileReader::EventBatch RawFileReader::getNTimeEvents(uint64_t duration)
{
    uint64_t end = saturatingAdd(m_currentTimeStamp, duration);
    if (end < m_startTimeStamp) {
        TARVO_LOG(3, "Requested interval is before start timestamp.");
        m_currentTimeStamp = end;
        m_currentEventNum = 0;
        return std::make_shared<std::vector<Event2D>>();
    }
    if (m_currentTimeStamp > m_endTimeStamp) {
        TARVO_LOG(3, "Current read pos exceeds end timestamp.");
        m_currentEventNum = m_maxEvents;
        return std::make_shared<std::vector<Event2D>>();
    }
    if (m_endTimeStamp < end) {
        TARVO_LOG(3, "Requested interval exceeds end timestamp.");
        end = m_endTimeStamp + 1;
    }
    m_currentTimeStamp = saturatingAdd(m_currentTimeStamp, duration);
    auto& output = *m_outputEvents;
    auto& pending = *m_pendingEvents;
    output.clear();
    if (m_pendingBegin < pending.size()) {
        if (pending.back().timestamp >= end) {
            const Event2D* first = pending.data() + m_pendingBegin;
            const Event2D* stop = binarySearchTimestamp(end, first, pending.data() + pending.size());
            takePending(static_cast<size_t>(stop - pending.data()));
            m_currentEventNum += output.size();
            return m_outputEvents;
        }
        takePending(pending.size());
    }
    size_t chunkStart = output.size();
    readAndDecodeEvents([&] {
        if (output.size() == chunkStart) {
            return false;
        }
        if (output.back().timestamp < end) {
            chunkStart = output.size();
            return false;
        }
        Event2D* stop = binarySearchTimestamp(end, output.data() + chunkStart, output.data() + output.size());
        pending.assign(stop, output.data() + output.size());
        m_pendingBegin = 0;
        output.resize(static_cast<size_t>(stop - output.data()));
        return true;
    });
    m_currentEventNum += output.size();
    return m_outputEvents;
}

RawFileReader::EventBatch RawFileReader::getNEventsGivenStartTimeStamp(uint64_t startTime, uint64_t count)
{
    if (!seekTime(startTime)) {
        return std::make_shared<std::vector<Event2D>>();
    }
    return getNEvents(count);
}

RawFileReader::EventBatch RawFileReader::getNEventsGivenStartEvent(uint64_t startEvent, uint64_t count)
{
    if (!seekNEvents(startEvent)) {
        return std::make_shared<std::vector<Event2D>>();
    }
    return getNEvents(count);
}

RawFileReader::EventBatch RawFileReader::getNTimeEventsGivenStartTimeStamp(uint64_t startTime,
                                                                           uint64_t duration)
{
    if (!seekTime(startTime)) {
        return std::make_shared<std::vector<Event2D>>();
    }
    return getNTimeEvents(duration);
}

RawFileReader::EventBatch RawFileReader::getNTimeEventsGivenStartEvent(uint64_t startEvent, uint64_t duration)
{
    if (!seekNEvents(startEvent)) {
        return std::make_shared<std::vector<Event2D>>();
    }
    return getNTimeEvents(duration);
}

// ---------------------------------------------------------------------------------------------
// Trigger receivers

void RawFileReader::dispatchTrigger(const EventTriggerIn& trigger)
{
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    for (auto& entry : m_triggerCallbacks) {
        entry.second(trigger);
    }
}

uint32_t RawFileReader::addTriggerInCallback(TriggerInCallback callback)
{
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    const uint32_t id = m_nextCallbackId++;
    m_triggerCallbacks.emplace(id, std::move(callback));
    return id;
}

bool RawFileReader::removeTriggerInCallback(uint32_t id)
{
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    return m_triggerCallbacks.erase(id) != 0;
}

// ---------------------------------------------------------------------------------------------
// Range extraction and video export

bool RawFileReader::extractEventData(uint64_t startTime, uint64_t endTime, const std::string& outPath)
{
    if (!seekTime(endTime)) {
        TARVO_LOG(4, "No end timestamp found.");
        return false;
    }
    const uint64_t endPos = m_readPos;
    if (!seekTime(startTime)) {
        TARVO_LOG(4, "No start timestamp found.");
        return false;
    }
    const uint64_t startPos = m_readPos;
    TARVO_LOG(2, "extract event start time: %llu, end time: %llu", static_cast<unsigned long long>(startTime),
              static_cast<unsigned long long>(endTime));
    if (endPos < startPos) {
        TARVO_LOG(4, "Start time must be less than or equal to end time.");
        return false;
    }
    m_readBuffer.clear();
    const uint64_t length = endPos - startPos;
    if (length == 0) {
        TARVO_LOG(4, "There is no data in the interval.");
        return false;
    }
    // Truncating the recording that is being read would destroy it.
    struct stat source = {};
    struct stat target = {};
    if (::fstat(m_file, &source) == 0 && ::stat(outPath.c_str(), &target) == 0 &&
        source.st_dev == target.st_dev && source.st_ino == target.st_ino) {
        TARVO_LOG(4, "Failed to open output file: %s.", outPath.c_str());
        return false;
    }
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    if (!out) {
        TARVO_LOG(4, "Failed to open output file: %s.", outPath.c_str());
        return false;
    }
    DvsFileInfo info = m_fileInfo;
    info.dvs_start_timestamp = startTime;
    const std::string header = generateDvsFileHeader(info);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));

    std::lock_guard<std::mutex> lock(m_readMutex);
    m_readBuffer.resize(kCopyPieceSize);
    uint64_t pos = startPos;
    while (pos < endPos) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(kCopyPieceSize, endPos - pos));
        if (readAt(pos, m_readBuffer.data(), piece) != piece) {
            throw std::runtime_error("Failed to read the expected number of bytes from the input file.");
        }
        out.write(reinterpret_cast<const char*>(m_readBuffer.data()), static_cast<std::streamsize>(piece));
        if (!out.good()) {
            throw std::runtime_error("Failed to write the expected number of bytes to the output file.");
        }
        pos += piece;
    }
    m_readPos = pos;
    out.close();
    if (!out) {
        throw std::runtime_error("Failed to write the expected number of bytes to the output file.");
    }
    return true;
}

} // namespace tarvo
