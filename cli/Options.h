#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvo::cli {

// Words of a command line split into positional words and "--name value" options.
class Options
{
public:
    // Throws std::invalid_argument for an option outside `known` or one without a value;
    // `flags` are known options that take no value.
    Options(const std::vector<std::string>& args, const std::vector<std::string>& known,
            const std::vector<std::string>& flags = {});

    const std::vector<std::string>& positional() const { return m_positional; }
    bool has(const std::string& name) const { return m_values.count(name) != 0; }
    // The option's text, or `fallback` when it is not given.
    std::string text(const std::string& name, const std::string& fallback = {}) const;
    // The option as a number; throws std::invalid_argument when it is not one.
    uint64_t unsignedValue(const std::string& name, uint64_t fallback) const;
    double doubleValue(const std::string& name, double fallback) const;

private:
    std::vector<std::string> m_positional;
    std::map<std::string, std::string> m_values;
};

} // namespace tarvo::cli
