#include "RecorderTestSupport.h"

#include "CameraTestSupport.h"
#include "SimTestSupport.h"
#include "TarvoDriver/DvsFileReader.h"
#include "TarvoHal/DecoderFactory.h"

#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarvo::test {
namespace {

sim::SceneOptions sceneOptions(double eventsPerSecond, double triggerHz)
{
    sim::SceneOptions options;
    options.eventsPerSecond = eventsPerSecond;
    options.triggerHz = triggerHz;
    return options;
}

} // namespace

StreamFeeder::StreamFeeder(double eventsPerSecond, uint64_t startUs, double triggerHz)
    : m_scene(sceneOptions(eventsPerSecond, triggerHz), startUs), m_encoder(0),
      m_decoder(DecoderFactory::createUniqueDecoder(RawEventStreamFormat("EVT3;height=720;width=1280"))),
      m_generated(startUs)
{
    m_encoder.setTimeHighRepeatPeriod(16);
}

RawStreamRecorder::Clock StreamFeeder::clock()
{
    return [this] { return m_time.load(); };
}

void StreamFeeder::feed(RawStreamRecorder& recorder, uint64_t untilUs, uint64_t sliceUs)
{
    std::vector<Event2D> events;
    std::vector<EventTriggerIn> triggers;
    std::vector<uint8_t> bytes;
    while (m_generated < untilUs) {
        const uint64_t to = std::min(untilUs, m_generated + sliceUs);
        events.clear();
        triggers.clear();
        bytes.clear();
        m_scene.generate(m_generated, to, events, triggers);
        m_encoder.addMerged(events, triggers, bytes);
        m_encoder.addTime(to, bytes);
        m_generated = to;
        if (recorder.isActive()) {
            m_slices.push_back(Slice{m_pushed.size(), m_time.load()});
            m_pushed.insert(m_pushed.end(), bytes.begin(), bytes.end());
            recorder.pushData(bytes);
        }
        m_decoder->decode(bytes);
        m_time = m_decoder->getLastTimestamp();
    }
}

StreamBuffers::Limits smallBuffers()
{
    StreamBuffers::Limits limits;
    limits.bufferBytes = 64 << 10;
    return limits;
}

DvsFileInfo recordingInfo(uint64_t start)
{
    DvsFileInfo info;
    info.serial_number = "CAM";
    info.dvs_start_timestamp = start;
    info.date = std::chrono::time_point_cast<WallTimeTicks>(std::chrono::system_clock::now());
    return info;
}

FedRecorder::FedRecorder(double eventsPerSecond, const StreamBuffers::Limits& limits)
    : feeder(eventsPerSecond), recorder(limits)
{
    recorder.setFileInfo(recordingInfo(0));
    recorder.setClock(feeder.clock());
}

bool waitForState(const RawStreamRecorder& recorder, RecorderState state)
{
    return eventually([&] { return recorder.status().state == state; });
}

ScratchDir::ScratchDir(const std::string& name) : m_path(tempPath(name))
{
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::string> ScratchDir::names() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

SmallFilesystem::SmallFilesystem(const std::string& name, size_t bytes) : m_dir(name)
{
    const std::string options = "size=" + std::to_string(bytes);
    m_mounted = ::mount("tmpfs", m_dir.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    if (!m_mounted) {
        m_why = std::strerror(errno);
    }
}

SmallFilesystem::~SmallFilesystem()
{
    if (m_mounted) {
        ::umount2(m_dir.path().c_str(), MNT_DETACH);
    }
}

ReadRecording readRecording(const std::string& path)
{
    ReadRecording recording;
    auto reader = DvsFileReader::createFileReader(path);
    if (!reader || !reader->loadFile() || !reader->getFileInfo(recording.info)) {
        return recording;
    }
    uint64_t count = 0;
    reader->getMaxEvents(count);
    if (count > 0) {
        recording.events = *reader->getNEventsGivenStartEvent(0, count);
    }
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string end = "% end\n";
    const auto payload = std::search(file.begin(), file.end(), end.begin(), end.end());
    if (payload != file.end()) {
        recording.payload.assign(payload + static_cast<long>(end.size()), file.end());
    }
    recording.loaded = true;
    return recording;
}

size_t findRun(const std::vector<uint8_t>& whole, const std::vector<uint8_t>& part)
{
    const auto found = std::search(whole.begin(), whole.end(), part.begin(), part.end());
    return found == whole.end() ? std::string::npos : static_cast<size_t>(found - whole.begin());
}

} // namespace tarvo::test
