#pragma once

#include <string>
#include <vector>

namespace tarvo {

struct EncoderCandidate
{
    std::string name;
    bool isH264Encoder;
};

// Index of the encoder to use among the registered codecs: "libx264", else "h264_mf", else
// the first other H.264 encoder; -1 when there is none.
int preferredH264Encoder(const std::vector<EncoderCandidate>& registered);

} // namespace tarvo
