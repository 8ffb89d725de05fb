#include "Evt3DecodePath.h"

namespace tarvo {

const char* decodePathName(Evt3DecodePath path)
{
    switch (path) {
    case Evt3DecodePath::Avx2:
        return "avx2";
    case Evt3DecodePath::Avx512:
        return "avx512";
    case Evt3DecodePath::Scalar:
        break;
    }
    return "scalar";
}

bool cpuSupports(Evt3DecodePath path)
{
    switch (path) {
    case Evt3DecodePath::Avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    case Evt3DecodePath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("avx512vbmi2") &&
               __builtin_cpu_supports("avx512bitalg");
    case Evt3DecodePath::Scalar:
        break;
    }
    return true;
}

Evt3DecodePath widestDecodePath()
{
    static const Evt3DecodePath widest = cpuSupports(Evt3DecodePath::Avx512) ? Evt3DecodePath::Avx512
                                         : cpuSupports(Evt3DecodePath::Avx2) ? Evt3DecodePath::Avx2
                                                                             : Evt3DecodePath::Scalar;
    return widest;
}

} // namespace tarvo
