#include "VxFusionPainter.h"

namespace {

void setPixel(uchar* pixel, QRgb colour)
{
    pixel[0] = uchar(qBlue(colour));
    pixel[1] = uchar(qGreen(colour));
    pixel[2] = uchar(qRed(colour));
}

} // namespace

void VxFusionPainter::paintEvents(const tarvo::Event2D* first, const tarvo::Event2D* last, bool mirrored,
                                  const Colours& colours, QImage& image)
{
    const int width = image.width();
    const int height = image.height();
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (const tarvo::Event2D* e = first; e != last; ++e) {
        if (e->x >= width || e->y >= height) {
            continue;
        }
        const int column = mirrored ? width - 1 - e->x : e->x;
        setPixel(bits + e->y * stride + column * 3, e->polarity != 0 ? colours.on : colours.off);
    }
}

void VxFusionPainter::paintCounts(const uint16_t* counts, const Colours& colours, QImage& image)
{
    const int width = image.width();
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (int y = 0; y < image.height(); ++y) {
        const uint16_t* row = counts + size_t(y) * size_t(width) * 2;
        uchar* out = bits + y * stride;
        for (int x = 0; x < width; ++x) {
            const uint16_t off = row[2 * x];
            const uint16_t on = row[2 * x + 1];
            if (on != 0 && on >= off) {
                setPixel(out + x * 3, colours.on);
            } else if (off != 0) {
                setPixel(out + x * 3, colours.off);
            } else {
                setPixel(out + x * 3, colours.background);
            }
        }
    }
}
