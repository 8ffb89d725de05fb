#pragma once

// The decoder tests still include the scene by its path before TarvoSim; they move to
// "TarvoSim/SyntheticScene.h" with the decoder work, and this file goes then.
#include "TarvoSim/SyntheticScene.h"
