// A plain recording of a simulated camera streaming at 50 Mev/s for 10 s, through the camera's
// whole live path into a file on the disk of the build folder, against sequential 1 MiB writes
// of as many bytes to the same disk, with a flush to the disk at the end of each (the bound,
// measured in the same run). Counts what the stream thread handed to the recorder and what
// reached the file.
#include "FileRecorder/DvsFileRecorder.h"
#include "SimulatedCamera.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kEventRate = 50e6;
constexpr auto kRun = std::chrono::seconds(10);
constexpr double kMiB = 1 << 20;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The camera's recorder, counting the bytes the stream thread hands it.
class CountingRecorder : public tarvo::RawStreamRecorder
{
public:
    void setClock(Clock clock) override { m_recorder.setClock(std::move(clock)); }
    void setFileInfo(const tarvo::DvsFileInfo& info) override { m_recorder.setFileInfo(info); }
    bool isActive() const override { return m_recorder.isActive(); }
    void pushData(const std::vector<uint8_t>& bytes) override
    {
        handed += bytes.size();
        m_recorder.pushData(bytes);
    }
    void setFileCacheTime(uint16_t seconds, const std::string& directory) override
    {
        m_recorder.setFileCacheTime(seconds, directory);
    }
    bool startRecording(const std::string& path, const tarvo::DvsFileInfo& info) override
    {
        return m_recorder.startRecording(path, info);
    }
    bool stopRecording() override { return m_recorder.stopRecording(); }
    tarvo::RecordingStatus status() const override { return m_recorder.status(); }

    std::atomic<uint64_t> handed{0};

private:
    tarvo::DvsFileRecorder m_recorder;
};

// MB/s of writing `bytes` to `path` in 1 MiB writes, then waiting until they are on the disk.
double diskWriteRate(const std::string& path, uint64_t bytes)
{
    const std::vector<char> block(1 << 20, 'x');
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return 0;
    }
    const auto start = Clock::now();
    for (uint64_t written = 0; written < bytes; written += block.size()) {
        if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) {
            ::close(fd);
            return 0;
        }
    }
    ::fdatasync(fd);
    const double elapsed = seconds(Clock::now() - start);
    ::close(fd);
    std::filesystem::remove(path);
    return static_cast<double>(bytes) / elapsed / 1e6;
}

} // namespace

int main()
{
    const std::filesystem::path folder =
        std::filesystem::canonical("/proc/self/exe").parent_path() / "record-bench";
    std::filesystem::create_directories(folder);
    const std::string recordingPath = (folder / "take.raw").string();

    tarvo::DvsCameraManager manager;
    auto owned = std::make_unique<CountingRecorder>();
    CountingRecorder& recorder = *owned;
    auto camera = openSimulatedCamera(manager, "BENCH-RECORD", kEventRate, std::move(owned));
    if (!camera) {
        return 1;
    }

    // Recording from before the start, so that every byte the stream thread hands over belongs
    // to the recording.
    if (camera->startRecording(recordingPath) != 0) {
        std::fprintf(stderr, "cannot record: %s\n", camera->getRecordingStatus().error.c_str());
        return 1;
    }
    if (camera->start() != 0) {
        std::fprintf(stderr, "the camera did not start\n");
        return 1;
    }
    const auto start = Clock::now();
    std::this_thread::sleep_for(kRun);
    camera->stop();
    const double streamed = seconds(Clock::now() - start);
    const auto stopping = Clock::now();
    const bool stopped = camera->stopRecording() == 0;
    const auto end = Clock::now();
    const tarvo::RecordingStatus status = camera->getRecordingStatus();
    if (!stopped) {
        std::fprintf(stderr, "the recording failed: %s\n", status.error.c_str());
        return 1;
    }
    const uint64_t handed = recorder.handed.load();
    const uint64_t fileBytes = std::filesystem::file_size(recordingPath);
    const uint64_t payload = status.bytesWritten;
    const uint64_t header = fileBytes - payload;
    std::filesystem::remove(recordingPath);

    const double recordRate = static_cast<double>(payload) / seconds(end - start) / 1e6;
    const double diskRate = diskWriteRate((folder / "bound.bin").string(), fileBytes);
    std::filesystem::remove_all(folder);
    double load = 0;
    getloadavg(&load, 1);

    std::printf("record_target_mev_per_s: %.1f\n", kEventRate / 1e6);
    std::printf("stream_mb_per_s: %.1f\n", static_cast<double>(handed) / streamed / 1e6);
    std::printf("recorded_mib: %.1f\n", static_cast<double>(payload) / kMiB);
    std::printf("header_bytes: %llu\n", static_cast<unsigned long long>(header));
    std::printf("record_mb_per_s: %.1f\n", recordRate);
    std::printf("disk_write_mb_per_s: %.1f\n", diskRate);
    std::printf("record_to_disk_ratio: %.3f\n", diskRate > 0 ? recordRate / diskRate : 0.0);
    std::printf("lost_bytes: %lld\n", static_cast<long long>(handed) - static_cast<long long>(payload));
    std::printf("dropped_buffers: %llu\n", static_cast<unsigned long long>(camera->getDroppedBufferCount()));
    std::printf("peak_queue_mib: %.1f\n", static_cast<double>(status.peakQueuedBytes) / kMiB);
    std::printf("stop_s: %.2f\n", seconds(end - stopping));
    std::printf("load_average_1min: %.2f\n", load);
    return 0;
}
