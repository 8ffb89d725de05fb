#include "H264EncoderChoice.h"

namespace tarvo {

int preferredH264Encoder(const std::vector<EncoderCandidate>& registered)
{
    for (const char* preferred : {"libx264", "h264_mf"}) {
        for (size_t i = 0; i < registered.size(); ++i) {
            if (registered[i].isH264Encoder && registered[i].name == preferred) {
                return static_cast<int>(i);
            }
        }
    }
    for (size_t i = 0; i < registered.size(); ++i) {
        if (registered[i].isH264Encoder) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

} // namespace tarvo
