#include "CpuTimes.h"

#include <dirent.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace tarvo::bench {

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto toSeconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
}

std::map<std::string, double> threadCpuSeconds()
{
    std::map<std::string, double> byName;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) {
        return byName;
    }
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    while (const dirent* task = readdir(tasks)) {
        if (task->d_name[0] == '.') {
            continue;
        }
        std::ifstream file(std::string("/proc/self/task/") + task->d_name + "/stat");
        std::string line;
        std::getline(file, line);
        // "tid (name) state ...": utime and stime are the 14th and 15th fields.
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        double utime = 0, stime = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14) {
                utime = std::stod(field);
            } else if (i == 15) {
                stime = std::stod(field);
            }
        }
        byName[line.substr(open + 1, close - open - 1)] += (utime + stime) / ticks;
    }
    closedir(tasks);
    return byName;
}

double threadCpuNow()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

std::map<std::string, double> threadCpuSince(const std::map<std::string, double>& before)
{
    auto threads = threadCpuSeconds();
    for (auto& [name, seconds] : threads) {
        const auto earlier = before.find(name);
        seconds -= earlier == before.end() ? 0 : earlier->second;
    }
    return threads;
}

} // namespace tarvo::bench
