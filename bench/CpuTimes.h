#pragma once

#include <map>
#include <string>

// CPU time of this process and its threads, for the benchmarks' CPU figures.
namespace tarvo::bench {

// User and system CPU seconds of the whole process so far.
double processCpuSeconds();
// CPU seconds each thread of the process has used, by thread name (threads of one name summed).
std::map<std::string, double> threadCpuSeconds();
// CPU seconds of the calling thread so far.
double threadCpuNow();
// The CPU seconds each name gained since `before`.
std::map<std::string, double> threadCpuSince(const std::map<std::string, double>& before);

} // namespace tarvo::bench
