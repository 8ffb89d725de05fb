#include "TarvoHal/RegisterController.h"

#include "RegisterTableIndex.h"
#include "TarvoBase/Logger.h"
#include "TarvoHal/Interface.h"

namespace tarvo {

static constexpr const char* kSource = "hal/RegisterController";

RegisterController::RegisterController(std::shared_ptr<Interface> interface, const RegisterInfo* table,
                                       size_t rows, const std::string& name)
    : m_interface(std::move(interface)), m_index(std::make_unique<RegisterTableIndex>(table, rows)),
      m_name(name)
{
}

RegisterController::~RegisterController() = default;

std::string RegisterController::tableName(const std::string& reg) const
{
    if (!m_index->contains(reg) && !m_name.empty() && reg.compare(0, m_name.size(), m_name) == 0) {
        return reg.substr(m_name.size());
    }
    return reg;
}

bool RegisterController::writeRegisterField(const std::string& reg, const std::string& field, uint32_t value)
{
    const std::string name = tableName(reg);
    const RegisterTableIndex::FieldBits bits = m_index->field(name, field);
    if (!bits.fits(value)) {
        Logger::Instance().log_(4, kSource, __LINE__, "%s%s.%s: value 0x%X does not fit in %u bits",
                                m_name.c_str(), reg.c_str(), field.c_str(), value, bits.length);
        return false;
    }
    if (!m_interface) {
        return false;
    }
    const uint32_t address = m_index->address(name);
    std::lock_guard<std::mutex> lock(m_mutex);
    uint32_t word = 0;
    if (!m_interface->readRegister(address, word)) {
        return false;
    }
    return m_interface->writeRegister(address, bits.insert(word, value));
}

bool RegisterController::readRegisterField(const std::string& reg, const std::string& field, uint32_t& value)
{
    const std::string name = tableName(reg);
    const RegisterTableIndex::FieldBits bits = m_index->field(name, field);
    uint32_t word = 0;
    if (!m_interface || !m_interface->readRegister(m_index->address(name), word)) {
        return false;
    }
    value = bits.extract(word);
    return true;
}

bool RegisterController::writeRegister(const std::string& reg, uint32_t value)
{
    const uint32_t address = m_index->address(tableName(reg));
    return m_interface && m_interface->writeRegister(address, value);
}

bool RegisterController::readRegister(const std::string& reg, uint32_t& value)
{
    const uint32_t address = m_index->address(tableName(reg));
    return m_interface && m_interface->readRegister(address, value);
}

bool RegisterController::ApplyRegisterOperationSequence(const RegisterOperationList& operations)
{
    if (!m_interface) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const RegisterOperation& op : operations) {
        switch (op.kind) {
        case RegisterOperation::WRITE:
            if (!m_interface->writeRegister(op.address, op.value)) {
                return false;
            }
            break;
        case RegisterOperation::MASKED_WRITE: {
            uint32_t word = 0;
            if (!m_interface->readRegister(op.address, word) ||
                !m_interface->writeRegister(op.address, (word & ~op.mask) | (op.value & op.mask))) {
                return false;
            }
            break;
        }
        case RegisterOperation::WAIT:
            m_interface->delay(op.wait);
            if (!m_interface->isConnected()) {
                return false;
            }
            break;
        default:
            Logger::Instance().log_(4, kSource, __LINE__, "%s: unknown register operation kind %u",
                                    m_name.c_str(), op.kind);
            return false;
        }
    }
    return true;
}

int RegisterController::writeRegisterWithControlTransfer(const std::string& reg, uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return writeRegisterDataWithControlTransfer(reg, bytes, sizeof bytes);
}

bool RegisterController::controlAddress(const std::string& reg, uint32_t& address) const
{
    const std::string name = tableName(reg);
    if (!m_index->contains(name)) {
        Logger::Instance().log_(4, kSource, __LINE__, "%s: no register %s", m_name.c_str(), reg.c_str());
        return false;
    }
    address = m_index->address(name);
    return true;
}

int RegisterController::readRegisterWithControlTransfer(const std::string& reg, uint8_t* buffer,
                                                        size_t length)
{
    uint32_t address = 0;
    return controlAddress(reg, address) && m_interface && buffer != nullptr &&
                   m_interface->controlRead(address, buffer, length)
               ? 0
               : -1;
}

int RegisterController::writeRegisterDataWithControlTransfer(const std::string& reg, const uint8_t* buffer,
                                                             size_t length)
{
    uint32_t address = 0;
    return controlAddress(reg, address) && m_interface && buffer != nullptr &&
                   m_interface->controlWrite(address, buffer, length)
               ? 0
               : -1;
}

} // namespace tarvo
