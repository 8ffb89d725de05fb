// The fusion view's per-frame work, each figure beside the memory traffic that bounds it, measured
// in the same run: resampling a 3840 x 2160 frame into the 1280 x 720 event grid (Calibrator),
// and handing frames to the frame-event pairing (DvsApsFusionProccessor).
//
// The figures come in groups, one function each, printed in order by main(). The viewer's fused
// pipeline (fused_frame_ms, fused_frames_per_s) is a further group of the same program.
#include "TarvoDriver/Calibrator.h"
#include "TarvoDriver/DvsApsFusionProccessor.h"

#ifdef TARVO_BENCH_FUSED_PIPELINE
#include "FusedPipeline.h"

#include <QCoreApplication>
#include <QStandardPaths>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPasses = 60;
constexpr uint32_t kApsWidth = 3840;
constexpr uint32_t kApsHeight = 2160;
constexpr uint32_t kDvsWidth = 1280;
constexpr uint32_t kDvsHeight = 720;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Median wall time of `step` over kPasses runs, in milliseconds.
template <typename Step> double medianMs(Step step)
{
    std::vector<double> times;
    for (int pass = 0; pass < kPasses; ++pass) {
        const auto start = Clock::now();
        step();
        times.push_back(ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void keep(const void* p)
{
    asm volatile("" : : "r"(p) : "memory");
}

tarvo::ApsFrame noiseFrame()
{
    tarvo::ApsFrame frame(kApsWidth, kApsHeight, 1, 2);
    std::mt19937_64 random(3);
    for (size_t i = 0; i + 8 <= frame.getDataSize(); i += 8) {
        const uint64_t word = random();
        std::memcpy(frame.data() + i, &word, 8);
    }
    return frame;
}

double copyMs(size_t bytes)
{
    std::vector<uint8_t> from(bytes, 1);
    std::vector<uint8_t> to(bytes, 0);
    return medianMs([&] {
        std::memcpy(to.data(), from.data(), bytes);
        keep(to.data());
    });
}

// Reads, eight bytes at a time, the span of every frame row that the default calibration samples:
// the least memory traffic any resampling of the frame can cause.
double readTouchedRowsMs(const tarvo::ApsFrame& frame)
{
    tarvo::Calibrator calibrator;
    const std::vector<double> m = calibrator.getDvsToAps();
    const double firstColumn = std::max(0.0, m[2]);
    const double endColumn = std::min<double>(kApsWidth, (kDvsWidth - 1) * m[0] + m[2] + 1);
    const size_t spanFirst = size_t(firstColumn) * 3 / 8 * 8;
    const size_t spanEnd = std::min<size_t>(size_t(endColumn) * 3, kApsWidth * 3) / 8 * 8;
    std::vector<size_t> rows;
    for (uint32_t y = 0; y < kDvsHeight; ++y) {
        const double row = y * m[4] + m[5];
        if (row > -1 && row < kApsHeight) {
            rows.push_back(size_t(row));
        }
    }
    uint64_t sum = 0;
    const double time = medianMs([&] {
        for (size_t row : rows) {
            const uint8_t* bytes = frame.data() + row * kApsWidth * 3;
            for (size_t i = spanFirst; i < spanEnd; i += 8) {
                uint64_t word;
                std::memcpy(&word, bytes + i, 8);
                sum += word;
            }
        }
        keep(&sum);
    });
    return time;
}

void printMappingFigures()
{
    const tarvo::ApsFrame frame = noiseFrame();
    tarvo::Calibrator calibrator;
    const double mapMs = medianMs([&] { keep(calibrator.mapApsToDvs(frame).data()); });

    // A slight rotation: the path for matrices that mix columns and rows.
    tarvo::Calibrator rotated;
    tarvo::CalibratorParameters params;
    const double angle = 0.01;
    params.transforms["1"] = {3.35 * std::cos(angle), -3.35 * std::sin(angle), -220,
                              3.35 * std::sin(angle), 3.35 * std::cos(angle),  -130};
    params.transforms["0"] = {1, 0, 0, 0, 1, 0};
    tarvo::Calibrator::computeInverseAffine(params.transforms["1"].data(), params.transforms["0"].data());
    rotated.loadCalibrationParam(params);
    const double rotatedMs = medianMs([&] { keep(rotated.mapApsToDvs(frame).data()); });

    const double copyDvsMs = copyMs(size_t(kDvsWidth) * kDvsHeight * 3);
    const double readRowsMs = readTouchedRowsMs(frame);
    std::printf("map_aps_to_dvs_ms: %.3f ms\n", mapMs);
    std::printf("map_aps_to_dvs_rotated_ms: %.3f ms\n", rotatedMs);
    std::printf("copy_dvs_frame_ms: %.3f ms\n", copyDvsMs);
    std::printf("read_touched_rows_ms: %.3f ms\n", readRowsMs);
    std::printf("map_to_bound_ratio: %.2f\n", mapMs / (copyDvsMs + readRowsMs));
}

// One frame and one sync edge a pass: the frame's deep copy and the pairing, with an empty callback.
void printPairingFigures()
{
    const tarvo::ApsFrame frame = noiseFrame();
    tarvo::DvsApsFusionProccessor processor;
    size_t pairs = 0;
    processor.addFusionDataCallback([&](tarvo::ApsFrame&, tarvo::Event2D*, tarvo::Event2D*) { ++pairs; });
    const std::vector<tarvo::Event2D> events(30000);
    const tarvo::EventTriggerIn edge(0, 1, 0);
    const double pairMs = medianMs([&] {
        processor.addDvsData(events.data(), events.data() + events.size());
        processor.addSyncSignal(edge);
        processor.addApsData(frame);
    });
    std::printf("pair_frame_ms: %.3f ms\n", pairMs);
    std::printf("copy_aps_frame_ms: %.3f ms\n", copyMs(frame.getDataSize()));
    std::printf("pairs: %zu\n", pairs);
}

} // namespace

int main(int argc, char** argv)
{
    printMappingFigures();
    printPairingFigures();
#ifdef TARVO_BENCH_FUSED_PIPELINE
    // The viewer's configuration is read, and must not be the user's.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    tarvo::bench::printFusedFigures();
#else
    (void)argc;
    (void)argv;
#endif
    return 0;
}
