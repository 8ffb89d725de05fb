#pragma once

#include "TarvoHal/RegisterOperation.h"

namespace tarvo {

// The fixed register sequences of the IMX636 event sensor.
const RegisterOperationList& imx636StopSequence();
const RegisterOperationList& imx636StartSequence();
const RegisterOperationList& imx636PowerUpSequence();
const RegisterOperationList& imx636ConfigurationSequence();

} // namespace tarvo
