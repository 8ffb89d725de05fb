#include "TarvoBase/TimeString.h"

#include <cstdio>
#include <ctime>

namespace tarvo {

WallTime parseLocalTimeString(const std::string& text)
{
    const std::string head = text.substr(0, 25);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char fraction[16] = {};
    const int fields = std::sscanf(head.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%9[0-9]", &year, &month, &day,
                                   &hour, &minute, &second, fraction);
    if (fields < 6 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 60) {
        return WallTime{};
    }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1)) {
        return WallTime{};
    }
    int64_t ticks = 0;
    int digits = 0;
    for (const char* c = fraction; *c && digits < 7; ++c, ++digits) {
        ticks = ticks * 10 + (*c - '0');
    }
    for (; digits < 7; ++digits) {
        ticks *= 10;
    }
    return WallTime(WallTimeTicks(static_cast<int64_t>(seconds) * 10000000 + ticks));
}

std::string timePointToString(WallTime time)
{
    const int64_t ticks = time.time_since_epoch().count();
    std::time_t seconds = static_cast<std::time_t>(ticks / 10000000);
    if (ticks < 0 && ticks % 10000000 != 0) {
        --seconds;
    }
    std::tm local{};
    if (!localtime_r(&seconds, &local)) {
        return {};
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

} // namespace tarvo
