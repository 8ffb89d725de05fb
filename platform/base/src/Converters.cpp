#include "TarvoBase/Converters.h"

#include <cstring>
#include <iconv.h>
#include <langinfo.h>

namespace tarvo {

uint32_t stringToIP(const std::string& text)
{
    uint32_t value = 0;
    int parts = 0;
    size_t pos = 0;
    while (parts < 4) {
        size_t end = pos;
        uint32_t octet = 0;
        while (end < text.size() && end - pos < 4 && text[end] >= '0' && text[end] <= '9') {
            octet = octet * 10 + static_cast<uint32_t>(text[end] - '0');
            ++end;
        }
        if (end == pos || end - pos > 3 || octet > 255) {
            return 0;
        }
        value = (value << 8) | octet;
        ++parts;
        if (parts < 4) {
            if (end >= text.size() || text[end] != '.') {
                return 0;
            }
            pos = end + 1;
        } else if (end != text.size()) {
            return 0;
        }
    }
    return value;
}

std::string local8bitToUtf8(const std::string& text)
{
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) {
        return text;
    }
    iconv_t converter = iconv_open("UTF-8", codeset);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return text;
    }
    std::string input = text;
    std::string output(text.size() * 4 + 4, '\0');
    char* in = input.data();
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1)) {
        return text;
    }
    output.resize(output.size() - outLeft);
    return output;
}

void convertEndian(std::vector<uint8_t>& bytes)
{
    const size_t whole = bytes.size() / 4 * 4;
    uint8_t* data = bytes.data();
    for (size_t i = 0; i < whole; i += 4) {
        uint32_t word;
        std::memcpy(&word, data + i, 4);
        word = __builtin_bswap32(word);
        std::memcpy(data + i, &word, 4);
    }
}

} // namespace tarvo
