#include "camera/CameraConfigFile.h"

#include "TarvoBase/Logger.h"
#include "TarvoHal/ParameterInfo.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <limits>
#include <stdexcept>

namespace tarvo::camera_config {
namespace {

using nlohmann::json;

// The parameter's current value as the file holds it; nothing for texts and unknown kinds.
bool readParam(CameraTool& tool, const std::string& name, int type, json& value)
{
    switch (type) {
    case PARAMETER_INT: {
        int number = 0;
        const bool read = tool.getParam(name, number);
        value = number;
        return read;
    }
    case PARAMETER_FLOAT: {
        float number = 0;
        const bool read = tool.getParam(name, number);
        value = static_cast<double>(number);
        return read;
    }
    case PARAMETER_BOOL: {
        bool on = false;
        const bool read = tool.getParam(name, on);
        value = on;
        return read;
    }
    case PARAMETER_ENUM: {
        std::string option;
        const bool read = tool.getParam(name, option);
        value = option;
        return read;
    }
    default:
        value = json();
        return false;
    }
}

int toInt(const json& value)
{
    if (value.is_number_unsigned()) {
        const auto number = value.get<uint64_t>();
        if (number > static_cast<uint64_t>(std::numeric_limits<int>::max())) {
            throw std::out_of_range("the number " + value.dump() + " is too large");
        }
        return static_cast<int>(number);
    }
    const auto number = value.get<int64_t>();
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) {
        throw std::out_of_range("the number " + value.dump() + " is out of range");
    }
    return static_cast<int>(number);
}

float toFloat(const json& value)
{
    const auto number = static_cast<float>(value.get<double>());
    if (!std::isfinite(number)) {
        throw std::out_of_range("the number " + value.dump() + " is out of range");
    }
    return number;
}

// Sets one parameter by the kind of its JSON value; false when nothing was set.
bool applyParam(CameraTool& tool, const std::string& toolName, const std::string& name, const json& value,
                const char* logSource)
{
    Logger& logger = Logger::Instance();
    try {
        bool accepted = false;
        switch (value.type()) {
        case json::value_t::string:
            accepted = tool.setParam(name, value.get<std::string>());
            break;
        case json::value_t::boolean:
            accepted = tool.setParam(name, value.get<bool>());
            break;
        case json::value_t::number_integer:
        case json::value_t::number_unsigned:
            accepted = tool.setParam(name, toInt(value));
            break;
        case json::value_t::number_float:
            accepted = tool.setParam(name, toFloat(value));
            break;
        default:
            logger.log_(3, logSource, __LINE__, "Unsupported parameter type for %s.%s, skipped.",
                        toolName.c_str(), name.c_str());
            return false;
        }
        if (!accepted) {
            logger.log_(4, logSource, __LINE__, "Failed to set %s.%s: %s", toolName.c_str(), name.c_str(),
                        ("the tool refused " + value.dump()).c_str());
            return false;
        }
        logger.log_(2, logSource, __LINE__, "Set %s.%s = %s", toolName.c_str(), name.c_str(),
                    value.dump().c_str());
        return true;
    } catch (const std::exception& error) {
        logger.log_(4, logSource, __LINE__, "Failed to set %s.%s: %s", toolName.c_str(), name.c_str(),
                    error.what());
        return false;
    }
}

} // namespace

bool exportParams(const tool_lookup::ToolMap& tools, const std::string& path, const char* logSource)
{
    Logger& logger = Logger::Instance();
    json root = json::object();
    for (const ToolInfo& info : tool_lookup::allInfos(tools)) {
        json& members = root[info.name] = json::object();
        const auto tool = tool_lookup::byName(tools, info.name);
        for (const auto& [name, details] : tool->getAllParamInfo()) {
            json value;
            const bool read = readParam(*tool, name, details.type, value);
            if (value.is_null()) {
                continue; // texts and other kinds stay out of the file
            }
            if (!read) {
                logger.log_(3, logSource, __LINE__, "Cannot read %s.%s; %s written in its place",
                            info.name.c_str(), name.c_str(), value.dump().c_str());
            }
            members[name] = value;
        }
    }
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (!file) {
        logger.log_(4, logSource, __LINE__, "Failed to open %s file for writing.", path.c_str());
        return false;
    }
    file << root.dump(4, ' ', false, json::error_handler_t::replace) << '\n';
    file.close();
    if (!file) {
        logger.log_(4, logSource, __LINE__, "Failed to write %s.", path.c_str());
        return false;
    }
    logger.log_(2, logSource, __LINE__, "Parameters saved to %s", path.c_str());
    return true;
}

bool loadParams(const tool_lookup::ToolMap& tools, const std::string& path, const char* logSource)
{
    Logger& logger = Logger::Instance();
    std::ifstream file(path);
    if (!file) {
        logger.log_(4, logSource, __LINE__, "Failed to open config file: %s", path.c_str());
        return false;
    }
    json root;
    try {
        root = json::parse(file);
    } catch (const json::exception& error) {
        logger.log_(4, logSource, __LINE__, "Failed to parse config file %s: %s", path.c_str(), error.what());
        return false;
    }
    file.close();
    if (!root.is_object()) {
        logger.log_(4, logSource, __LINE__, "Config file %s does not hold a JSON object.", path.c_str());
        return false;
    }
    size_t unset = 0;
    for (const auto& [toolName, params] : root.items()) {
        const auto tool = tool_lookup::byName(tools, toolName);
        if (!tool) {
            logger.log_(3, logSource, __LINE__, "Tool not found: %s, skipping...", toolName.c_str());
            continue;
        }
        if (!params.is_object()) {
            logger.log_(4, logSource, __LINE__, "Failed to set %s: %s is not a JSON object", toolName.c_str(),
                        params.dump().c_str());
            ++unset;
            continue;
        }
        for (const auto& [name, value] : params.items()) {
            unset += applyParam(*tool, toolName, name, value, logSource) ? 0 : 1;
        }
    }
    if (unset > 0) {
        logger.log_(4, logSource, __LINE__, "Configuration from %s applied in part: %zu parameter(s) not set",
                    path.c_str(), unset);
        return false;
    }
    logger.log_(2, logSource, __LINE__, "Configuration applied from %s", path.c_str());
    return true;
}

} // namespace tarvo::camera_config
