#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tarvo::test {

// A folder under the system's temporary directory, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return m_path + "/" + name; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Collects every logged message while it lives.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    bool contains(int level, const std::string& message) const;
    std::vector<std::pair<int, std::string>> messages;
};

} // namespace tarvo::test
