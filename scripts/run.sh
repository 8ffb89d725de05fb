#!/usr/bin/env bash
# Installs what is missing, builds the viewer and the command line, makes the demo recording in
# the default recordings folder when it is missing or stale, and starts the viewer playing it.
# A second run finds everything in place and starts the viewer within seconds.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/install-deps.sh"
BUILD_DIR="$root/build" BUILD_TARGETS="TarvoScope tarvo" "$root/scripts/build.sh"
demo=$("$root/scripts/demo.sh")

echo "Playing the demo recording $demo"
exec "$root/build/viewer/TarvoScope" "$demo"
