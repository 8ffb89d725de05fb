#pragma once

#include "TarvoDriver/tarvodriver_export.h"

#include <cstdint>
#include <map>
#include <string>

namespace tarvo {

// A named register of a sensor and its fields. The model describes the layout only; it holds
// no register contents (get_value() is always 0).
class TARVODRIVER_EXPORT Register
{
public:
    class TARVODRIVER_EXPORT Field
    {
    public:
        Field() = default;
        Field(const std::string& name, uint8_t start, uint8_t length, uint32_t defaultValue,
              const std::map<std::string, uint32_t>& aliases = {});

        const std::string& get_name() const { return m_name; }
        uint8_t get_start() const { return m_start; }
        uint8_t get_len() const { return m_len; }
        uint32_t get_mask() const { return m_mask; }
        uint32_t get_default_value() const { return m_default; }
        const std::map<std::string, uint32_t>& get_aliases() const { return m_aliases; }

        void set_start(uint8_t start);
        void set_len(uint8_t length);
        // Inserts or overwrites a named value of the field.
        void add_alias(const std::string& name, uint32_t value);

    private:
        void init_mask();

        std::string m_name;
        uint8_t m_start = 0;
        uint8_t m_len = 0;
        uint32_t m_mask = 0;
        uint32_t m_default = 0;
        std::map<std::string, uint32_t> m_aliases;
    };

    Register() = default;
    Register(const std::string& name, uint32_t address);

    const std::string& get_name() const { return m_name; }
    uint32_t get_address() const { return m_address; }
    uint32_t get_value() const { return 0; }

    // Throws std::runtime_error "Register: Field not found".
    Field& operator[](const std::string& field);
    const Field& operator[](const std::string& field) const;

    void add_field(const Field& field);
    const std::map<std::string, Field>& get_fields() const { return m_fields; }

private:
    std::string m_name;
    uint32_t m_address = 0;
    std::map<std::string, Field> m_fields;
};

} // namespace tarvo
