#pragma once

#include "TarvoSim/SyntheticScene.h"
#include "TarvoSim/tarvosim_export.h"

#include <cstdint>
#include <string>

namespace tarvo::sim {

// What writeSyntheticRecording() puts in a file: the scene, its span of event time, the serial.
struct RecordingRecipe
{
    SceneOptions scene;
    uint64_t startUs = 1000000; // event time of the first event, as if the camera had run a while
    uint64_t durationUs = 1000000;
    uint64_t minBytes = 0; // when non-zero, goes on past durationUs until the file is this large
    std::string serialNumber = "SYNTH";
};

struct SyntheticRecordingResult
{
    bool written = false; // false: the file could not be created or written
    uint64_t events = 0;
    uint64_t triggers = 0;
    uint64_t bytes = 0;
    uint64_t endUs = 0; // event time at the end of the payload
};

// Writes a RAW recording (header, then EVT 3.0 words with TIME_HIGH repeated every 16 µs) of
// a synthetic scene, a slice of scene time at a time so that memory stays small.
TARVOSIM_EXPORT SyntheticRecordingResult writeSyntheticRecording(const std::string& path,
                                                                 const RecordingRecipe& recipe);

} // namespace tarvo::sim
