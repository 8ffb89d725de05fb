#pragma once

#include "TarvoHal/ParameterInfo.h"

#include <string>
#include <utility>
#include <vector>

namespace tarvo {

inline IntParameterInfo intParam(const std::string& name, int min, int max, int defaultValue,
                                 const std::string& unit, const std::string& description, int step = 1)
{
    IntParameterInfo info;
    info.name = name;
    info.type = PARAMETER_INT;
    info.description = description;
    info.unit = unit;
    info.min = min;
    info.max = max;
    info.defaultValue = defaultValue;
    info.step = step;
    return info;
}

inline FloatParameterInfo floatParam(const std::string& name, float min, float max, float defaultValue,
                                     const std::string& unit, const std::string& description)
{
    FloatParameterInfo info;
    info.name = name;
    info.type = PARAMETER_FLOAT;
    info.description = description;
    info.unit = unit;
    info.min = min;
    info.max = max;
    info.defaultValue = defaultValue;
    return info;
}

inline BoolParameterInfo boolParam(const std::string& name, bool defaultValue, const std::string& description)
{
    BoolParameterInfo info;
    info.name = name;
    info.type = PARAMETER_BOOL;
    info.description = description;
    info.defaultValue = defaultValue;
    return info;
}

inline StringParameterInfo textParam(const std::string& name, const std::string& defaultValue,
                                     size_t maxLength, const std::string& description)
{
    StringParameterInfo info;
    info.name = name;
    info.type = PARAMETER_STRING;
    info.description = description;
    info.defaultValue = defaultValue;
    info.maxLength = maxLength;
    return info;
}

inline EnumParameterInfo choiceParam(const std::string& name, std::vector<std::string> options,
                                     const std::string& defaultValue, const std::string& description)
{
    EnumParameterInfo info;
    info.name = name;
    info.type = PARAMETER_ENUM;
    info.description = description;
    info.options = std::move(options);
    info.defaultValue = defaultValue;
    return info;
}

} // namespace tarvo
