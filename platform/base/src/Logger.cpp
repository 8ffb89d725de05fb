#include "TarvoBase/Logger.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace tarvo {
namespace {

const char* levelName(int level)
{
    switch (level) {
    case 1:
        return "detail";
    case 2:
        return "info";
    case 3:
        return "warning";
    case 4:
        return "error";
    default:
        return "log";
    }
}

std::string formatMessage(const char* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        return {};
    }
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    return std::string(text.data(), static_cast<size_t>(length));
}

} // namespace

Logger& Logger::Instance()
{
    static Logger logger;
    return logger;
}

void Logger::log_(int level, const char* source, int line, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string message = formatMessage(format, args);
    va_end(args);

    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_sink) {
        m_sink(level, source ? source : "", line, message);
    }
    if (level >= m_stderrLevel) {
        std::fprintf(stderr, "[%s] %s:%d %s\n", levelName(level), source ? source : "", line,
                     message.c_str());
    }
}

void Logger::setStderrLevel(int level)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stderrLevel = level;
}

Logger::Sink Logger::setSink(Sink sink)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::swap(m_sink, sink);
    return sink;
}

} // namespace tarvo
