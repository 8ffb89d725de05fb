#pragma once

#include "PanelCamera.h"

#include <QCoreApplication>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

// A camera configuration file as the settings panels read and change it: a JSON object with one
// member per tool, named by the tool, holding one member per parameter: an integer, a number
// with a decimal point, true or false, or an option's name. Read and written with the same JSON
// library as the camera, so that 50.0 stays a decimal number.
class VxCameraConfigFile
{
    Q_DECLARE_TR_FUNCTIONS(VxCameraConfigFile)

public:
    // Configuration files are small; anything larger is not one.
    static constexpr qint64 kMaxBytes = 1 << 20;

    // Why the file at `path` cannot be applied to `tools` as a whole, in words for the user that
    // name the wrong value; empty when every value it holds is one its parameter takes. Members
    // naming tools the camera lacks are passed over, as the camera passes them.
    static QString problemWith(const QString& path, const std::vector<PanelCamera::Tool>& tools);

    // Sets the member `name` of the tool member `group` to `value` and writes the file back in
    // one piece, creating the tool member when missing. A file that cannot be read, is not a
    // JSON object or holds `group` as something else is left as it is; every failure is logged.
    static bool updateValue(const QString& path, const std::string& group, const std::string& name,
                            const nlohmann::json& value);

private:
    // The camera applies a value by its JSON kind: an integer through its integer setter, a
    // decimal number through its float setter. A value of another kind, out of range or off its
    // step would be refused there after the values before it were set; each is named here first.
    static QString parameterProblem(tarvo::CameraTool& tool, const std::string& toolName,
                                    const std::string& name, const nlohmann::json& value);
    static QString wrongValue(const QString& qualified, const QString& expected, const nlohmann::json& value);
    static QString intProblem(tarvo::CameraTool& tool, const QString& qualified, const std::string& name,
                              const nlohmann::json& value);
    static QString floatProblem(tarvo::CameraTool& tool, const QString& qualified, const std::string& name,
                                const nlohmann::json& value);
    static QString enumProblem(tarvo::CameraTool& tool, const QString& qualified, const std::string& name,
                               const nlohmann::json& value);
};
