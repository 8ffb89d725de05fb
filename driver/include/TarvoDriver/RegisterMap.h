#pragma once

#include "TarvoDriver/Register.h"
#include "TarvoDriver/tarvodriver_export.h"
#include "TarvoHal/RegisterInfo.h"

#include <cstddef>
#include <map>
#include <string>

namespace tarvo {

// Registers of one table by name.
class TARVODRIVER_EXPORT RegisterMap
{
public:
    RegisterMap() = default;
    // Builds the map from table rows; a field row before any register row is skipped.
    RegisterMap(const RegisterInfo* table, size_t rows);

    // Throws std::runtime_error "RegisterController: Register not found".
    Register& operator[](const std::string& name);
    const Register& operator[](const std::string& name) const;

    bool contains(const std::string& name) const { return m_registers.count(name) != 0; }
    size_t size() const { return m_registers.size(); }
    const std::map<std::string, Register>& registers() const { return m_registers; }

private:
    std::map<std::string, Register> m_registers;
};

} // namespace tarvo
