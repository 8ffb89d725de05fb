#include "Commands.h"
#include "Options.h"

#include "TarvoSim/SyntheticRecording.h"

#include <cstdio>

namespace tarvo::cli {

int synthCommand(const std::vector<std::string>& args)
{
    const Options options(args, {"duration-us", "rate-mev", "trigger-hz", "seed"});
    if (options.positional().size() != 1) {
        std::fprintf(
            stderr,
            "usage: tarvo synth OUT.raw [--duration-us N] [--rate-mev R] [--trigger-hz F] [--seed S]\n");
        return 2;
    }
    const std::string path = options.positional()[0];
    sim::RecordingRecipe recipe;
    recipe.durationUs = options.unsignedValue("duration-us", 1000000);
    recipe.scene.eventsPerSecond = options.doubleValue("rate-mev", 1.0) * 1e6;
    recipe.scene.triggerHz = options.doubleValue("trigger-hz", 0);
    recipe.scene.seed = options.unsignedValue("seed", 1);
    recipe.serialNumber = "SYNTH-" + std::to_string(recipe.scene.seed);

    const sim::SyntheticRecordingResult result = sim::writeSyntheticRecording(path, recipe);
    if (!result.written) {
        std::fprintf(stderr, "tarvo synth: cannot write '%s'\n", path.c_str());
        return 1;
    }
    std::printf("wrote %s: %llu events over %llu us\n", path.c_str(),
                static_cast<unsigned long long>(result.events),
                static_cast<unsigned long long>(recipe.durationUs));
    return 0;
}

} // namespace tarvo::cli
