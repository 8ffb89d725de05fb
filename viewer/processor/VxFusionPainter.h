#pragma once

#include "TarvoBase/EventTypes.h"

#include <QImage>
#include <QRgb>

#include <cstdint>

// Paints the fusion view's event pictures into Format_BGR888 images: events laid over a frame,
// and per-pixel polarity counts.
class VxFusionPainter
{
public:
    struct Colours
    {
        QRgb on;
        QRgb off;
        QRgb background;
    };

    // Sets the pixel of each event to the ON or OFF colour, later events over earlier ones.
    // Mirrored, column x lands on width - 1 - x: recordings are stored mirrored against the frames,
    // and this keeps every column of the sensor on the picture. Events outside the image are left
    // out.
    static void paintEvents(const tarvo::Event2D* first, const tarvo::Event2D* last, bool mirrored,
                            const Colours& colours, QImage& image);

    // `counts` holds image.width() pixels a row, each as its OFF count then its ON count. A pixel
    // with ON events and at least as many ON as OFF takes the ON colour, one with more OFF than ON
    // the OFF colour, one without events the background.
    static void paintCounts(const uint16_t* counts, const Colours& colours, QImage& image);
};
