#pragma once

#include "TarvoHal/CameraTool.h"
#include "TarvoHal/tarvohal_export.h"

#include <map>
#include <mutex>
#include <string>

namespace tarvo {

// A tool described by a parameter table: it checks names, types, ranges and options, keeps the
// current values and hands accepted values to applyParam() to reach the device.
class TARVOHAL_EXPORT CameraToolBasePrivate : public CameraTool
{
public:
    std::map<std::string, BasicParameterInfo> getAllParamInfo() const override;
    bool getParamInfo(const std::string& name, StringParameterInfo& info) const override;
    bool getParamInfo(const std::string& name, EnumParameterInfo& info) const override;
    bool getParamInfo(const std::string& name, BoolParameterInfo& info) const override;
    bool getParamInfo(const std::string& name, FloatParameterInfo& info) const override;
    bool getParamInfo(const std::string& name, IntParameterInfo& info) const override;
    bool getParam(const std::string& name, std::string& value) override;
    bool getParam(const std::string& name, bool& value) override;
    bool getParam(const std::string& name, float& value) override;
    bool getParam(const std::string& name, int& value) override;
    bool setParam(const std::string& name, const std::string& value) override;
    bool setParam(const std::string& name, const char* value) override;
    bool setParam(const std::string& name, const bool& value) override;
    bool setParam(const std::string& name, const double& value) override;
    bool setParam(const std::string& name, const float& value) override;
    bool setParam(const std::string& name, const int& value) override;

    // A candidate value of one parameter; only the member of its type is meaningful.
    struct Value
    {
        int i = 0;
        float f = 0;
        bool b = false;
        std::string s;
    };

protected:
    // `logSource` names the tool in log lines.
    explicit CameraToolBasePrivate(const std::string& logSource);

    void addParam(const IntParameterInfo& info);
    void addParam(const FloatParameterInfo& info);
    void addParam(const BoolParameterInfo& info);
    void addParam(const StringParameterInfo& info);
    void addParam(const EnumParameterInfo& info);
    // Changes a parameter's range after construction (a limit set at run time).
    void setIntRange(const std::string& name, int min, int max);

    // Writes an accepted value to the device; false when the device does not take it.
    // Called with the tool's lock held, so it may read the other values through current().
    virtual bool applyParam(const std::string& name, const Value& value) = 0;
    // A further check of a value in range against the tool's other values; `why` explains a
    // refusal. Called with the lock held.
    virtual bool checkParam(const std::string& name, const Value& value, std::string& why) const;
    // Called after a value was accepted and written, without the lock.
    virtual void paramChanged(const std::string& name);
    // The current value of a parameter (lock held by the caller).
    const Value& current(const std::string& name) const;
    void storeCurrent(const std::string& name, const Value& value);

    std::string m_logSource;
    mutable std::recursive_mutex m_mutex; // guards m_params (values and ranges)

private:
    struct Entry
    {
        FullParamteterInfo info;
        Value value;
    };

    const Entry* entry(const std::string& name, int type, const char* action) const;
    bool set(const std::string& name, int type, const Value& value);

    std::map<std::string, Entry> m_params;
};

} // namespace tarvo
