#include "CameraCommands.h"
#include "Options.h"

#include "TarvoBase/Logger.h"
#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoSim/Install.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tarvo::cli {

int camerasCommand(const std::vector<std::string>& args)
{
    const Options options(args, {});
    if (!options.positional().empty()) {
        std::fprintf(stderr, "usage: tarvo cameras\n");
        return 2;
    }
    sim::install();
    Logger::Instance().setStderrLevel(3);
    DvsCameraManager manager;
    std::vector<std::array<std::string, 6>> rows;
    for (const CameraDescription& camera : manager.getCameraDescs()) {
        const bool ethernet = camera.interfaceType == ETHERNET;
        rows.push_back({camera.serial, camera.productName, camera.manufacturer, ethernet ? "Ethernet" : "USB",
                        camera.firmwareVersion.empty() ? "-" : camera.firmwareVersion,
                        ethernet ? camera.ipAddress : "-"});
    }
    // Columns padded to their widest entry, so that the list reads as a table.
    std::array<size_t, 6> widths{};
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    for (const auto& row : rows) {
        for (size_t i = 0; i + 1 < row.size(); ++i) {
            std::printf("%-*s  ", static_cast<int>(widths[i]), row[i].c_str());
        }
        std::printf("%s\n", row.back().c_str());
    }
    if (rows.empty()) {
        std::fprintf(stderr, "tarvo cameras: no camera found\n");
    }
    return 0;
}

} // namespace tarvo::cli
