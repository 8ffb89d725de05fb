// The map of a stretch of payload, built chunk by chunk, against a word-by-word decoding of the
// whole stream: the time after every word and the events between words.
#include "FileReader/PayloadMap.h"
#include "FileReader/BookmarkScanner.h"
#include "RawTestSupport.h"

#include "TarvoHal/Decoder.h"

#include <gtest/gtest.h>

#include <random>

namespace tarvo {
namespace {

constexpr uint64_t kFilePos = 1000; // where the payload would sit in a file

void addWord(std::vector<uint8_t>& payload, uint32_t word)
{
    payload.push_back(static_cast<uint8_t>(word));
    payload.push_back(static_cast<uint8_t>(word >> 8));
}

// What a single decoder sees going through the words: the time before each word (and after
// the last), and the events before it as counted with a known row.
struct WordByWord
{
    std::vector<uint64_t> time;
    std::vector<uint64_t> events;
    size_t firstKnown = 0; // the first word before which the stream's time is known
};

WordByWord decodeWordByWord(const std::vector<uint8_t>& payload, uint64_t anchor)
{
    WordByWord reference;
    auto decoder = BookmarkScanner::freshDecoder(anchor);
    auto counter = BookmarkScanner::freshDecoder(0);
    BookmarkScanner::resumeAfterEvents(*counter, 0);
    const size_t words = payload.size() / 2;
    reference.firstKnown = anchor != 0 ? 0 : words;
    reference.time.push_back(decoder->getLastTimestamp());
    reference.events.push_back(0);
    for (size_t k = 0; k < words; ++k) {
        const uint8_t* word = payload.data() + 2 * k;
        decoder->advanceTime(word, word + 2);
        reference.time.push_back(decoder->getLastTimestamp());
        reference.events.push_back(reference.events.back() + counter->countEvents(word, word + 2));
        if (reference.firstKnown == words && (word[1] >> 4) == 0x8) {
            reference.firstKnown = k + 1;
        }
    }
    return reference;
}

// Maps the payload in two stretches (as two rounds), in chunks of `chunkBytes`, and compares.
void expectMapAgrees(const std::vector<uint8_t>& payload, uint64_t anchor, uint64_t chunkBytes)
{
    SCOPED_TRACE("chunks of " + std::to_string(chunkBytes) + " bytes, anchor " + std::to_string(anchor));
    const WordByWord reference = decodeWordByWord(payload, anchor);
    const size_t words = payload.size() / 2;
    const size_t split = words / 3;
    auto decoder = BookmarkScanner::freshDecoder(0);
    PayloadMap first(BookmarkScanner::freshDecoder(0));
    PayloadMap second(BookmarkScanner::freshDecoder(0));
    first.reset(payload.data(), kFilePos, 2 * split, chunkBytes);
    second.reset(payload.data() + 2 * split, kFilePos + 2 * split, 2 * (words - split), chunkBytes);
    for (PayloadMap* map : {&first, &second}) {
        for (size_t k = 0; k < map->chunkCount(); ++k) {
            map->scanChunk(k, *decoder);
        }
    }
    const PayloadMap::Entry middle = first.join(PayloadMap::Entry{anchor != 0, anchor});
    second.join(middle);
    ASSERT_EQ(middle.timeKnown, split >= reference.firstKnown);
    if (middle.timeKnown) {
        ASSERT_EQ(middle.time, reference.time[split]);
    }

    auto check = [&](PayloadMap& map, size_t from, size_t to) {
        const size_t p0 = std::max(from, reference.firstKnown);
        for (size_t x = p0 + 1; x <= to; ++x) {
            // From the first known time of the stretch, and from the word before.
            ASSERT_EQ(map.timeAt(kFilePos + 2 * x, kFilePos + 2 * p0, reference.time[p0]), reference.time[x])
                << "word " << x;
            ASSERT_EQ(map.timeAt(kFilePos + 2 * x, kFilePos + 2 * (x - 1), reference.time[x - 1]),
                      reference.time[x])
                << "word " << x;
        }
        for (size_t a = from; a < to; a += 1 + (to - from) / 97) {
            for (const size_t b : {a, a + 1, (a + to) / 2, to}) {
                ASSERT_EQ(map.eventsBefore(kFilePos + 2 * b) - map.eventsBefore(kFilePos + 2 * a),
                          reference.events[b] - reference.events[a])
                    << "words " << a << " to " << b;
            }
        }
    };
    check(first, 0, split);
    check(second, split, words);
}

TEST(PayloadMap, AgreesWithOneDecoderOnRandomWords)
{
    std::mt19937_64 random(5);
    for (int i = 0; i < 6; ++i) {
        // Every other stream with TIME_LOW so rare that chunks hold none.
        const auto payload = test::randomCameraWords(random, 40000, static_cast<uint32_t>(random() % 0x1000),
                                                     i % 2 == 0 ? 16 : 4000);
        const uint64_t anchor = i % 3 == 0 ? 0 : random() % 50000000;
        for (const uint64_t chunk :
             {uint64_t{2}, uint64_t{6}, uint64_t{2 + 2 * (random() % 3000)}, uint64_t{8192}}) {
            expectMapAgrees(payload, anchor, chunk);
        }
    }
}

// A chunk's own first TIME_LOW or TIME_HIGH arrives exactly at one of its marks, after words that
// still carry the previous chunk's.
TEST(PayloadMap, AgreesWhenAChunksFirstTimeWordsComeAtItsMarks)
{
    std::vector<uint8_t> payload;
    addWord(payload, 0x8005);
    addWord(payload, 0x0010);
    uint32_t high = 5;
    std::mt19937_64 random(9);
    while (payload.size() < 200000) {
        const size_t offset = payload.size() % (2 * PayloadMap::kGrid);
        if (offset == PayloadMap::kGrid) {
            addWord(payload, 0x6000 | static_cast<uint32_t>(random() % 0x1000));
        } else if (offset == 0) {
            high = (high + 1) & 0xFFF;
            addWord(payload, 0x8000 | high);
        } else {
            addWord(payload, 0x2000 | static_cast<uint32_t>(random() % 1280));
        }
    }
    for (const uint64_t anchor : {uint64_t{0}, uint64_t{7777777}}) {
        expectMapAgrees(payload, anchor, 2 * PayloadMap::kGrid);
        expectMapAgrees(payload, anchor, 3 * PayloadMap::kGrid);
    }
}

// Before the stream's first TIME_HIGH (no start time in the header) the time is unknown and
// TIME_LOW words go unheard; after it, the old TIME_LOW is not the one that counts.
TEST(PayloadMap, AgreesWhenTimeLowComesBeforeTheFirstTimeHigh)
{
    std::vector<uint8_t> payload;
    addWord(payload, 0x6123);
    addWord(payload, 0x0011);
    addWord(payload, 0x2005);
    addWord(payload, 0x8ABC);
    addWord(payload, 0x0012);
    uint32_t high = 0xABC;
    for (int i = 0; payload.size() < 60000; ++i) {
        if (i % 700 == 699) {
            high = (high + 1) & 0xFFF;
            addWord(payload, 0x8000 | high);
        } else {
            addWord(payload, 0x2000 | static_cast<uint32_t>(i % 1280));
        }
    }
    addWord(payload, 0x6456);
    for (const uint64_t anchor : {uint64_t{0}, uint64_t{123456789}}) {
        expectMapAgrees(payload, anchor, 1 << 20);
        expectMapAgrees(payload, anchor, 4098);
    }
}

TEST(PayloadMap, AgreesOnAnEncodedScene)
{
    test::TempDir dir;
    test::SceneRecipe recipe;
    recipe.durationUs = 15000;
    recipe.eventsPerSecond = 6e6;
    recipe.triggerHz = 3000;
    recipe.startTime = (uint64_t{1} << 24) - 7000;
    const auto recording = test::writeSceneRecording(dir.file("scene.raw"), recipe);
    expectMapAgrees(recording.payload, recipe.startTime, 30002);
}

} // namespace
} // namespace tarvo
