#pragma once

#include <QImage>
#include <QRgb>

#include <cstdint>

// Paints per-pixel polarity counts in the theme colours: a pixel takes the ON colour when its ON
// count is the higher one, the OFF colour when its OFF count is, and the background when they are
// equal (no events included).
class VxCountPainter
{
public:
    struct Colours
    {
        QRgb on;
        QRgb off;
        QRgb background;
    };

    // `counts` holds `countsWidth` pixels a row, each as its OFF count then its ON count. Paints
    // the whole of `image`, which must be Format_RGB32 and no larger than the counts, row by row
    // into its own buffer.
    static void paint(const uint16_t* counts, int countsWidth, const Colours& colours, QImage& image);
};
