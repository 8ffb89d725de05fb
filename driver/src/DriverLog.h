#pragma once

#include "TarvoBase/Logger.h"

// Logs through the process-wide logger with this file's place in the tree as the source;
// each .cpp defines `kLogSource`, e.g. "src/tools/DataToVideoConverter".
#define TARVO_LOG(level, ...) ::tarvo::Logger::Instance().log_((level), kLogSource, __LINE__, __VA_ARGS__)

namespace tarvo::log {
constexpr int kDetail = 1;
constexpr int kInfo = 2;
constexpr int kWarning = 3;
constexpr int kError = 4;
} // namespace tarvo::log
