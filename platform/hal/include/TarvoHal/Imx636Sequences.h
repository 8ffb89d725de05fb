#pragma once

#include "TarvoHal/RegisterOperation.h"
#include "TarvoHal/tarvohal_export.h"

namespace tarvo {

// The fixed register sequences of the IMX636 event sensor.
TARVOHAL_EXPORT const RegisterOperationList& imx636StopSequence();
TARVOHAL_EXPORT const RegisterOperationList& imx636StartSequence();
TARVOHAL_EXPORT const RegisterOperationList& imx636PowerUpSequence();
TARVOHAL_EXPORT const RegisterOperationList& imx636ConfigurationSequence();

} // namespace tarvo
