// Commands that turn a time range of a recording into a new file.
#include "Commands.h"
#include "Options.h"

#include "TarvoDriver/RawFileReader.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace tarvo::cli {
namespace {

struct RangeRequest
{
    std::string input;
    std::string output;
    uint64_t from = 0;
    uint64_t to = 0;
};

// Reads "IN OUT --from-us A --to-us B"; prints the usage and returns false when incomplete. A
// must lie inside the recording; a B past its end is cut to the end by the reader, for cut and
// export alike.
bool readRange(const std::string& command, const std::string& outputName,
               const std::vector<std::string>& args, RangeRequest& request)
{
    const Options options(args, {"from-us", "to-us"});
    if (options.positional().size() != 2 || !options.has("from-us") || !options.has("to-us")) {
        std::fprintf(stderr, "usage: tarvo %s IN.raw %s --from-us A --to-us B\n", command.c_str(),
                     outputName.c_str());
        return false;
    }
    request.input = options.positional()[0];
    request.output = options.positional()[1];
    request.from = options.unsignedValue("from-us", 0);
    request.to = options.unsignedValue("to-us", 0);
    if (request.to <= request.from) {
        std::fprintf(stderr, "tarvo %s: --to-us must be later than --from-us\n", command.c_str());
        return false;
    }
    return true;
}

// Shows how far an export has come: a line rewritten in place on a terminal, otherwise a
// line every tenth.
class ProgressPrinter
{
public:
    ProgressPrinter() : m_terminal(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressPrinter()
    {
        if (m_terminal && m_lastPercent >= 0) {
            std::fputc('\n', stderr);
        }
    }

    void operator()(uint64_t done, uint64_t total)
    {
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (percent == m_lastPercent ||
            (!m_terminal && percent / 10 == m_lastPercent / 10 && m_lastPercent >= 0)) {
            return;
        }
        m_lastPercent = percent;
        std::fprintf(
            stderr, m_terminal ? "\rexporting: %3d%% (%.1f of %.1f s)" : "exporting: %d%% (%.1f of %.1f s)\n",
            percent, static_cast<double>(done) / 1e6, static_cast<double>(total) / 1e6);
        std::fflush(stderr);
    }

private:
    bool m_terminal;
    int m_lastPercent = -1;
};

} // namespace

int cutCommand(const std::vector<std::string>& args)
{
    RangeRequest request;
    if (!readRange("cut", "OUT.raw", args, request)) {
        return 2;
    }
    auto reader = openRecording("cut", request.input);
    if (!reader) {
        return 1;
    }
    try {
        if (!reader->extractEventData(request.from, request.to, request.output)) {
            std::fprintf(stderr, "tarvo cut: nothing was cut from '%s'\n", request.input.c_str());
            return 1;
        }
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "tarvo cut: writing '%s' failed: %s\n", request.output.c_str(), error.what());
        return 1;
    }
    std::printf("cut %s: %llu to %llu us into %s\n", request.input.c_str(),
                static_cast<unsigned long long>(request.from), static_cast<unsigned long long>(request.to),
                request.output.c_str());
    return 0;
}

int exportCommand(const std::vector<std::string>& args)
{
    RangeRequest request;
    if (!readRange("export", "OUT.mp4", args, request)) {
        return 2;
    }
    auto reader = openRecording("export", request.input);
    if (!reader) {
        return 1;
    }
    ProgressPrinter progress;
    if (auto* raw = dynamic_cast<RawFileReader*>(reader.get())) {
        raw->setExportProgressCallback([&progress](uint64_t done, uint64_t total) { progress(done, total); });
    }
    if (!reader->exportEventDataToVideo(request.from, request.to, request.output)) {
        std::fprintf(stderr, "tarvo export: no video was written from '%s'\n", request.input.c_str());
        return 1;
    }
    std::printf("exported %s: %llu to %llu us into %s\n", request.input.c_str(),
                static_cast<unsigned long long>(request.from), static_cast<unsigned long long>(request.to),
                request.output.c_str());
    return 0;
}

} // namespace tarvo::cli
