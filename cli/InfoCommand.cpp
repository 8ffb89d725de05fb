#include "Commands.h"
#include "Options.h"

#include "TarvoBase/Logger.h"
#include "TarvoBase/TimeString.h"
#include "TarvoDriver/RawFileReader.h"

#include <algorithm>
#include <cstdio>

namespace tarvo::cli {

std::unique_ptr<DvsFileReader> openRecording(const std::string& command, const std::string& path)
{
    // Progress lines of the reader would mix with the output; warnings and errors still show.
    Logger::Instance().setStderrLevel(3);
    auto reader = DvsFileReader::createFileReader(path);
    if (!reader) {
        std::fprintf(stderr, "tarvo %s: '%s' is not a RAW recording (the name must end in .raw)\n",
                     command.c_str(), path.c_str());
        return nullptr;
    }
    if (!reader->loadFile()) {
        std::fprintf(stderr, "tarvo %s: cannot load '%s'\n", command.c_str(), path.c_str());
        return nullptr;
    }
    // Reading to the very end asks for the microsecond after the last one, which the reader
    // warns about; that says nothing to the user of a command.
    Logger::Instance().setStderrLevel(4);
    return reader;
}

int infoCommand(const std::vector<std::string>& args)
{
    const Options options(args, {});
    if (options.positional().size() != 1) {
        std::fprintf(stderr, "usage: tarvo info FILE.raw\n");
        return 2;
    }
    auto reader = openRecording("info", options.positional()[0]);
    if (!reader) {
        return 1;
    }
    DvsFileInfo info;
    reader->getFileInfo(info);
    uint64_t start = 0, end = 0, events = 0;
    reader->getStartTimeStamp(start);
    reader->getEndTimeStamp(end);
    reader->getMaxEvents(events);

    // Trigger edges are not indexed, so the recording is read once to count them.
    uint64_t triggers = 0;
    reader->addTriggerInCallback([&triggers](EventTriggerIn) { ++triggers; });
    constexpr uint64_t kWindowUs = 33333;
    while (!reader->reachedEndOfEvents()) {
        const uint64_t left = end + 1 - std::min(end + 1, reader->getCurrentPosTimeStamp());
        reader->getNTimeEvents(std::min(kWindowUs, left));
    }
    const auto* raw = dynamic_cast<const RawFileReader*>(reader.get());

    std::printf("width: %u\n", static_cast<unsigned>(info.width));
    std::printf("height: %u\n", static_cast<unsigned>(info.height));
    std::printf("serial_number: %s\n", info.serial_number.c_str());
    std::printf("dvs_start_timestamp: %llu\n", static_cast<unsigned long long>(info.dvs_start_timestamp));
    std::printf("aps_start_timestamp: %llu\n", static_cast<unsigned long long>(info.aps_start_timestamp));
    std::printf("date: %s\n", timePointToString(info.date).c_str());
    std::printf("start_us: %llu\n", static_cast<unsigned long long>(start));
    std::printf("end_us: %llu\n", static_cast<unsigned long long>(end));
    std::printf("events: %llu\n", static_cast<unsigned long long>(events));
    std::printf("triggers: %llu\n", static_cast<unsigned long long>(triggers));
    std::printf("bookmarks: %zu\n", raw ? raw->getBookmarkCount() : size_t{0});
    return 0;
}

} // namespace tarvo::cli
