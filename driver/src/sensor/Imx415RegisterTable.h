#pragma once

#include "TarvoHal/RegisterInfo.h"

#include <cstddef>

namespace tarvo {

// The IMX415 frame sensor's registers as the fusion camera exposes them.
constexpr size_t IMX415_REGISTER_TABLE_SIZE = 17;
extern const RegisterInfo IMX415_REGISTER_TABLE[IMX415_REGISTER_TABLE_SIZE];

} // namespace tarvo
