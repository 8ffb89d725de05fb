#pragma once

#include <QString>

// The firmware a fusion camera needs, and how a camera's firmware text compares with it.
namespace VxFirmwareVersion {

// The oldest firmware the viewer works with.
inline constexpr const char* kRequiredDuet = "Duet_V1.7.2";

// Compares the versions in two firmware texts ("Duet_V1.7.10": a "V" followed by one to three
// dot-separated numbers, missing parts counting as 0) as version numbers: negative, 0 or positive
// as `version` is older than, equal to or newer than `reference`. False in `parsed` (and 0) when
// either text holds no version.
int compare(const QString& version, const QString& reference, bool* parsed = nullptr);

// Whether `version` is `kRequiredDuet` or newer; a text without a version is logged ("Cannot
// parse version from:") and counts as too old.
bool isUpToDate(const QString& version);

} // namespace VxFirmwareVersion
