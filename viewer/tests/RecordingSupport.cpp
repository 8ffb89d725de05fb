#include "RecordingSupport.h"

#include "TarvoBase/FileHeader.h"
#include "TarvoHal/Evt3Encoder.h"
#include "TarvoSim/SyntheticScene.h"

#include <QFile>

namespace RecordingSupport {

namespace {

bool writeFile(const QString& path, uint64_t startTime, const std::vector<uint8_t>& payload,
               const Header& fields = Header())
{
    tarvo::DvsFileInfo info;
    info.dvs_start_timestamp = startTime;
    info.serial_number = "TEST-1";
    info.width = fields.width;
    info.height = fields.height;
    if (fields.dated) {
        info.date = tarvo::WallTime(tarvo::WallTimeTicks(int64_t(1767225600) * 10000000)); // 2026-01-01 UTC
    }
    const std::string header = tarvo::generateDvsFileHeader(info);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    file.write(fields.leadingLine);
    file.write(header.data(), qint64(header.size()));
    file.write(reinterpret_cast<const char*>(payload.data()), qint64(payload.size()));
    return file.error() == QFile::NoError;
}

} // namespace

bool writeSceneRecording(const QString& path, uint64_t startTime, uint64_t durationUs, double eventsPerSecond)
{
    tarvo::sim::SceneOptions options;
    options.eventsPerSecond = eventsPerSecond;
    options.triggerHz = 10;
    tarvo::sim::SyntheticScene scene(options, startTime);
    std::vector<tarvo::Event2D> events;
    std::vector<tarvo::EventTriggerIn> triggers;
    scene.generate(startTime, startTime + durationUs, events, triggers);
    std::vector<uint8_t> payload;
    tarvo::Evt3Encoder encoder(startTime);
    encoder.setTimeHighRepeatPeriod(16);
    encoder.addMerged(events, triggers, payload);
    encoder.addTime(startTime + durationUs, payload);
    return writeFile(path, startTime, payload);
}

bool writeRecording(const QString& path, const std::vector<tarvo::Event2D>& events, uint64_t startTime,
                    const Header& header)
{
    std::vector<uint8_t> payload;
    tarvo::Evt3Encoder encoder(startTime);
    encoder.setTimeHighRepeatPeriod(16);
    encoder.addEvents(events.data(), events.data() + events.size(), payload);
    return writeFile(path, startTime, payload, header);
}

std::vector<tarvo::Event2D> tickEvents(uint64_t from, uint64_t to, uint64_t stepUs)
{
    std::vector<tarvo::Event2D> events;
    uint64_t step = 0;
    for (uint64_t t = from; t <= to; t += stepUs, ++step) {
        events.emplace_back(uint16_t(step % 1280), uint16_t(0), uint8_t(step % 2 == 0 ? 1 : 0), t);
    }
    return events;
}

} // namespace RecordingSupport
