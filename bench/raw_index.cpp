// Opening, seeking and reading a large RAW recording, against the time this machine takes to
// read the same file once from the page cache.
//
//   raw_index [FILE.raw]
//
// Without a path it writes a synthetic recording of at least 1 GiB into a temporary folder and
// deletes the folder afterwards. With a path, the index beside that recording is deleted before
// each first opening so that it builds the index; the first openings take turns on one thread and
// on as many as the reader takes by default.
#include "FileReader/BookmarkScanner.h"
#include "TarvoBase/Logger.h"
#include "TarvoDriver/RawFileReader.h"
#include "TarvoSim/SyntheticRecording.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kMinBytes = uint64_t{1} << 30;
constexpr uint64_t kStartUs = 1000000;
constexpr uint64_t kWindowUs = 33333;
constexpr int kSeekPositions = 2000;
constexpr int kFirstOpenPasses = 3;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

bool writeSyntheticRecording(const std::string& path)
{
    tarvo::sim::RecordingRecipe recipe;
    recipe.startUs = kStartUs;
    recipe.durationUs = 0;
    recipe.minBytes = kMinBytes;
    recipe.serialNumber = "BENCH";
    recipe.scene.eventsPerSecond = 10e6;
    recipe.scene.triggerHz = 100;
    return tarvo::sim::writeSyntheticRecording(path, recipe).written;
}

// Reads the file once with large reads; the best of three passes, so that it is the page
// cache and not the disk that is measured.
double readOnceSeconds(const std::string& path)
{
    std::vector<char> buffer(1 << 20);
    double best = 1e30;
    for (int pass = 0; pass < 3; ++pass) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) {
            return 0;
        }
        const auto start = Clock::now();
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        best = std::min(best, seconds(Clock::now() - start));
        ::close(fd);
    }
    return best;
}

// Opens the recording with no index beside it: the header, the indexing pass, writing the index.
double firstOpenSeconds(const std::string& path, const std::string& mark, bool& loaded)
{
    std::error_code ignored;
    std::filesystem::remove(mark, ignored);
    const auto start = Clock::now();
    auto reader = tarvo::DvsFileReader::createFileReader(path);
    loaded = reader && reader->loadFile();
    return seconds(Clock::now() - start);
}

} // namespace

int main(int argc, char** argv)
{
    tarvo::Logger::Instance().setStderrLevel(4);
    std::string folder;
    std::string path;
    if (argc > 1) {
        path = argv[1];
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "raw-index-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::fprintf(stderr, "raw_index: cannot make a temporary folder\n");
            return 1;
        }
        folder = pattern;
        path = folder + "/bench.raw";
        if (!writeSyntheticRecording(path)) {
            std::fprintf(stderr, "raw_index: cannot write %s\n", path.c_str());
            std::filesystem::remove_all(folder);
            return 1;
        }
    }
    const std::string mark = path.substr(0, path.rfind(".raw")) + ".vxmark.tmp";
    std::error_code ignored;
    std::filesystem::remove(mark, ignored);

    int status = 0;
    const double readOnce = readOnceSeconds(path);
    {
        // The reader's own setting and one thread take turns, so that other load on the machine
        // meets both alike; the best of each is kept.
        using tarvo::BookmarkScanner;
        const BookmarkScanner::Threading defaults = BookmarkScanner::threading();
        BookmarkScanner::Threading single = defaults;
        single.threads = 1;
        double firstOpen = 1e30;
        double firstOpenSingle = 1e30;
        bool loaded = true;
        for (int pass = 0; pass < kFirstOpenPasses && loaded; ++pass) {
            BookmarkScanner::setThreading(single);
            firstOpenSingle = std::min(firstOpenSingle, firstOpenSeconds(path, mark, loaded));
            BookmarkScanner::setThreading(defaults);
            firstOpen = std::min(firstOpen, firstOpenSeconds(path, mark, loaded));
        }
        auto reader = tarvo::DvsFileReader::createFileReader(path);
        if (!loaded || !reader || !reader->loadFile()) {
            std::fprintf(stderr, "raw_index: cannot load %s\n", path.c_str());
            status = 1;
        }
        auto start = Clock::now();

        std::vector<double> reopen;
        for (int i = 0; i < 5 && status == 0; ++i) {
            start = Clock::now();
            auto again = tarvo::DvsFileReader::createFileReader(path);
            again->loadFile();
            reopen.push_back(seconds(Clock::now() - start) * 1e3);
        }

        if (status == 0) {
            uint64_t first = 0, last = 0;
            reader->getStartTimeStamp(first);
            reader->getEndTimeStamp(last);
            std::mt19937_64 random(1);
            std::vector<double> seekQuery;
            for (int i = 0; i < kSeekPositions; ++i) {
                const uint64_t t = first + random() % (last - first + 1);
                start = Clock::now();
                reader->seekTime(t);
                reader->getNTimeEvents(kWindowUs);
                seekQuery.push_back(seconds(Clock::now() - start) * 1e3);
            }

            reader->seekTime(first);
            uint64_t events = 0;
            start = Clock::now();
            while (!reader->reachedEndOfEvents()) {
                events += reader->getNTimeEvents(kWindowUs)->size();
            }
            const double sequential = seconds(Clock::now() - start);

            std::sort(reopen.begin(), reopen.end());
            std::sort(seekQuery.begin(), seekQuery.end());
            auto percentile = [&](double p) {
                return seekQuery[std::min(seekQuery.size() - 1, static_cast<size_t>(p * seekQuery.size()))];
            };
            std::printf("index_threads: %u\n", BookmarkScanner::threadsFor(std::filesystem::file_size(path)));
            std::printf("first_open_s: %.3f s\n", firstOpen);
            std::printf("first_open_single_s: %.3f s\n", firstOpenSingle);
            std::printf("read_once_s: %.3f s\n", readOnce);
            std::printf("first_open_to_read_ratio: %.2f\n", firstOpen / readOnce);
            std::printf("first_open_single_to_read_ratio: %.2f\n", firstOpenSingle / readOnce);
            std::printf("reopen_ms: %.2f ms\n", reopen[reopen.size() / 2]);
            std::printf("seek_query_p50_ms: %.3f ms\n", percentile(0.50));
            std::printf("seek_query_p99_ms: %.3f ms\n", percentile(0.99));
            std::printf("sequential_mev_per_s: %.1f Mev/s\n", static_cast<double>(events) / sequential / 1e6);
        }
    }
    if (!folder.empty()) {
        std::filesystem::remove_all(folder, ignored);
    }
    return status;
}
