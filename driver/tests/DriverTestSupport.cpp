#include "DriverTestSupport.h"

#include "TarvoBase/Logger.h"

#include <filesystem>
#include <stdexcept>
#include <stdlib.h>

namespace tarvo::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvo-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

LogCapture::LogCapture()
{
    Logger::Instance().setStderrLevel(5);
    Logger::Instance().setSink([this](int level, const std::string&, int, const std::string& message) {
        messages.emplace_back(level, message);
    });
}

LogCapture::~LogCapture()
{
    Logger::Instance().setSink(nullptr);
    Logger::Instance().setStderrLevel(2);
}

bool LogCapture::contains(int level, const std::string& message) const
{
    for (const auto& [l, m] : messages) {
        if (l == level && m == message) {
            return true;
        }
    }
    return false;
}

} // namespace tarvo::test
