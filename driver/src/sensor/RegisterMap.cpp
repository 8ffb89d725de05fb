#include "TarvoDriver/RegisterMap.h"

#include <stdexcept>

namespace tarvo {

RegisterMap::RegisterMap(const RegisterInfo* table, size_t rows)
{
    Register* current = nullptr;
    for (size_t i = 0; table != nullptr && i < rows; ++i) {
        const RegisterInfo& row = table[i];
        if (row.kind == RegisterInfo::REGISTER) {
            Register& entry = m_registers[row.name];
            entry = Register(row.name, row.addressOrStart);
            current = &entry;
        } else if (row.kind == RegisterInfo::FIELD && current != nullptr) {
            current->add_field(Register::Field(row.name, static_cast<uint8_t>(row.addressOrStart),
                                               static_cast<uint8_t>(row.length), row.defaultValue));
        }
    }
}

Register& RegisterMap::operator[](const std::string& name)
{
    auto found = m_registers.find(name);
    if (found == m_registers.end()) {
        throw std::runtime_error("RegisterController: Register not found");
    }
    return found->second;
}

const Register& RegisterMap::operator[](const std::string& name) const
{
    auto found = m_registers.find(name);
    if (found == m_registers.end()) {
        throw std::runtime_error("RegisterController: Register not found");
    }
    return found->second;
}

} // namespace tarvo
