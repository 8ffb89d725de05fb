#pragma once

#include "TarvoBase/Logger.h"

#include <mutex>
#include <string>
#include <vector>

namespace tarvo::test {

// Collects the logger's messages while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    bool contains(const std::string& text) const;
    std::vector<std::string> messages() const;

private:
    mutable std::mutex m_mutex; // guards m_messages
    std::vector<std::string> m_messages;
    Logger::Sink m_previous;
};

} // namespace tarvo::test
