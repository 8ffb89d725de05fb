#include "TarvoBase/FileHeader.h"

#include "TarvoBase/TimeString.h"

#include <sstream>

namespace tarvo {
namespace {

// A header value must stay on its own line.
std::string singleLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

} // namespace

std::string generateDvsFileHeader(DvsFileInfo& info)
{
    std::ostringstream header;
    if (info.date.time_since_epoch().count() != 0) {
        header << "% date " << timePointToString(info.date) << '\n';
    }
    header << "% evt 3.0\n";
    header << "% format EVT3;height=" << info.height << ";width=" << info.width << '\n';
    header << "% geometry " << info.width << 'x' << info.height << '\n';
    if (!info.serial_number.empty()) {
        header << "% serial_number " << singleLine(info.serial_number) << '\n';
    }
    header << "% dvs_start_timestamp " << info.dvs_start_timestamp << '\n';
    header << "% aps_start_timestamp " << info.aps_start_timestamp << '\n';
    header << "% end\n";
    return header.str();
}

} // namespace tarvo
