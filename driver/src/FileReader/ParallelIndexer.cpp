#include "ParallelIndexer.h"

#include "BookmarkPass.h"
#include "BookmarkScanner.h"
#include "PosixFile.h"
#include "TarvoHal/Decoder.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <system_error>

namespace tarvo {
namespace {

// A chunk is mapped in well under a millisecond. A round whose last chunks take much longer
// waits for a thread that other load on the machine holds back: the walk reads and decodes the
// round itself instead.
constexpr std::chrono::milliseconds kPatience{2};

} // namespace

ParallelIndexer::ParallelIndexer(const PosixFile& file, uint64_t payloadStart, uint64_t payloadEnd,
                                 const BookmarkScanner::Threading& threading)
    : m_file(file), m_payloadStart(payloadStart), m_payloadEnd(payloadEnd), m_threading(threading)
{
}

ParallelIndexer::~ParallelIndexer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_work.notify_all();
    joinWorkers();
}

void ParallelIndexer::joinWorkers()
{
    for (std::thread& thread : m_threads) {
        thread.join();
    }
    m_threads.clear();
}

ParallelIndexer::Outcome ParallelIndexer::run(unsigned threads, BookmarkPass& pass,
                                              const PayloadMap::Entry& entry, std::string& why)
{
    try {
        const size_t w = pass.wordSize();
        m_roundBytes = BookmarkPass::readSize(w);
        m_chunkBytes = std::max<uint64_t>(
            w, (m_threading.chunkBytes != 0 ? m_threading.chunkBytes : BookmarkScanner::kChunkBytes) / w * w);
        m_rounds = (m_payloadEnd - m_payloadStart + m_roundBytes - 1) / m_roundBytes;
        // Enough rounds ahead of the walk for every thread to be mapping one.
        const size_t slots = static_cast<size_t>(std::min<uint64_t>(threads + 2, m_rounds));
        m_slots.resize(slots);
        m_own.resize(static_cast<size_t>(std::min(m_roundBytes, m_payloadEnd - m_payloadStart)));
        for (Slot& slot : m_slots) {
            slot.bytes.resize(static_cast<size_t>(std::min(m_roundBytes, m_payloadEnd - m_payloadStart)));
            slot.map = std::make_unique<PayloadMap>(BookmarkScanner::freshDecoder(0));
        }
        for (unsigned i = 0; i < std::max(1u, threads); ++i) {
            m_decoders.push_back(BookmarkScanner::freshDecoder(0));
            if (!m_decoders.back()) {
                why = "no EVT3 decoder";
                return Outcome::Failed;
            }
        }
    } catch (const std::exception& e) {
        why = e.what();
        return Outcome::Failed;
    }
    for (size_t i = 1; i < m_decoders.size(); ++i) {
        try {
            m_threads.emplace_back(&ParallelIndexer::workerLoop, this, m_decoders[i].get());
        } catch (const std::system_error&) {
            break; // the threads started so far share the work
        }
    }

    PayloadMap::Entry state = entry;
    try {
        for (uint64_t round = 0; round < m_rounds; ++round) {
            Slot& slot = m_slots[static_cast<size_t>(round % m_slots.size())];
            const uint64_t pos = m_payloadStart + round * m_roundBytes;
            const size_t size = static_cast<size_t>(std::min(m_roundBytes, m_payloadEnd - pos));
            bool mapped = false;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (m_nextRound == round && m_nextChunk == 0 && !m_threading.waitForMaps) {
                    ++m_nextRound; // nobody has begun it: decoded here, with no map to make
                } else {
                    mapped = waitForMap(lock, round, slot);
                }
                if (m_stopping) {
                    break;
                }
            }
            if (mapped) {
                state = slot.map->join(state);
                pass.walk(slot.bytes.data(), pos, size, slot.map.get());
            } else {
                if (m_file.readAt(pos, m_own.data(), size) != size) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    stop(Outcome::ReadShort, std::string());
                    break;
                }
                pass.walk(m_own.data(), pos, size, nullptr);
                const bool known = state.timeKnown || PayloadMap::holdsTimeHigh(m_own.data(), size);
                state = PayloadMap::Entry{known, known ? pass.time() : 0};
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_walked = round + 1;
            }
            m_work.notify_all();
        }
    } catch (const std::exception& e) {
        std::lock_guard<std::mutex> lock(m_mutex);
        stop(Outcome::Failed, e.what());
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        stop(Outcome::Built, std::string());
    }
    joinWorkers();
    why = m_failure;
    return m_outcome;
}

bool ParallelIndexer::canTake() const
{
    if (m_stopping || m_nextRound >= m_rounds || m_nextRound >= m_walked + m_slots.size()) {
        return false;
    }
    // A slot holds a new round once the chunks of its last one are all mapped.
    return m_nextChunk > 0 || m_slots[static_cast<size_t>(m_nextRound % m_slots.size())].pending == 0;
}

bool ParallelIndexer::waitForMap(std::unique_lock<std::mutex>& lock, uint64_t round, const Slot& slot)
{
    const auto complete = [&] { return slot.round == round && slot.pending == 0; };
    std::chrono::steady_clock::time_point deadline{};
    while (!m_stopping && !complete()) {
        if (m_nextRound == round && mapOne(lock, *m_decoders[0])) {
            continue;
        }
        const auto ready = [&] { return m_stopping || complete() || (m_nextRound == round && canTake()); };
        if (m_threading.waitForMaps) {
            m_roundDone.wait(lock, ready);
            continue;
        }
        if (deadline == std::chrono::steady_clock::time_point{}) {
            deadline = std::chrono::steady_clock::now() + kPatience;
        }
        if (!m_roundDone.wait_until(lock, deadline, ready)) {
            return false;
        }
    }
    return !m_stopping;
}

ParallelIndexer::Task ParallelIndexer::take()
{
    Slot& slot = m_slots[static_cast<size_t>(m_nextRound % m_slots.size())];
    const uint64_t roundStart = m_payloadStart + m_nextRound * m_roundBytes;
    if (m_nextChunk == 0) {
        slot.map->reset(slot.bytes.data(), roundStart, std::min(m_roundBytes, m_payloadEnd - roundStart),
                        m_chunkBytes);
        slot.round = m_nextRound;
        slot.pending = slot.map->chunkCount();
    }
    const Task task{static_cast<size_t>(m_nextRound % m_slots.size()), m_nextChunk, roundStart};
    if (++m_nextChunk == slot.map->chunkCount()) {
        ++m_nextRound;
        m_nextChunk = 0;
    }
    return task;
}

bool ParallelIndexer::map(const Task& task, Decoder& decoder)
{
    Slot& slot = m_slots[task.slot];
    const uint64_t begin = slot.map->chunkBegin(task.chunk);
    if (m_threading.beforeChunk) {
        m_threading.beforeChunk(begin);
    }
    const size_t length = static_cast<size_t>(slot.map->chunkEnd(task.chunk) - begin);
    if (m_file.readAt(begin, slot.bytes.data() + (begin - task.roundStart), length) != length) {
        return false;
    }
    slot.map->scanChunk(task.chunk, decoder);
    return true;
}

bool ParallelIndexer::mapOne(std::unique_lock<std::mutex>& lock, Decoder& decoder)
{
    if (!canTake()) {
        return false;
    }
    Task task{};
    bool complete = false;
    bool failed = false;
    std::string failure;
    try {
        task = take();
        lock.unlock();
        complete = map(task, decoder);
    } catch (const std::exception& e) {
        failed = true;
        failure = e.what();
    } catch (...) {
        failed = true;
        failure = "unknown error";
    }
    if (!lock.owns_lock()) {
        lock.lock();
    }
    if (failed) {
        stop(Outcome::Failed, failure);
    } else if (!complete) {
        stop(Outcome::ReadShort, std::string());
    } else if (--m_slots[task.slot].pending == 0) {
        // The round is complete, and its slot free to take another once it was walked.
        m_roundDone.notify_all();
        m_work.notify_all();
    }
    return true;
}

void ParallelIndexer::stop(Outcome outcome, const std::string& why)
{
    if (!m_stopping) {
        m_stopping = true;
        m_outcome = outcome;
        m_failure = why;
    }
    m_work.notify_all();
    m_roundDone.notify_all();
}

void ParallelIndexer::workerLoop(Decoder* decoder)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_work.wait(lock, [this] { return m_stopping || canTake(); });
        if (m_stopping) {
            return;
        }
        mapOne(lock, *decoder);
    }
}

} // namespace tarvo
