#include "Commands.h"
#include "Options.h"

#include "TarvoSim/SyntheticRecording.h"

#include <cstdio>

namespace tarvo::cli {

int synthCommand(const std::vector<std::string>& args)
{
    const Options options(args, {"duration-us", "rate-mev", "trigger-hz", "seed", "burst-from-us",
                                 "burst-to-us", "burst-factor"});
    if (options.positional().size() != 1) {
        std::fprintf(stderr, "usage: tarvo synth OUT.raw [--duration-us N] [--rate-mev R] [--trigger-hz F] "
                             "[--seed S] [--burst-from-us A --burst-to-us B --burst-factor K]\n");
        return 2;
    }
    const std::string path = options.positional()[0];
    sim::RecordingRecipe recipe;
    recipe.durationUs = options.unsignedValue("duration-us", 1000000);
    recipe.scene.eventsPerSecond = options.doubleValue("rate-mev", 1.0) * 1e6;
    recipe.scene.triggerHz = options.doubleValue("trigger-hz", 0);
    recipe.scene.seed = options.unsignedValue("seed", 1);
    recipe.scene.burstStartUs = options.unsignedValue("burst-from-us", 0);
    recipe.scene.burstEndUs = options.unsignedValue("burst-to-us", 0);
    recipe.scene.burstFactor = options.doubleValue("burst-factor", 1);
    if (options.has("burst-factor") && recipe.scene.burstEndUs <= recipe.scene.burstStartUs) {
        std::fprintf(stderr, "tarvo synth: --burst-to-us must lie after --burst-from-us\n");
        return 2;
    }
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
