#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds the platform
# and driver tests again with AddressSanitizer and UBSan and runs them too.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
BUILD_DIR="$root/build" "$root/scripts/build.sh"
(cd "$root/build" && ctest --output-on-failure --timeout 900)

BUILD_DIR="$root/build-asan" "$root/scripts/build.sh" -DTARVO_SANITIZE=ON -DTARVO_BUILD_VIEWER=OFF -DTARVO_BUILD_BENCH=OFF
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure --timeout 1800)
