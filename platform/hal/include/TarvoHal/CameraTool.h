#pragma once

#include "TarvoHal/ParameterInfo.h"
#include "TarvoHal/ToolInfo.h"
#include "TarvoHal/tarvohal_export.h"

#include <map>
#include <string>

namespace tarvo {

// One adjustable function of a camera with named, typed parameters. Every getter and setter
// returns false for an unknown name, a value of the wrong type, a value out of range, or a
// device that does not take it; a refused value is logged and never written.
class TARVOHAL_EXPORT CameraTool
{
public:
    virtual ~CameraTool();
    virtual ToolInfo getToolInfo() const = 0;
    virtual std::map<std::string, BasicParameterInfo> getAllParamInfo() const = 0;
    virtual bool getParamInfo(const std::string& name, StringParameterInfo& info) const = 0;
    virtual bool getParamInfo(const std::string& name, EnumParameterInfo& info) const = 0;
    virtual bool getParamInfo(const std::string& name, BoolParameterInfo& info) const = 0;
    virtual bool getParamInfo(const std::string& name, FloatParameterInfo& info) const = 0;
    virtual bool getParamInfo(const std::string& name, IntParameterInfo& info) const = 0;
    virtual bool getParam(const std::string& name, std::string& value) = 0;
    virtual bool getParam(const std::string& name, bool& value) = 0;
    virtual bool getParam(const std::string& name, float& value) = 0;
    virtual bool getParam(const std::string& name, int& value) = 0;
    virtual bool setParam(const std::string& name, const std::string& value) = 0;
    virtual bool setParam(const std::string& name, const char* value) = 0;
    virtual bool setParam(const std::string& name, const bool& value) = 0;
    virtual bool setParam(const std::string& name, const double& value) = 0;
    virtual bool setParam(const std::string& name, const float& value) = 0;
    virtual bool setParam(const std::string& name, const int& value) = 0;
};

} // namespace tarvo
