#include "FileRecorder/RecordingHeader.h"

#include "TarvoBase/FileHeader.h"

namespace tarvo {

std::string recordingHeader(DvsFileInfo info, uint64_t streamTime)
{
    info.dvs_start_timestamp = streamTime & ~uint64_t{0xFFF};
    return generateDvsFileHeader(info);
}

} // namespace tarvo
