#pragma once

#include "TarvoBase/CalibratorParameters.h"
#include "TarvoBase/tarvobase_export.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

// The calibration record as JSON: an object with the whole numbers "dvsWidth", "dvsHeight",
// "apsWidth", "apsHeight" (1 to 65535) and "transforms", an object of number arrays that holds
// at least "0" and "1" with six values or more each; any other key is kept in `extras`. Text that
// nests deeper than 32 levels is refused.
//
// Each function returns whether it succeeded. On failure it logs why and leaves `params` (or
// the file at `path`) as it was; it never throws.

// Reads a calibration file (a regular file of at most 1 MiB).
TARVOBASE_EXPORT bool jsonFileToParam(const std::string& path, CalibratorParameters& params);

// Reads calibration JSON held in memory, as a camera hands its stored block over; zero bytes
// after the text (a padded block) are ignored.
TARVOBASE_EXPORT bool jsonDataToParam(const std::vector<uint8_t>& bytes, CalibratorParameters& params);

// Writes a calibration file that jsonFileToParam reads back to the same record. The text goes
// to a new file beside `path` that then replaces it, so a failed write leaves the old file whole.
// A record that could not be read back (a zero size, a missing or short "0" or "1" matrix, a
// value that is not finite, `extras` that is not a JSON object) is refused.
TARVOBASE_EXPORT bool paramToJsonFile(const CalibratorParameters& params, const std::string& path);

} // namespace tarvo
