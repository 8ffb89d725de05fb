#pragma once

#include "BookmarkIndex.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tarvo {

class Decoder;
class PosixFile;

// Decodes a RAW payload for its index: builds the bookmarks, checks a stored index against
// the words it points at, and tells whether the payload is an EVT 3.0 stream at all.
//
// The payload is decoded as one stream from a fresh decoder, set to the header's start time
// when it has one. A bookmark sits at a word where the decoder's time first climbs to at
// least bookmark_period_us past the previous bookmark; its time is the decoder's time after
// that word, so decoding resumes there exactly. Times may step back (a TIME_LOW a few µs
// below the previous one, or the old TIME_LOW still in force after a new TIME_HIGH), but never
// below (running maximum | 0xFFF): anything decoded before a position is at most that
// position's time | 0xFFF. The final bookmark, at the end of the payload, carries the highest
// time reached and the number of events.
class BookmarkScanner
{
public:
    BookmarkScanner(const PosixFile& file, uint64_t payloadStart, uint64_t payloadEnd, uint64_t anchorTime);

    // A decoder in the state of the start of the payload.
    static std::unique_ptr<Decoder> freshDecoder(uint64_t anchorTime);
    // Where decoding starts to reach bookmark i in the stream's state there: the bookmark
    // before it (its interval sets the row and vector state), or the start of the payload (0)
    // while no event had been decoded yet, as the stream's time or row may still be unknown.
    static size_t warmUpStart(const BookmarkIndex& index, size_t i);
    // Sets a decoder that resumes at bookmark i > 0 of warmUpStart: its time, and a known row,
    // since events were decoded before it.
    static void resumeAfterEvents(Decoder& decoder, uint64_t time);

    // False, with `why`, when the first MiB of the payload is no EVT 3.0 stream: no time at
    // all, or times that leap by more than half the 24-bit range again and again.
    bool looksLikeEvt3(std::string& why) const;
    // The index of the whole payload; empty when no time was ever decoded.
    BookmarkIndex build() const;
    // Decodes the interval after the first bookmark, before the last one and after a few in
    // between, and compares the times and counts found with what the index says.
    bool verify(const BookmarkIndex& index) const;

private:
    // Counts the events of [from, to) with `decoder`, reading the file in pieces.
    bool countRange(Decoder& decoder, uint64_t from, uint64_t to, uint64_t& events) const;
    bool verifyInterval(const BookmarkIndex& index, size_t i) const;

    const PosixFile& m_file;
    uint64_t m_payloadStart;
    uint64_t m_payloadEnd;
    uint64_t m_anchorTime;
};

} // namespace tarvo
