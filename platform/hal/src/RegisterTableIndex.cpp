#include "RegisterTableIndex.h"

#include <stdexcept>

namespace tarvo {

uint32_t RegisterTableIndex::FieldBits::mask() const
{
    if (start >= 32 || length == 0) {
        return 0;
    }
    return (length >= 32 ? 0xFFFFFFFFu : (1u << length) - 1) << start;
}

uint32_t RegisterTableIndex::FieldBits::insert(uint32_t word, uint32_t value) const
{
    return (word & ~mask()) | ((value << (start & 31)) & mask());
}

uint32_t RegisterTableIndex::FieldBits::extract(uint32_t word) const
{
    return (word & mask()) >> (start & 31);
}

bool RegisterTableIndex::FieldBits::fits(uint32_t value) const
{
    return length >= 32 || (value >> length) == 0;
}

RegisterTableIndex::RegisterTableIndex(const RegisterInfo* table, size_t rows)
{
    if (table == nullptr) {
        return;
    }
    const char* owner = nullptr; // the register of the field rows that follow it
    for (size_t i = 0; i < rows; ++i) {
        const RegisterInfo& row = table[i];
        if (row.kind == RegisterInfo::REGISTER) {
            owner = row.name;
            m_addresses[owner] = row.addressOrStart;
        } else if (row.kind == RegisterInfo::FIELD && owner != nullptr) {
            m_fields[{owner, row.name}] = FieldBits{row.addressOrStart, row.length};
        }
    }
}

uint32_t RegisterTableIndex::address(const std::string& reg) const
{
    auto found = m_addresses.find(reg);
    if (found == m_addresses.end()) {
        throw std::runtime_error("RegisterController: Register not found");
    }
    return found->second;
}

RegisterTableIndex::FieldBits RegisterTableIndex::field(const std::string& reg,
                                                        const std::string& field) const
{
    address(reg); // an unknown register is reported as such
    auto found = m_fields.find({reg, field});
    if (found == m_fields.end()) {
        throw std::runtime_error("Register: Field not found");
    }
    return found->second;
}

} // namespace tarvo
