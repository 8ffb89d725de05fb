#pragma once

#include "TarvoHal/RegisterInfo.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace tarvo {

// The names of the register table a caller hands to RegisterController: register → address and
// (register, field) → bits. Unknown names throw std::runtime_error with the messages callers
// know from the register model ("RegisterController: Register not found", "Register: Field not
// found").
class RegisterTableIndex
{
public:
    // Where one field sits in its register word.
    struct FieldBits
    {
        uint32_t start = 0;
        uint32_t length = 0;

        uint32_t mask() const;
        // `word` with the field replaced by `value`, cut to the field's width.
        uint32_t insert(uint32_t word, uint32_t value) const;
        uint32_t extract(uint32_t word) const;
        // Whether `value` fits in the field's width.
        bool fits(uint32_t value) const;
    };

    // Copies what it needs of the rows; a field row before any register row is skipped.
    RegisterTableIndex(const RegisterInfo* table, size_t rows);

    bool contains(const std::string& reg) const { return m_addresses.count(reg) != 0; }
    uint32_t address(const std::string& reg) const;
    FieldBits field(const std::string& reg, const std::string& field) const;

private:
    std::map<std::string, uint32_t> m_addresses;
    std::map<std::pair<std::string, std::string>, FieldBits> m_fields;
};

} // namespace tarvo
