#include "TarvoDriver/DvsFileReader.h"

#include "TarvoDriver/RawFileReader.h"

namespace tarvo {

DvsFileReader::~DvsFileReader() = default;

std::unique_ptr<DvsFileReader> DvsFileReader::createFileReader(std::string path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || path.compare(dot, std::string::npos, ".raw") != 0) {
        return nullptr;
    }
    return std::make_unique<RawFileReader>(std::move(path));
}

bool DvsFileReader::getFileInfo(DvsFileInfo&)
{
    return false;
}

} // namespace tarvo
