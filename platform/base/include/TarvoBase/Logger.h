#pragma once

#include "TarvoBase/tarvobase_export.h"

#include <functional>
#include <mutex>
#include <string>

namespace tarvo {

// Process-wide logger. Levels: 1 detail, 2 information, 3 warning, 4 error.
class TARVOBASE_EXPORT Logger
{
public:
    // Receives every message at or above the sink threshold; called on the logging thread
    // with the logger's lock held, so it must not log itself.
    using Sink =
        std::function<void(int level, const std::string& source, int line, const std::string& message)>;

    static Logger& Instance();

    void log_(int level, const char* source, int line, const char* format, ...)
        __attribute__((format(printf, 5, 6)));

    // Messages below this level are not written to standard error (default 2).
    void setStderrLevel(int level);
    // Installs a sink that sees every message (all levels); returns the previous one.
    Sink setSink(Sink sink);

private:
    Logger() = default;

    std::mutex m_mutex; // guards m_sink, m_stderrLevel and the order of lines on standard error
    Sink m_sink;
    int m_stderrLevel = 2;
};

} // namespace tarvo
