#pragma once

#include "TarvoSim/tarvosim_export.h"

namespace tarvo::sim {

// Puts the simulated cameras behind the hardware layer's finders (UsbInterface, EthInterface)
// as one of its device back ends. A program that should see them calls it once at start-up,
// before it looks for cameras; later calls change nothing. Using SimBus installs it as well.
TARVOSIM_EXPORT void install();

} // namespace tarvo::sim
