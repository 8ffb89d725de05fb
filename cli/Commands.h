#pragma once

#include <string>
#include <vector>

namespace tarvo::cli {

// Each command takes the words after its name and returns the process exit status.
int synthCommand(const std::vector<std::string>& args);

} // namespace tarvo::cli
