#pragma once

#include <QString>

#include <string>

// The words the settings panels show for a camera's parameters: labels made from the parameter
// names, and the names, units and descriptions the camera's tools report in the user's language.
// Texts of tools this viewer does not know are shown as the camera gives them.
class CameraParameterTexts
{
public:
    // "bias_diff_on" shows as "Bias Diff On": a letter at the start or after a space or an
    // underscore is capitalised, and underscores become spaces.
    static QString displayName(const std::string& name);
    // The display name in the user's language.
    static QString label(const std::string& name);
    static QString unit(const std::string& unit);
    static QString description(const std::string& description);
};
