// Decoding speed of the EVT 3.0 decoder, on the widest path this processor runs (or the one
// named on the command line) and on the word-by-word path, against the rate at which this
// machine can write 16-byte event records to memory at all.
#include "Evt3Decoder.h"
#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kTargetEvents = 100'000'000;
constexpr size_t kBufferBytes = 0x20000; // one USB transfer / one file chunk

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Best of several passes writing records sequentially into a 256 MiB buffer.
double writeBoundRecordsPerSecond()
{
    struct Record
    {
        uint64_t a, b;
    };
    const size_t count = (size_t{256} << 20) / sizeof(Record);
    std::vector<Record> buffer(count, Record{1, 1});
    double best = 0;
    for (int pass = 0; pass < 5; ++pass) {
        const auto start = Clock::now();
        Record* out = buffer.data();
        for (size_t i = 0; i < count; ++i) {
            out[i] = Record{i, i ^ static_cast<uint64_t>(pass)};
        }
        asm volatile("" : : "r"(out) : "memory");
        best = std::max(best, static_cast<double>(count) / seconds(Clock::now() - start));
    }
    return best;
}

// A stream structured like real recordings: rows sent with each event, a new TIME_LOW every
// microsecond, TIME_HIGH repeated every 16 µs, and a share of the events in vector runs.
std::vector<std::vector<uint8_t>> makeStream(uint64_t& events, uint64_t& singleWords)
{
    tarvo::sim::SceneOptions options;
    options.eventsPerSecond = 20e6;
    options.tickUs = 1;
    options.rowRunShare = 0.4;
    tarvo::sim::SyntheticScene scene(options, 0);
    tarvo::Evt3Encoder encoder;
    encoder.setTimeHighRepeatPeriod(16);
    std::vector<uint8_t> bytes;
    std::vector<tarvo::Event2D> batch;
    std::vector<tarvo::EventTriggerIn> triggers;
    events = 0;
    for (uint64_t from = 0; events < kTargetEvents; from += 10000) {
        batch.clear();
        scene.generate(from, from + 10000, batch, triggers);
        encoder.addEvents(batch.data(), batch.data() + batch.size(), bytes);
        events += batch.size();
    }
    singleWords = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        singleWords += (bytes[i + 1] >> 4) == 0x2;
    }
    std::vector<std::vector<uint8_t>> buffers;
    for (size_t offset = 0; offset < bytes.size(); offset += kBufferBytes) {
        const size_t size = std::min(kBufferBytes, bytes.size() - offset);
        buffers.emplace_back(bytes.begin() + static_cast<long>(offset),
                             bytes.begin() + static_cast<long>(offset + size));
    }
    return buffers;
}

// The path named on the command line (scalar, avx2, avx512), or the widest one.
bool choosePath(int argc, char** argv, tarvo::Evt3DecodePath& path)
{
    path = tarvo::widestDecodePath();
    if (argc < 2) {
        return true;
    }
    for (const auto candidate :
         {tarvo::Evt3DecodePath::Scalar, tarvo::Evt3DecodePath::Avx2, tarvo::Evt3DecodePath::Avx512}) {
        if (std::strcmp(argv[1], tarvo::decodePathName(candidate)) == 0 && tarvo::cpuSupports(candidate)) {
            path = candidate;
            return true;
        }
    }
    std::fprintf(stderr, "usage: decode [scalar|avx2|avx512]; this processor runs up to %s\n",
                 tarvo::decodePathName(tarvo::widestDecodePath()));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    tarvo::Evt3DecodePath path;
    if (!choosePath(argc, argv, path)) {
        return 2;
    }
    uint64_t events = 0;
    uint64_t singleWords = 0;
    const auto buffers = makeStream(events, singleWords);
    size_t bytes = 0;
    for (const auto& buffer : buffers) {
        bytes += buffer.size();
    }

    // Passes alternate between the paths, so that other load on the machine meets both alike.
    double bestRate = 0;
    double bestScalarRate = 0;
    for (int pass = 0; pass < 6; ++pass) {
        const bool scalar = pass % 2 == 1;
        tarvo::Evt3Decoder decoder(scalar ? tarvo::Evt3DecodePath::Scalar : path);
        uint64_t seen = 0;
        uint64_t checksum = 0;
        decoder.setEventsStreamHandleCallback([&](const tarvo::Event2D* first, const tarvo::Event2D* last) {
            seen += static_cast<uint64_t>(last - first);
            checksum += last[-1].x;
        });
        const auto start = Clock::now();
        for (const auto& buffer : buffers) {
            decoder.decode(buffer);
        }
        const double elapsed = seconds(Clock::now() - start);
        if (seen != events) {
            std::fprintf(stderr, "decoded %llu events on the %s path, expected %llu\n",
                         static_cast<unsigned long long>(seen), tarvo::decodePathName(decoder.path()),
                         static_cast<unsigned long long>(events));
            return 1;
        }
        asm volatile("" : : "r"(checksum));
        double& best = scalar ? bestScalarRate : bestRate;
        best = std::max(best, static_cast<double>(seen) / elapsed);
    }
    // Counting and time-only decoding, as the first opening of a recording uses them, on both
    // paths likewise.
    double bestCount[2] = {0, 0}; // the chosen path, the scalar path
    double bestTime[2] = {0, 0};
    for (int pass = 0; pass < 6; ++pass) {
        const int scalar = pass % 2;
        tarvo::Evt3Decoder counter(scalar ? tarvo::Evt3DecodePath::Scalar : path);
        tarvo::Evt3Decoder timer(scalar ? tarvo::Evt3DecodePath::Scalar : path);
        uint64_t counted = 0;
        auto start = Clock::now();
        for (const auto& buffer : buffers) {
            counted += counter.countEvents(buffer.data(), buffer.data() + buffer.size());
        }
        bestCount[scalar] =
            std::max(bestCount[scalar], static_cast<double>(bytes) / seconds(Clock::now() - start));
        start = Clock::now();
        for (const auto& buffer : buffers) {
            timer.advanceTime(buffer.data(), buffer.data() + buffer.size());
        }
        bestTime[scalar] =
            std::max(bestTime[scalar], static_cast<double>(bytes) / seconds(Clock::now() - start));
        if (counted != events) {
            std::fprintf(stderr, "counted %llu events, expected %llu\n",
                         static_cast<unsigned long long>(counted), static_cast<unsigned long long>(events));
            return 1;
        }
    }
    const double bound = writeBoundRecordsPerSecond();
    std::printf("stream_events: %llu\n", static_cast<unsigned long long>(events));
    std::printf("stream_bytes_per_event: %.2f\n", static_cast<double>(bytes) / static_cast<double>(events));
    std::printf("single_event_share: %.2f\n", static_cast<double>(singleWords) / static_cast<double>(events));
    std::printf("decode_path: %s\n", tarvo::decodePathName(path));
    std::printf("decode_mev_per_s: %.1f\n", bestRate / 1e6);
    std::printf("decode_scalar_mev_per_s: %.1f\n", bestScalarRate / 1e6);
    std::printf("write_bound_mev_per_s: %.1f\n", bound / 1e6);
    std::printf("decode_to_bound_ratio: %.2f\n", bestRate / bound);
    std::printf("decode_scalar_to_bound_ratio: %.2f\n", bestScalarRate / bound);
    std::printf("count_gb_per_s: %.2f\n", bestCount[0] / 1e9);
    std::printf("count_scalar_gb_per_s: %.2f\n", bestCount[1] / 1e9);
    std::printf("time_only_gb_per_s: %.2f\n", bestTime[0] / 1e9);
    std::printf("time_only_scalar_gb_per_s: %.2f\n", bestTime[1] / 1e9);
    return 0;
}
