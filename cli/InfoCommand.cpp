#include "Commands.h"
#include "Options.h"

#include "TarvoBase/Logger.h"
#include "TarvoBase/TimeString.h"
#include "TarvoDriver/RawFileReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0) {
        std::fprintf(stderr, "tarvo %s: cannot open '%s': %s\n", command.c_str(), path.c_str(),
                     std::strerror(errno));
        return nullptr;
    }
    if (!reader->loadFile()) {
        // The reader has said why on standard error.
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
    const Options options(args, {"triggers"}, {"triggers"});
    if (options.positional().size() != 1) {
        std::fprintf(stderr, "usage: tarvo info FILE.raw [--triggers]\n");
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
    auto* raw = dynamic_cast<RawFileReader*>(reader.get());

    std::printf("width: %u\n", static_cast<unsigned>(info.width));
    std::printf("height: %u\n", static_cast<unsigned>(info.height));
    std::printf("serial_number: %s\n", info.serial_number.c_str());
    std::printf("dvs_start_timestamp: %llu\n", static_cast<unsigned long long>(info.dvs_start_timestamp));
    std::printf("aps_start_timestamp: %llu\n", static_cast<unsigned long long>(info.aps_start_timestamp));
    std::printf("date: %s\n", timePointToString(info.date).c_str());
    std::printf("start_us: %llu\n", static_cast<unsigned long long>(start));
    std::printf("end_us: %llu\n", static_cast<unsigned long long>(end));
    std::printf("events: %llu\n", static_cast<unsigned long long>(events));
    std::printf("bookmarks: %zu\n", raw ? raw->getBookmarkCount() : size_t{0});
    // Trigger edges are not indexed: counting them decodes the whole recording, so only on request.
    if (options.has("triggers")) {
        uint64_t triggers = 0;
        if (!raw || !raw->countTriggerEdges(triggers)) {
            std::fprintf(stderr, "tarvo info: cannot count the trigger edges of '%s'\n",
                         options.positional()[0].c_str());
            return 1;
        }
        std::printf("triggers: %llu\n", static_cast<unsigned long long>(triggers));
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace tarvo::cli
