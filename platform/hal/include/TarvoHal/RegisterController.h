#pragma once

#include "TarvoHal/RegisterInfo.h"
#include "TarvoHal/RegisterOperation.h"
#include "TarvoHal/tarvohal_export.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace tarvo {

class Interface;
class RegisterTableIndex;

// Binds a register table, handed in by the caller, to an opened device. Names are those of the
// table; a name may also carry the controller's prefix (as "PSEE/IMX636/lifo_ctrl"). Accesses to
// names the table does not have throw std::runtime_error ("RegisterController: Register not
// found", "Register: Field not found"); accesses the device fails report false (or non-zero).
class TARVOHAL_EXPORT RegisterController
{
public:
    // `table` holds `rows` entries: register rows, each followed by the rows of its fields.
    RegisterController(std::shared_ptr<Interface> interface, const RegisterInfo* table, size_t rows,
                       const std::string& name);
    ~RegisterController();

    std::shared_ptr<Interface> getInterface() const { return m_interface; }
    const std::string& getName() const { return m_name; }

    // Read-modify-write of one field; a value wider than the field is refused (false, logged).
    bool writeRegisterField(const std::string& reg, const std::string& field, uint32_t value);
    bool readRegisterField(const std::string& reg, const std::string& field, uint32_t& value);
    bool writeRegister(const std::string& reg, uint32_t value);
    bool readRegister(const std::string& reg, uint32_t& value);

    // Kinds 2 (write), 3 (masked write) and 4 (wait) in order; stops at the first failure or
    // unknown kind and returns false.
    bool ApplyRegisterOperationSequence(const RegisterOperationList& operations);

    // Control-endpoint accesses by register name: 0 on success, -1 on failure (unknown name
    // included, which is logged rather than thrown).
    int writeRegisterWithControlTransfer(const std::string& reg, uint32_t value);
    int readRegisterWithControlTransfer(const std::string& reg, uint8_t* buffer, size_t length);
    int writeRegisterDataWithControlTransfer(const std::string& reg, const uint8_t* buffer, size_t length);

private:
    // The table's own name for `reg`, which may carry the controller's prefix.
    std::string tableName(const std::string& reg) const;
    // Finds the address of a register for a control transfer; false (logged) for a name the table
    // does not have.
    bool controlAddress(const std::string& reg, uint32_t& address) const;

    std::shared_ptr<Interface> m_interface;
    std::unique_ptr<const RegisterTableIndex> m_index;
    std::string m_name;
    std::mutex m_mutex; // keeps read-modify-write cycles of different threads apart
};

} // namespace tarvo
