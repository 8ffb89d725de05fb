#include "LogCapture.h"

#include <algorithm>

namespace tarvo::test {

LogCapture::LogCapture()
{
    m_previous = Logger::Instance().setSink([this](int, const std::string&, int, const std::string& message) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(message);
    });
}

LogCapture::~LogCapture()
{
    Logger::Instance().setSink(m_previous);
}

bool LogCapture::contains(const std::string& text) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_messages.begin(), m_messages.end(),
                       [&](const std::string& message) { return message.find(text) != std::string::npos; });
}

std::vector<std::string> LogCapture::messages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_messages;
}

} // namespace tarvo::test
