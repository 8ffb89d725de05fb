#include "TarvoBase/Logger.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tarvo {
namespace {

struct Line
{
    int level;
    std::string source;
    int line;
    std::string message;
};

TEST(Logger, SinkReceivesLevelSourceLineAndFormattedText)
{
    std::vector<Line> lines;
    auto previous = Logger::Instance().setSink(
        [&](int level, const std::string& source, int line, const std::string& message) {
            lines.push_back({level, source, line, message});
        });
    Logger::Instance().log_(3, "src/FileReader/RawFileReader", 42, "value %d of %s", 7, "seven");
    Logger::Instance().setSink(previous);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, 3);
    EXPECT_EQ(lines[0].source, "src/FileReader/RawFileReader");
    EXPECT_EQ(lines[0].line, 42);
    EXPECT_EQ(lines[0].message, "value 7 of seven");
}

TEST(Logger, MessagesFromManyThreadsAreEachDeliveredWhole)
{
    std::vector<std::string> messages;
    auto previous = Logger::Instance().setSink(
        [&](int, const std::string&, int, const std::string& message) { messages.push_back(message); });
    Logger::Instance().setStderrLevel(5);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i) {
                Logger::Instance().log_(1, "test", __LINE__, "thread %d message %d", t, i);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    Logger::Instance().setStderrLevel(2);
    Logger::Instance().setSink(previous);
    ASSERT_EQ(messages.size(), 2000u);
    for (const std::string& message : messages) {
        ASSERT_EQ(message.rfind("thread ", 0), 0u) << message;
    }
}

} // namespace
} // namespace tarvo
