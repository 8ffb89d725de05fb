#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything with warnings as errors and
# runs every test; then builds the platform and driver tests again with AddressSanitizer and
# UBSan and runs them too.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/install-deps.sh"
"$root/scripts/check-format.sh"

export QT_QPA_PLATFORM=offscreen
BUILD_DIR="$root/build" "$root/scripts/build.sh" -DTARVO_WERROR=ON
(cd "$root/build" && ctest --output-on-failure --parallel "$(nproc)" --timeout 900)

BUILD_DIR="$root/build-asan" "$root/scripts/build.sh" -DTARVO_WERROR=ON -DTARVO_SANITIZE=ON -DTARVO_BUILD_VIEWER=OFF -DTARVO_BUILD_BENCH=OFF
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --timeout 1800)
