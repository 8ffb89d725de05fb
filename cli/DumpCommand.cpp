#include "Commands.h"
#include "Options.h"

#include "TarvoDriver/DvsFileReader.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <limits>

namespace tarvo::cli {

int dumpCommand(const std::vector<std::string>& args)
{
    const Options options(args, {"from-us", "count"});
    if (options.positional().size() != 1) {
        std::fprintf(stderr, "usage: tarvo dump FILE.raw [--from-us T] [--count N]\n");
        return 2;
    }
    auto reader = openRecording("dump", options.positional()[0]);
    if (!reader) {
        return 1;
    }
    if (options.has("from-us")) {
        const uint64_t from = options.unsignedValue("from-us", 0);
        if (!reader->seekTime(from)) {
            uint64_t start = 0, end = 0;
            reader->getStartTimeStamp(start);
            reader->getEndTimeStamp(end);
            std::fprintf(stderr, "tarvo dump: %llu us is outside the recording (%llu to %llu us)\n",
                         static_cast<unsigned long long>(from), static_cast<unsigned long long>(start),
                         static_cast<unsigned long long>(end));
            return 1;
        }
    }
    uint64_t remaining = options.unsignedValue("count", std::numeric_limits<uint64_t>::max());

    // Edges arrive while a chunk is decoded, ahead of the events handed out with it; they wait
    // here and are printed in time order among the events (an edge before events of its time).
    std::deque<EventTriggerIn> edges;
    reader->addTriggerInCallback([&edges](EventTriggerIn edge) { edges.push_back(edge); });
    auto printEdgesUpTo = [&edges](uint64_t time) {
        while (!edges.empty() && edges.front().timestamp <= time) {
            const EventTriggerIn& edge = edges.front();
            std::printf("trigger %llu %d %d\n", static_cast<unsigned long long>(edge.timestamp), edge.id,
                        edge.polarity);
            edges.pop_front();
        }
    };
    uint64_t total = 0;
    reader->getMaxEvents(total);
    while (remaining > 0 && reader->getCurrentPosEventNum() < total) {
        const uint64_t left = total - reader->getCurrentPosEventNum();
        const auto batch = reader->getNEvents(std::min<uint64_t>({remaining, left, 65536}));
        if (batch->empty()) {
            break;
        }
        for (const Event2D& e : *batch) {
            printEdgesUpTo(e.timestamp);
            std::printf("%llu %u %u %u\n", static_cast<unsigned long long>(e.timestamp), e.x, e.y,
                        e.polarity);
        }
        remaining -= batch->size();
    }
    if (remaining > 0) {
        printEdgesUpTo(std::numeric_limits<uint64_t>::max());
    }
    if (std::fflush(stdout) != 0) {
        return 1;
    }
    return 0;
}

} // namespace tarvo::cli
