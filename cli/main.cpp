#include "CameraCommands.h"
#include "Commands.h"

#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>

namespace {

void printUsage()
{
    std::fprintf(stderr,
                 "usage: tarvo COMMAND [ARGS]\n"
                 "commands:\n"
                 "  synth OUT.raw [--duration-us N] [--rate-mev R] [--trigger-hz F] [--seed S]\n"
                 "        [--burst-from-us A --burst-to-us B --burst-factor K]\n"
                 "        write a synthetic recording of a moving scene, K times as busy from A to B\n"
                 "  info FILE.raw [--triggers]\n"
                 "        print what a recording's header and index say about it (and count its\n"
                 "        trigger edges, which decodes the whole recording)\n"
                 "  dump FILE.raw [--from-us T] [--count N]\n"
                 "        print events as 't x y p' and trigger edges as 'trigger t id polarity'\n"
                 "  cut IN.raw OUT.raw --from-us A --to-us B\n"
                 "        copy a time range into a new recording\n"
                 "  export IN.raw OUT.mp4 --from-us A --to-us B\n"
                 "        render a time range as an H.264 video, a picture per 1/30 s of events\n"
                 "        (for cut and export, a range past the end of the recording ends there)\n"
                 "  cameras\n"
                 "        list the attached cameras, one a line\n"
                 "  stream --serial S [--seconds N] [--config FILE]\n"
                 "        stream a camera for N s (5; 0: until Ctrl-C) and print its rates\n"
                 "  record --serial S --seconds N [--config FILE] OUT.raw\n"
                 "        record a camera's stream for N s (0: until Ctrl-C)\n"
                 "  record --serial S --pre-s P --post-s Q --dir D [--count K] [--config FILE]\n"
                 "        on each rising trigger edge, record the P s before it and the Q s after it\n"
                 "        into a file of its own in D (K files; without --count until Ctrl-C)\n"
                 "  record --serial S [--seconds N] --fusion DIR NAME\n"
                 "        record a fusion camera for N s (5) into DIR/NAME.raw, .mp4 and .json\n");
}

} // namespace

int main(int argc, char** argv)
{
    const std::map<std::string, std::function<int(const std::vector<std::string>&)>> commands = {
        {"synth", tarvo::cli::synthCommand},   {"info", tarvo::cli::infoCommand},
        {"dump", tarvo::cli::dumpCommand},     {"cut", tarvo::cli::cutCommand},
        {"export", tarvo::cli::exportCommand}, {"cameras", tarvo::cli::camerasCommand},
        {"stream", tarvo::cli::streamCommand}, {"record", tarvo::cli::recordCommand},
    };
    if (argc < 2) {
        printUsage();
        return 2;
    }
    const auto command = commands.find(argv[1]);
    if (command == commands.end()) {
        std::fprintf(stderr, "tarvo: unknown command '%s'\n", argv[1]);
        printUsage();
        return 2;
    }
    try {
        return command->second(std::vector<std::string>(argv + 2, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvo %s: %s\n", argv[1], error.what());
        return 2;
    }
}
