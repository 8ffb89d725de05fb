#pragma once

#include "TarvoHal/RegisterInfo.h"

#include <cstddef>

namespace tarvo {

// The IMX636 event sensor's register table: 742 registers with 2137 fields, handed to
// RegisterController under the name "PSEE/IMX636/".
constexpr size_t IMX636_REGISTER_TABLE_SIZE = 2879;
extern const RegisterInfo IMX636_REGISTER_TABLE[IMX636_REGISTER_TABLE_SIZE];

} // namespace tarvo
