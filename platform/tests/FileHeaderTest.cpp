#include "TarvoBase/FileHeader.h"

#include "TarvoBase/TimeString.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(FileHeader, HoldsEveryFieldAsAHeaderLineAndEndsWithEnd)
{
    DvsFileInfo info;
    info.width = 640;
    info.height = 480;
    info.serial_number = "KS-0042\nforged line";
    info.dvs_start_timestamp = 123456789012ull;
    info.aps_start_timestamp = 42;
    info.date = parseLocalTimeString("2026-12-07 08:16:12");
    const std::string header = generateDvsFileHeader(info);
    EXPECT_NE(header.find("% date 2026-12-07 08:16:12\n"), std::string::npos);
    EXPECT_NE(header.find("% evt 3.0\n"), std::string::npos);
    EXPECT_NE(header.find("% format EVT3;height=480;width=640\n"), std::string::npos);
    EXPECT_NE(header.find("% geometry 640x480\n"), std::string::npos);
    EXPECT_NE(header.find("% serial_number KS-0042 forged line\n"), std::string::npos);
    EXPECT_NE(header.find("% dvs_start_timestamp 123456789012\n"), std::string::npos);
    EXPECT_NE(header.find("% aps_start_timestamp 42\n"), std::string::npos);
    ASSERT_GE(header.size(), 6u);
    EXPECT_EQ(header.substr(header.size() - 6), "% end\n");
    size_t lineStart = 0;
    while (lineStart < header.size()) {
        EXPECT_EQ(header[lineStart], '%');
        lineStart = header.find('\n', lineStart) + 1;
    }
}

TEST(FileHeader, ZeroDateIsLeftOut)
{
    DvsFileInfo info;
    EXPECT_EQ(generateDvsFileHeader(info).find("% date"), std::string::npos);
}

} // namespace
} // namespace tarvo
