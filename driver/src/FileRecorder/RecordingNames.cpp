#include "TarvoDriver/RecordingNames.h"

#include <ctime>

namespace tarvo {

std::string recordingBaseName(const std::string& serial, std::chrono::system_clock::time_point localTime)
{
    std::string name = serial;
    for (char& c : name) {
        if (c == '/' || c == '\\') {
            c = '_';
        }
    }
    const std::time_t seconds = std::chrono::system_clock::to_time_t(localTime);
    std::tm local = {};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "_%Y%m%d_%H%M%S", &local);
    return name + stamp;
}

std::string recordingFileName(const std::string& serial, std::chrono::system_clock::time_point localTime)
{
    return recordingBaseName(serial, localTime) + ".raw";
}

} // namespace tarvo
