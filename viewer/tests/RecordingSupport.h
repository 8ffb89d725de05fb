#pragma once

#include "TarvoBase/EventTypes.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace RecordingSupport {

// What the header of a written recording says besides its start time.
struct Header
{
    uint16_t width = 1280;
    uint16_t height = 720;
    bool dated = true;      // a "% date" line (2026-01-01 00:00 UTC), or none
    QByteArray leadingLine; // written ahead of the header, as the fusion camera does
};

// Writes a RAW recording (text header, then EVT 3.0 words) holding `events`, which must be in
// time order; the header's start time is `startTime`. True on success.
bool writeRecording(const QString& path, const std::vector<tarvo::Event2D>& events, uint64_t startTime,
                    const Header& header = Header());

// One event every `stepUs` from `from` to `to` inclusive, on row 0, its column the number of
// the step (modulo the width), ON for even steps and OFF for odd ones. The number of lit pixels
// in a picture then tells how much event time it shows.
std::vector<tarvo::Event2D> tickEvents(uint64_t from, uint64_t to, uint64_t stepUs);

} // namespace RecordingSupport

namespace RecordingSupport {

// Writes `durationUs` of the synthetic moving scene (bars, row runs, noise, trigger pulses)
// starting at `startTime`, as a camera would record it. True on success.
bool writeSceneRecording(const QString& path, uint64_t startTime, uint64_t durationUs,
                         double eventsPerSecond);

} // namespace RecordingSupport
