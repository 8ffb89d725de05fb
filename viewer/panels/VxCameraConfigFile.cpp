#include "VxCameraConfigFile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using nlohmann::json;

QString text(const json& value)
{
    return QString::fromStdString(value.dump(-1, ' ', false, json::error_handler_t::replace));
}

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

} // namespace

QString VxCameraConfigFile::parameterProblem(tarvo::CameraTool& tool, const std::string& toolName,
                                             const std::string& name, const json& value)
{
    const auto all = tool.getAllParamInfo();
    const auto found = all.find(name);
    const QString qualified = QString::fromStdString(toolName + "." + name);
    if (found == all.end()) {
        return tr("%1 is not a setting of this camera.").arg(qualified);
    }
    switch (found->second.type) {
    case tarvo::PARAMETER_INT:
        return intProblem(tool, qualified, name, value);
    case tarvo::PARAMETER_FLOAT:
        return floatProblem(tool, qualified, name, value);
    case tarvo::PARAMETER_BOOL:
        return value.is_boolean() ? QString() : wrongValue(qualified, tr("true or false"), value);
    case tarvo::PARAMETER_ENUM:
        return enumProblem(tool, qualified, name, value);
    case tarvo::PARAMETER_STRING:
        // Network addresses and other texts belong to one camera, not to a configuration that
        // may be applied to several.
        return tr("%1 is a text setting, which configuration files do not hold.").arg(qualified);
    default:
        return tr("%1 cannot be set from a configuration file.").arg(qualified);
    }
}

QString VxCameraConfigFile::wrongValue(const QString& qualified, const QString& expected, const json& value)
{
    return tr("%1 must be %2, not %3.").arg(qualified, expected, text(value));
}

QString VxCameraConfigFile::intProblem(tarvo::CameraTool& tool, const QString& qualified,
                                       const std::string& name, const json& value)
{
    tarvo::IntParameterInfo info;
    tool.getParamInfo(name, info);
    const QString expected =
        info.step > 1
            ? tr("a whole number from %1 to %2 in steps of %3").arg(info.min).arg(info.max).arg(info.step)
            : tr("a whole number from %1 to %2").arg(info.min).arg(info.max);
    if (!value.is_number_integer()) {
        return wrongValue(qualified, expected, value);
    }
    const bool huge =
        value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(std::numeric_limits<int64_t>::max());
    const int64_t whole = huge ? std::numeric_limits<int64_t>::max() : value.get<int64_t>();
    const bool onStep = info.step <= 1 || (whole - info.min) % info.step == 0;
    return whole >= info.min && whole <= info.max && onStep ? QString()
                                                            : wrongValue(qualified, expected, value);
}

QString VxCameraConfigFile::floatProblem(tarvo::CameraTool& tool, const QString& qualified,
                                         const std::string& name, const json& value)
{
    tarvo::FloatParameterInfo info;
    tool.getParamInfo(name, info);
    const QString expected =
        tr("a number with a decimal point from %1 to %2").arg(number(info.min), number(info.max));
    if (!value.is_number_float()) {
        return wrongValue(qualified, expected, value);
    }
    // The camera takes the number as a float.
    const auto single = static_cast<float>(value.get<double>());
    const bool inRange = std::isfinite(single) && single >= info.min && single <= info.max;
    return inRange ? QString() : wrongValue(qualified, expected, value);
}

QString VxCameraConfigFile::enumProblem(tarvo::CameraTool& tool, const QString& qualified,
                                        const std::string& name, const json& value)
{
    tarvo::EnumParameterInfo info;
    tool.getParamInfo(name, info);
    QStringList options;
    for (const std::string& option : info.options) {
        options << "\"" + QString::fromStdString(option) + "\"";
    }
    const bool known = value.is_string() && std::find(info.options.begin(), info.options.end(),
                                                      value.get<std::string>()) != info.options.end();
    return known ? QString() : wrongValue(qualified, tr("one of %1").arg(options.join(", ")), value);
}

QString VxCameraConfigFile::problemWith(const QString& path, const std::vector<PanelCamera::Tool>& tools)
{
    const QFileInfo info(path);
    // Reading a pipe or a device could block for good.
    if (!info.isFile()) {
        return tr("%1 is not a file.").arg(path);
    }
    if (info.size() > kMaxBytes) {
        return tr("%1 is too large for a camera configuration.").arg(path);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return tr("%1 cannot be read.").arg(path);
    }
    json root;
    try {
        root = json::parse(file.readAll().toStdString());
    } catch (const json::parse_error& error) {
        return tr("%1 is not valid JSON (error at byte %2).").arg(path).arg(error.byte);
    }
    if (!root.is_object()) {
        return tr("%1 does not hold a JSON object.").arg(path);
    }
    for (const auto& [toolName, params] : root.items()) {
        const auto tool = std::find_if(tools.begin(), tools.end(),
                                       [&](const PanelCamera::Tool& t) { return t.first.name == toolName; });
        if (tool == tools.end()) {
            continue;
        }
        if (!params.is_object()) {
            return tr("%1 is not a JSON object.").arg(QString::fromStdString(toolName));
        }
        for (const auto& [name, value] : params.items()) {
            const QString problem = parameterProblem(*tool->second, toolName, name, value);
            if (!problem.isEmpty()) {
                return problem;
            }
        }
    }
    return QString();
}

bool VxCameraConfigFile::updateValue(const QString& path, const std::string& group, const std::string& name,
                                     const json& value)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        qWarning() << "无法打开 JSON 文件进行读取:" << path;
        return false;
    }
    json root;
    try {
        root = json::parse(file.readAll().toStdString());
    } catch (const json::parse_error& error) {
        qWarning() << "JSON 解析失败:" << error.what() << "at offset" << error.byte;
        return false;
    }
    file.close();
    if (!root.is_object()) {
        qWarning() << "JSON 根节点不是对象";
        return false;
    }
    if (!root.contains(group)) {
        qDebug() << "根字段不存在，将自动创建:" << QString::fromStdString(group);
        root[group] = json::object();
    } else if (!root[group].is_object()) {
        qWarning().noquote() << "字段 '" + QString::fromStdString(group) +
                                    "' 不是一个 JSON 对象，无法写入子键";
        return false;
    }
    root[group][name] = value;
    // Written aside and renamed over the file, so that a failed write never leaves half a file.
    QSaveFile out(path);
    const std::string written = root.dump(4, ' ', false, json::error_handler_t::replace) + "\n";
    if (!out.open(QIODevice::WriteOnly) || out.write(written.data(), qint64(written.size())) < 0 ||
        !out.commit()) {
        qWarning() << "无法打开 JSON 文件进行写入:" << path;
        return false;
    }
    qDebug().noquote() << "Update JSON: [" + QString::fromStdString(group) + "][" +
                              QString::fromStdString(name) + "] = " + text(value);
    return true;
}
