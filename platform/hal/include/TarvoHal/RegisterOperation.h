#pragma once

#include <cstdint>
#include <vector>

namespace tarvo {

// One step of a register sequence.
struct RegisterOperation
{
    enum Kind : uint32_t
    {
        WRITE = 2,        // address ← value
        MASKED_WRITE = 3, // only the bits of mask change: address ← (old & ~mask) | (value & mask)
        WAIT = 4,         // wait `wait` counts (microseconds on the device's clock)
    };

    uint32_t kind = 0;
    uint32_t address = 0;
    uint32_t value = 0;
    uint32_t mask = 0;
    uint32_t wait = 0;
};

using RegisterOperationList = std::vector<RegisterOperation>;

} // namespace tarvo
