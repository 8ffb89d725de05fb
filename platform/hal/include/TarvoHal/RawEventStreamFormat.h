#pragma once

#include "TarvoHal/tarvohal_export.h"

#include <map>
#include <string>

namespace tarvo {

// An encoding described as "NAME;key=value;key=value", e.g. "EVT3;height=720;width=1280".
class TARVOHAL_EXPORT RawEventStreamFormat
{
public:
    explicit RawEventStreamFormat(const std::string& description);

    const std::string& name() const { return m_name; }
    // The value of `key`, or `fallback` when the description has none.
    std::string value(const std::string& key, const std::string& fallback = {}) const;
    const std::string& description() const { return m_description; }

private:
    std::string m_description;
    std::string m_name;
    std::map<std::string, std::string> m_values;
};

} // namespace tarvo
