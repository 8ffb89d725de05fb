#pragma once

#include <string>
#include <vector>

namespace tarvo {

// Kinds of tool parameters; the value of BasicParameterInfo::type.
enum ParameterType : int
{
    PARAMETER_INT = 0,
    PARAMETER_FLOAT = 1,
    PARAMETER_BOOL = 2,
    PARAMETER_STRING = 3,
    PARAMETER_ENUM = 4,
};

struct BasicParameterInfo
{
    std::string name;
    int type = PARAMETER_INT;
    std::string description;
    std::string unit; // empty when the value has none
    bool readOnly = false;
};

struct IntParameterInfo : BasicParameterInfo
{
    int min = 0;
    int max = 0;
    int defaultValue = 0;
    int step = 1; // accepted values are min + k·step
};

struct FloatParameterInfo : BasicParameterInfo
{
    float min = 0;
    float max = 0;
    float defaultValue = 0;
};

struct BoolParameterInfo : BasicParameterInfo
{
    bool defaultValue = false;
};

struct StringParameterInfo : BasicParameterInfo
{
    std::string defaultValue;
    size_t maxLength = 255;
};

struct EnumParameterInfo : BasicParameterInfo
{
    std::vector<std::string> options;
    std::string defaultValue;
};

// Every detail of one parameter at once; only the record matching `basic.type` is filled.
// "Paramteter" is the interface's own spelling, kept on purpose.
struct FullParamteterInfo
{
    BasicParameterInfo basic;
    IntParameterInfo intInfo;
    FloatParameterInfo floatInfo;
    BoolParameterInfo boolInfo;
    StringParameterInfo stringInfo;
    EnumParameterInfo enumInfo;
};

} // namespace tarvo
