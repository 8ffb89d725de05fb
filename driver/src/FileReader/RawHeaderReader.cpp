#include "RawHeaderReader.h"

#include "DecimalText.h"
#include "DriverLog.h"
#include "PosixFile.h"
#include "TarvoBase/TimeString.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

namespace tarvo {
namespace {

constexpr char kLogSource[] = "src/FileReader/RawFileReader";
// Header lines are short; a longer one means the file is not a RAW recording.
constexpr size_t kMaxHeaderLine = 1 << 20;

using namespace log;

// The two refusals of a foreign format go to standard error, as callers of the reader expect.
void reportNonEvt3(const char* text)
{
    std::cerr << text << "'" << std::endl;
}

// Splits "% keyword value" into the keyword in lower case and the value; false for a line
// without a blank after its keyword.
bool splitLine(const std::string& line, std::string& keyword, std::string& value)
{
    if (line.size() < 2 || line[1] != ' ') {
        return false;
    }
    const auto blank = line.find(' ', 2);
    if (blank == std::string::npos) {
        return false;
    }
    keyword = line.substr(2, blank - 2);
    std::transform(keyword.begin(), keyword.end(), keyword.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    value = line.substr(blank + 1);
    return true;
}

bool invalid(const std::string& line)
{
    TARVO_LOG(kError, "Invalid value in the RAW header line '%s'.", line.c_str());
    return false;
}

bool readFormat(const std::string& line, const std::string& text, DvsFileInfo& info)
{
    size_t begin = 0;
    bool first = true;
    while (begin <= text.size()) {
        size_t end = text.find(';', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string piece = text.substr(begin, end - begin);
        begin = end + 1;
        if (first) {
            if (piece != "EVT3") {
                reportNonEvt3("Error : detected non-EVT3 input file '");
                return false;
            }
            first = false;
            continue;
        }
        const auto equals = piece.find('=');
        const std::string key = piece.substr(0, equals);
        if (equals == std::string::npos || (key != "width" && key != "height")) {
            continue;
        }
        uint64_t value = 0;
        if (!parseDecimal(piece.substr(equals + 1), 0xFFFF, value)) {
            return invalid(line);
        }
        (key == "width" ? info.width : info.height) = static_cast<uint16_t>(value);
    }
    return true;
}

bool applyLine(const std::string& line, DvsFileInfo& info)
{
    std::string keyword;
    std::string value;
    if (!splitLine(line, keyword, value)) {
        return true;
    }
    uint64_t number = 0;
    if (keyword == "format") {
        return readFormat(line, value, info);
    }
    if (keyword == "geometry") {
        const auto x = value.find('x');
        uint64_t height = 0;
        if (x == std::string::npos || !parseDecimal(value.substr(0, x), 0xFFFF, number) ||
            !parseDecimal(value.substr(x + 1), 0xFFFF, height)) {
            return invalid(line);
        }
        info.width = static_cast<uint16_t>(number);
        info.height = static_cast<uint16_t>(height);
    } else if (keyword == "evt") {
        if (value != "3.0") {
            reportNonEvt3("Error : detected non-EVT3 input file.'");
            return false;
        }
    } else if (keyword == "serial_number") {
        info.serial_number = value;
    } else if (keyword == "aps_start_timestamp" || keyword == "dvs_start_timestamp") {
        if (!parseDecimal(value, std::numeric_limits<uint64_t>::max(), number)) {
            return invalid(line);
        }
        (keyword == "aps_start_timestamp" ? info.aps_start_timestamp : info.dvs_start_timestamp) = number;
    } else if (keyword == "date") {
        info.date = parseLocalTimeString(value.substr(0, 25));
    }
    return true;
}

} // namespace

bool RawHeaderReader::read(const PosixFile& file, DvsFileInfo& info, uint64_t& payloadStart)
{
    std::vector<uint8_t> window(64 * 1024);
    uint64_t windowPos = 0;
    size_t windowSize = 0;
    auto byteAt = [&](uint64_t pos, uint8_t& out) {
        if (pos < windowPos || pos >= windowPos + windowSize) {
            windowPos = pos;
            windowSize = file.readAt(pos, window.data(), window.size());
            if (windowSize == 0) {
                return false;
            }
        }
        out = window[static_cast<size_t>(pos - windowPos)];
        return true;
    };

    uint64_t pos = 0;
    std::string line;
    uint8_t c = 0;
    while (byteAt(pos, c) && c == '%') {
        line.clear();
        while (byteAt(pos, c)) {
            ++pos;
            if (c == '\n') {
                break;
            }
            if (line.size() >= kMaxHeaderLine) {
                TARVO_LOG(kError, "A RAW header line is longer than %zu bytes.", kMaxHeaderLine);
                return false;
            }
            line.push_back(static_cast<char>(c));
        }
        if (line == "% end") {
            break;
        }
        if (!applyLine(line, info)) {
            return false;
        }
    }
    payloadStart = pos;
    return true;
}

} // namespace tarvo
