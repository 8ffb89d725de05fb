#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tarvo {
class DvsFileReader;
}

namespace tarvo::cli {

// Each command takes the words after its name and returns the process exit status.
int synthCommand(const std::vector<std::string>& args);
int infoCommand(const std::vector<std::string>& args);
int dumpCommand(const std::vector<std::string>& args);
int cutCommand(const std::vector<std::string>& args);
int exportCommand(const std::vector<std::string>& args);

// Creates and loads the reader of a RAW recording; on failure prints why, prefixed with
// "tarvo COMMAND", and returns an empty pointer.
std::unique_ptr<DvsFileReader> openRecording(const std::string& command, const std::string& path);

} // namespace tarvo::cli
