#include "TarvoHal/CameraToolBasePrivate.h"

#include "TarvoBase/Logger.h"

#include <algorithm>
#include <cmath>

namespace tarvo {
namespace {

const char* typeName(int type)
{
    switch (type) {
    case PARAMETER_INT:
        return "an integer";
    case PARAMETER_FLOAT:
        return "a float";
    case PARAMETER_BOOL:
        return "a switch";
    case PARAMETER_STRING:
        return "a text";
    case PARAMETER_ENUM:
        return "a choice";
    }
    return "unknown";
}

} // namespace

CameraToolBasePrivate::CameraToolBasePrivate(const std::string& logSource) : m_logSource(logSource) {}

void CameraToolBasePrivate::addParam(const IntParameterInfo& info)
{
    Entry& e = m_params[info.name];
    e.info.basic = info;
    e.info.basic.type = PARAMETER_INT;
    e.info.intInfo = info;
    e.info.intInfo.type = PARAMETER_INT;
    e.value.i = info.defaultValue;
}

void CameraToolBasePrivate::addParam(const FloatParameterInfo& info)
{
    Entry& e = m_params[info.name];
    e.info.basic = info;
    e.info.basic.type = PARAMETER_FLOAT;
    e.info.floatInfo = info;
    e.info.floatInfo.type = PARAMETER_FLOAT;
    e.value.f = info.defaultValue;
}

void CameraToolBasePrivate::addParam(const BoolParameterInfo& info)
{
    Entry& e = m_params[info.name];
    e.info.basic = info;
    e.info.basic.type = PARAMETER_BOOL;
    e.info.boolInfo = info;
    e.info.boolInfo.type = PARAMETER_BOOL;
    e.value.b = info.defaultValue;
}

void CameraToolBasePrivate::addParam(const StringParameterInfo& info)
{
    Entry& e = m_params[info.name];
    e.info.basic = info;
    e.info.basic.type = PARAMETER_STRING;
    e.info.stringInfo = info;
    e.info.stringInfo.type = PARAMETER_STRING;
    e.value.s = info.defaultValue;
}

void CameraToolBasePrivate::addParam(const EnumParameterInfo& info)
{
    Entry& e = m_params[info.name];
    e.info.basic = info;
    e.info.basic.type = PARAMETER_ENUM;
    e.info.enumInfo = info;
    e.info.enumInfo.type = PARAMETER_ENUM;
    e.value.s = info.defaultValue;
}

void CameraToolBasePrivate::setIntRange(const std::string& name, int min, int max)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto found = m_params.find(name);
    if (found != m_params.end() && found->second.info.basic.type == PARAMETER_INT) {
        found->second.info.intInfo.min = min;
        found->second.info.intInfo.max = max;
    }
}

std::map<std::string, BasicParameterInfo> CameraToolBasePrivate::getAllParamInfo() const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    std::map<std::string, BasicParameterInfo> all;
    for (const auto& [name, e] : m_params) {
        all[name] = e.info.basic;
    }
    return all;
}

const CameraToolBasePrivate::Entry* CameraToolBasePrivate::entry(const std::string& name, int type,
                                                                 const char* action) const
{
    auto found = m_params.find(name);
    if (found == m_params.end()) {
        Logger::Instance().log_(4, m_logSource.c_str(), __LINE__, "%s: no parameter \"%s\"", action,
                                name.c_str());
        return nullptr;
    }
    if (found->second.info.basic.type != type) {
        Logger::Instance().log_(4, m_logSource.c_str(), __LINE__, "%s: parameter \"%s\" is %s, not %s",
                                action, name.c_str(), typeName(found->second.info.basic.type),
                                typeName(type));
        return nullptr;
    }
    return &found->second;
}

bool CameraToolBasePrivate::getParamInfo(const std::string& name, StringParameterInfo& info) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Entry* e = entry(name, PARAMETER_STRING, "getParamInfo");
    if (e != nullptr) {
        info = e->info.stringInfo;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::getParamInfo(const std::string& name, EnumParameterInfo& info) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Entry* e = entry(name, PARAMETER_ENUM, "getParamInfo");
    if (e != nullptr) {
        info = e->info.enumInfo;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::getParamInfo(const std::string& name, BoolParameterInfo& info) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Entry* e = entry(name, PARAMETER_BOOL, "getParamInfo");
    if (e != nullptr) {
        info = e->info.boolInfo;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::getParamInfo(const std::string& name, FloatParameterInfo& info) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Entry* e = entry(name, PARAMETER_FLOAT, "getParamInfo");
    if (e != nullptr) {
        info = e->info.floatInfo;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::getParamInfo(const std::string& name, IntParameterInfo& info) const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Entry* e = entry(name, PARAMETER_INT, "getParamInfo");
    if (e != nullptr) {
        info = e->info.intInfo;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::getParam(const std::string& name, std::string& value)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto found = m_params.find(name);
    // Texts and choices are both read as text.
    const int type = found != m_params.end() && found->second.info.basic.type == PARAMETER_ENUM
                         ? PARAMETER_ENUM
                         : PARAMETER_STRING;
    const Entry* e = entry(name, type, "getParam");
    if (e != nullptr) {
        value = e->value.s;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::getParam(const std::string& name, bool& value)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Entry* e = entry(name, PARAMETER_BOOL, "getParam");
    if (e != nullptr) {
        value = e->value.b;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::getParam(const std::string& name, float& value)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Entry* e = entry(name, PARAMETER_FLOAT, "getParam");
    if (e != nullptr) {
        value = e->value.f;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::getParam(const std::string& name, int& value)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Entry* e = entry(name, PARAMETER_INT, "getParam");
    if (e != nullptr) {
        value = e->value.i;
    }
    return e != nullptr;
}

bool CameraToolBasePrivate::set(const std::string& name, int type, const Value& value)
{
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        const Entry* e = entry(name, type, "setParam");
        if (e == nullptr) {
            return false;
        }
        const FullParamteterInfo& info = e->info;
        std::string why;
        if (info.basic.readOnly) {
            why = "it is read-only";
        } else if (type == PARAMETER_INT) {
            const IntParameterInfo& range = info.intInfo;
            if (value.i < range.min || value.i > range.max) {
                why = "it is outside " + std::to_string(range.min) + ".." + std::to_string(range.max);
            } else if (range.step > 1 && (static_cast<int64_t>(value.i) - range.min) % range.step != 0) {
                why = "it is not a multiple of " + std::to_string(range.step) + " from " +
                      std::to_string(range.min);
            }
        } else if (type == PARAMETER_FLOAT) {
            if (!std::isfinite(value.f) || value.f < info.floatInfo.min || value.f > info.floatInfo.max) {
                why = "it is outside " + std::to_string(info.floatInfo.min) + ".." +
                      std::to_string(info.floatInfo.max);
            }
        } else if (type == PARAMETER_STRING) {
            if (value.s.size() > info.stringInfo.maxLength) {
                why = "it is longer than " + std::to_string(info.stringInfo.maxLength) + " characters";
            }
        } else if (type == PARAMETER_ENUM) {
            const auto& options = info.enumInfo.options;
            if (std::find(options.begin(), options.end(), value.s) == options.end()) {
                why = "it is not one of the options";
            }
        }
        if (why.empty()) {
            checkParam(name, value, why);
        }
        if (!why.empty()) {
            Logger::Instance().log_(4, m_logSource.c_str(), __LINE__, "setParam \"%s\" refused: %s",
                                    name.c_str(), why.c_str());
            return false;
        }
        if (!applyParam(name, value)) {
            Logger::Instance().log_(4, m_logSource.c_str(), __LINE__,
                                    "setParam \"%s\": the device did not take it", name.c_str());
            return false;
        }
        storeCurrent(name, value);
    }
    paramChanged(name);
    return true;
}

bool CameraToolBasePrivate::setParam(const std::string& name, const std::string& value)
{
    Value v;
    v.s = value;
    int type = PARAMETER_STRING;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        auto found = m_params.find(name);
        if (found != m_params.end() && found->second.info.basic.type == PARAMETER_ENUM) {
            type = PARAMETER_ENUM;
        }
    }
    return set(name, type, v);
}

bool CameraToolBasePrivate::setParam(const std::string& name, const char* value)
{
    if (value == nullptr) {
        Logger::Instance().log_(4, m_logSource.c_str(), __LINE__, "setParam \"%s\" refused: no text",
                                name.c_str());
        return false;
    }
    return setParam(name, std::string(value));
}

bool CameraToolBasePrivate::setParam(const std::string& name, const bool& value)
{
    Value v;
    v.b = value;
    return set(name, PARAMETER_BOOL, v);
}

bool CameraToolBasePrivate::setParam(const std::string& name, const double& value)
{
    // Checked as a double first, so that a huge value cannot wrap into range as a float.
    FloatParameterInfo info;
    if (getParamInfo(name, info) && std::isfinite(value) && (value < info.min || value > info.max)) {
        Logger::Instance().log_(4, m_logSource.c_str(), __LINE__,
                                "setParam \"%s\" refused: %g is out of range", name.c_str(), value);
        return false;
    }
    Value v;
    v.f = static_cast<float>(value);
    return set(name, PARAMETER_FLOAT, v);
}

bool CameraToolBasePrivate::setParam(const std::string& name, const float& value)
{
    Value v;
    v.f = value;
    return set(name, PARAMETER_FLOAT, v);
}

bool CameraToolBasePrivate::setParam(const std::string& name, const int& value)
{
    Value v;
    v.i = value;
    return set(name, PARAMETER_INT, v);
}

bool CameraToolBasePrivate::checkParam(const std::string&, const Value&, std::string&) const
{
    return true;
}

void CameraToolBasePrivate::paramChanged(const std::string&) {}

const CameraToolBasePrivate::Value& CameraToolBasePrivate::current(const std::string& name) const
{
    return m_params.at(name).value;
}

void CameraToolBasePrivate::storeCurrent(const std::string& name, const Value& value)
{
    m_params.at(name).value = value;
}

} // namespace tarvo
