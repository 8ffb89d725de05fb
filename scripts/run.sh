#!/usr/bin/env bash
# Installs what is missing, builds, makes sure a demo recording exists in the default input
# folder and starts the viewer, where File > Open Recording opens that folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/install-deps.sh"
BUILD_DIR="$root/build" "$root/scripts/build.sh"

documents=$(xdg-user-dir DOCUMENTS 2>/dev/null || true)
if [ -z "$documents" ] || [ "$documents" = "$HOME" ]; then
    documents="$HOME/Documents"
fi
demo_dir="$documents/TarvoData"
demo="$demo_dir/demo.raw"
mkdir -p "$demo_dir"
if [ ! -s "$demo" ]; then
    "$root/build/cli/tarvo" synth "$demo" --duration-us 10000000 --rate-mev 2 --trigger-hz 10 --seed 1
fi

echo "Demo recording: $demo (File > Open Recording in the viewer)"
exec "$root/build/viewer/TarvoScope"
