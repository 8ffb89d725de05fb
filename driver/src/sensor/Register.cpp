#include "TarvoDriver/Register.h"

#include <stdexcept>

namespace tarvo {

Register::Field::Field(const std::string& name, uint8_t start, uint8_t length, uint32_t defaultValue,
                       const std::map<std::string, uint32_t>& aliases)
    : m_name(name), m_start(start), m_len(length), m_default(defaultValue), m_aliases(aliases)
{
    init_mask();
}

void Register::Field::set_start(uint8_t start)
{
    m_start = start;
    init_mask();
}

void Register::Field::set_len(uint8_t length)
{
    m_len = length;
    init_mask();
}

void Register::Field::add_alias(const std::string& name, uint32_t value)
{
    m_aliases[name] = value;
}

void Register::Field::init_mask()
{
    if (m_start >= 32 || m_len == 0) {
        m_mask = 0;
        return;
    }
    const uint32_t width = m_len >= 32 ? 0xFFFFFFFFu : ((1u << m_len) - 1);
    m_mask = width << m_start;
}

Register::Register(const std::string& name, uint32_t address) : m_name(name), m_address(address) {}

Register::Field& Register::operator[](const std::string& field)
{
    auto found = m_fields.find(field);
    if (found == m_fields.end()) {
        throw std::runtime_error("Register: Field not found");
    }
    return found->second;
}

const Register::Field& Register::operator[](const std::string& field) const
{
    auto found = m_fields.find(field);
    if (found == m_fields.end()) {
        throw std::runtime_error("Register: Field not found");
    }
    return found->second;
}

void Register::add_field(const Field& field)
{
    m_fields[field.get_name()] = field;
}

} // namespace tarvo
