#include "FfmpegHandles.h"

#include <mutex>

namespace tarvo::ffmpeg {

void quietLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

} // namespace tarvo::ffmpeg
