#include "TarvoHal/RawEventStreamFormat.h"

namespace tarvo {

RawEventStreamFormat::RawEventStreamFormat(const std::string& description) : m_description(description)
{
    size_t start = 0;
    bool first = true;
    while (start <= description.size()) {
        size_t end = description.find(';', start);
        if (end == std::string::npos) {
            end = description.size();
        }
        const std::string piece = description.substr(start, end - start);
        if (first) {
            m_name = piece;
            first = false;
        } else {
            const size_t equals = piece.find('=');
            if (equals != std::string::npos) {
                m_values[piece.substr(0, equals)] = piece.substr(equals + 1);
            }
        }
        start = end + 1;
    }
}

std::string RawEventStreamFormat::value(const std::string& key, const std::string& fallback) const
{
    const auto found = m_values.find(key);
    return found == m_values.end() ? fallback : found->second;
}

} // namespace tarvo
