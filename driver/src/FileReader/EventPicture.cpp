#include "EventPicture.h"

#include <cstring>

namespace tarvo {
namespace {

constexpr uint8_t kBackground = 112;

} // namespace

void eventsToRgbData(const std::vector<Event2D>* batch, uint16_t width, uint16_t height,
                     std::vector<uint8_t>& picture)
{
    if (!batch || batch->empty()) {
        return;
    }
    picture.assign(static_cast<size_t>(width) * height * 3, kBackground);
    uint8_t* pixels = picture.data();
    for (const Event2D& e : *batch) {
        if (e.x < width && e.y < height) {
            const uint8_t level = e.polarity ? 255 : 0;
            std::memset(pixels + (static_cast<size_t>(e.y) * width + e.x) * 3, level, 3);
        }
    }
}

} // namespace tarvo
