#include "TarvoDriver/ApsFileReader.h"

#include "TarvoDriver/Mp4FileReader.h"

namespace tarvo {

std::unique_ptr<ApsFileReader> ApsFileReader::createFileReader(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.compare(dot, std::string::npos, ".mp4") != 0) {
        return nullptr;
    }
    return std::make_unique<Mp4FileReader>(path);
}

ApsFileReader::~ApsFileReader() = default;

} // namespace tarvo
