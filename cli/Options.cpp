#include "Options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tarvo::cli {

Options::Options(const std::vector<std::string>& args, const std::vector<std::string>& known,
                 const std::vector<std::string>& flags)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.rfind("--", 0) != 0) {
            m_positional.push_back(word);
            continue;
        }
        const std::string name = word.substr(2);
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            throw std::invalid_argument("unknown option " + word);
        }
        if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
            m_values[name] = "";
            continue;
        }
        if (i + 1 >= args.size()) {
            throw std::invalid_argument("option " + word + " needs a value");
        }
        m_values[name] = args[++i];
    }
}

std::string Options::text(const std::string& name, const std::string& fallback) const
{
    const auto found = m_values.find(name);
    return found == m_values.end() ? fallback : found->second;
}

uint64_t Options::unsignedValue(const std::string& name, uint64_t fallback) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end()) {
        return fallback;
    }
    const std::string& text = found->second;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || errno == ERANGE) {
        throw std::invalid_argument("--" + name + " needs a whole number, not '" + text + "'");
    }
    return value;
}

double Options::doubleValue(const std::string& name, double fallback) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end()) {
        return fallback;
    }
    const std::string& text = found->second;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0) {
        throw std::invalid_argument("--" + name + " needs a number of at least 0, not '" + text + "'");
    }
    return value;
}

} // namespace tarvo::cli
