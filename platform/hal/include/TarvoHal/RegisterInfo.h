#pragma once

#include <cstdint>

namespace tarvo {

// One row of a static register table: a register (name, address) or a field of the register
// row above it (name, first bit, bit count, default value).
struct RegisterInfo
{
    enum Kind : uint32_t
    {
        REGISTER = 0,
        FIELD = 1,
    };

    Kind kind;
    const char* name;
    uint32_t addressOrStart; // register: address; field: first bit
    uint32_t length;         // field: bit count
    uint32_t defaultValue;   // field: value after reset
};

} // namespace tarvo
