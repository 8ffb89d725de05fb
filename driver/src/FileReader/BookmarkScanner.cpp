#include "BookmarkScanner.h"

#include "BookmarkPass.h"
#include "DriverLog.h"
#include "ParallelIndexer.h"
#include "PayloadMap.h"
#include "PosixFile.h"
#include "TarvoHal/DecoderFactory.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";
// Whether a payload is EVT 3.0 is decided on its start, in blocks of this size.
constexpr uint64_t kProbeSize = 1 << 20;
constexpr size_t kProbeBlockSize = 64;
// No camera's time moves by half the 24-bit range within one probe block; random bytes do so
// at every other TIME_HIGH word. A few such leaps are tolerated as damage.
constexpr uint64_t kLeap = uint64_t{1} << 23;
constexpr int kMaxLeaps = 8;
// A time can exceed a later one by at most the low twelve bits of that later time.
constexpr uint64_t kLowBits = 0xFFF;
constexpr int kVerifiedBetween = 8;

using namespace log;

uint64_t saturatingAdd(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::mutex& threadingMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Guarded by threadingMutex().
BookmarkScanner::Threading& sharedThreading()
{
    static BookmarkScanner::Threading threading;
    return threading;
}

unsigned threadCount(const BookmarkScanner::Threading& threading, uint64_t bytes)
{
    if (bytes < threading.minParallelBytes) {
        return 1;
    }
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return threading.threads != 0 ? threading.threads : std::min(cores, BookmarkScanner::kMaxThreads);
}

} // namespace

BookmarkScanner::BookmarkScanner(const PosixFile& file, uint64_t payloadStart, uint64_t payloadEnd,
                                 uint64_t anchorTime)
    : m_file(file), m_payloadStart(payloadStart), m_payloadEnd(payloadEnd), m_anchorTime(anchorTime),
      m_threading(threading())
{
}

void BookmarkScanner::setThreading(const Threading& threading)
{
    std::lock_guard<std::mutex> lock(threadingMutex());
    sharedThreading() = threading;
}

BookmarkScanner::Threading BookmarkScanner::threading()
{
    std::lock_guard<std::mutex> lock(threadingMutex());
    return sharedThreading();
}

unsigned BookmarkScanner::threadsFor(uint64_t bytes)
{
    return threadCount(threading(), bytes);
}

std::unique_ptr<Decoder> BookmarkScanner::freshDecoder(uint64_t anchorTime)
{
    auto decoder = DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"));
    if (decoder && anchorTime != 0) {
        decoder->setLastTimestamp(&anchorTime);
    }
    return decoder;
}

size_t BookmarkScanner::warmUpStart(const BookmarkIndex& index, size_t i)
{
    return i == 0 || index[i - 1].eventCount == 0 ? 0 : i - 1;
}

void BookmarkScanner::resumeAfterEvents(Decoder& decoder, uint64_t time)
{
    // A row word (EVT 3.0 ADDR_Y, row 0); the interval decoded next sends the real row.
    const uint8_t rowWord[2] = {0x00, 0x00};
    decoder.setLastTimestamp(&time);
    decoder.advanceTime(rowWord, rowWord + 2);
    decoder.setLastTimestamp(&time);
}

bool BookmarkScanner::looksLikeEvt3(std::string& why) const
{
    auto decoder = freshDecoder(m_anchorTime);
    const size_t w = std::max<size_t>(1, decoder->getRawEventSize());
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min(kProbeSize, m_payloadEnd - m_payloadStart)));
    bytes.resize(m_file.readAt(m_payloadStart, bytes.data(), bytes.size()) / w * w);
    uint64_t events = 0;
    int leaps = 0;
    const size_t block = kProbeBlockSize / w * w;
    for (size_t p = 0; p < bytes.size(); p += block) {
        const uint64_t before = decoder->getLastTimestamp();
        events += decoder->countEvents(bytes.data() + p, bytes.data() + std::min(bytes.size(), p + block));
        if (decoder->getLastTimestamp() > before + kLeap && before != 0) {
            ++leaps;
        }
    }
    if (m_anchorTime == 0 && events == 0 && decoder->getLastTimestamp() == 0) {
        why = "no TIME_HIGH word in its first MiB";
        return false;
    }
    if (leaps >= kMaxLeaps) {
        why = "its times leap ahead by hours again and again, as no camera's do";
        return false;
    }
    return true;
}

bool BookmarkScanner::build(BookmarkIndex& index) const
{
    const unsigned threads = threadCount(m_threading, m_payloadEnd - m_payloadStart);
    if (threads > 1) {
        bool done = false;
        if (!buildInParallel(threads, index, done)) {
            index.clear();
            return false;
        }
        if (done) {
            return true;
        }
    }
    index = buildOnOneThread();
    return true;
}

BookmarkIndex BookmarkScanner::buildOnOneThread() const
{
    BookmarkPass pass(m_payloadStart, m_anchorTime);
    if (!pass.ready()) {
        return BookmarkIndex();
    }
    const size_t w = pass.wordSize();
    std::vector<uint8_t> buffer(BookmarkPass::readSize(w));
    uint64_t pos = m_payloadStart;
    while (pos < m_payloadEnd) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(buffer.size(), m_payloadEnd - pos));
        const size_t got = m_file.readAt(pos, buffer.data(), wanted) / w * w;
        if (got == 0) {
            TARVO_LOG(kError, "Reading the recording failed at byte %llu.",
                      static_cast<unsigned long long>(pos));
            break;
        }
        pass.walk(buffer.data(), pos, got, nullptr);
        pos += got;
    }
    return pass.finish(m_file, pos);
}

bool BookmarkScanner::buildInParallel(unsigned threads, BookmarkIndex& index, bool& done) const
{
    BookmarkPass pass(m_payloadStart, m_anchorTime);
    if (!pass.ready()) {
        return true; // the plain build says why
    }
    ParallelIndexer indexer(m_file, m_payloadStart, m_payloadEnd, m_threading);
    std::string why;
    switch (indexer.run(threads, pass, PayloadMap::Entry{m_anchorTime != 0, m_anchorTime}, why)) {
    case ParallelIndexer::Outcome::Built:
        index = pass.finish(m_file, m_payloadEnd);
        done = true;
        return true;
    case ParallelIndexer::Outcome::Failed:
        TARVO_LOG(kError, "Indexing the recording failed: %s.", why.c_str());
        return false;
    case ParallelIndexer::Outcome::ReadShort:
        break;
    }
    return true;
}

bool BookmarkScanner::countRange(Decoder& decoder, uint64_t from, uint64_t to, uint64_t& events) const
{
    const size_t w = std::max<size_t>(1, decoder.getRawEventSize());
    std::vector<uint8_t> bytes(static_cast<size_t>(std::min<uint64_t>(BookmarkPass::readSize(w), to - from)) /
                               w * w);
    events = 0;
    while (from < to) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(bytes.size(), to - from));
        const size_t got = m_file.readAt(from, bytes.data(), wanted) / w * w;
        if (got == 0) {
            return false;
        }
        events += decoder.countEvents(bytes.data(), bytes.data() + got);
        from += got;
    }
    return true;
}

// Decodes from bookmark i to bookmark i + 1, starting one interval earlier so that the decoder
// knows the row and vector state there, and compares the count and the time found.
bool BookmarkScanner::verifyInterval(const BookmarkIndex& index, size_t i) const
{
    auto decoder = freshDecoder(m_anchorTime);
    const size_t w = std::max<size_t>(1, decoder->getRawEventSize());
    uint64_t events = 0;
    const size_t from = warmUpStart(index, i);
    if (from > 0) {
        resumeAfterEvents(*decoder, index[from].timestamp);
    }
    if (i > 0) {
        if (!countRange(*decoder, index[from].bytePos, index[i].bytePos, events) ||
            events != index[i].eventCount - index[from].eventCount) {
            return false;
        }
        // The time after the bookmark's own word, which starts the next interval.
        uint8_t word[8] = {};
        if (m_file.readAt(index[i].bytePos, word, w) != w) {
            return false;
        }
        decoder->advanceTime(word, word + w);
        if (decoder->getLastTimestamp() != index[i].timestamp) {
            return false;
        }
    }
    if (i == 0 && m_anchorTime != 0 && index[0].timestamp != m_anchorTime) {
        return false;
    }
    if (!countRange(*decoder, index[i].bytePos, index[i + 1].bytePos, events) ||
        events != index[i + 1].eventCount - index[i].eventCount) {
        return false;
    }
    if (i + 2 == index.size()) {
        const uint64_t end = decoder->getLastTimestamp();
        const uint64_t key = index.back().timestamp;
        return key >= end && key <= std::max(end | kLowBits, saturatingAdd(index[i].timestamp, 1));
    }
    uint8_t word[8] = {};
    if (m_file.readAt(index[i + 1].bytePos, word, w) != w) {
        return false;
    }
    decoder->advanceTime(word, word + w);
    return decoder->getLastTimestamp() == index[i + 1].timestamp;
}

bool BookmarkScanner::verify(const BookmarkIndex& index) const
{
    if (index.size() < 2 || !freshDecoder(m_anchorTime)) {
        return false;
    }
    const size_t intervals = index.size() - 1;
    std::vector<size_t> chosen = {0, intervals - 1};
    for (int k = 1; k <= kVerifiedBetween; ++k) {
        chosen.push_back(intervals * static_cast<size_t>(k) / (kVerifiedBetween + 1));
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    for (const size_t i : chosen) {
        if (!verifyInterval(index, i)) {
            TARVO_LOG(kWarning, "Bookmark %zu of the bookmark file does not match the recording.", i);
            return false;
        }
    }
    return true;
}

} // namespace tarvo
