#!/usr/bin/env bash
# Configures and builds the project into BUILD_DIR (default: build) with the given extra CMake
# arguments; BUILD_TARGETS (space-separated) builds only those targets. A ccache on the machine is
# used when present; the build does not need it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
arguments=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@")

# Configuring a configured tree again with the same arguments takes a second and changes
# nothing: the build re-runs CMake by itself when a CMakeLists.txt has changed.
stamp="$build_dir/.configured-with"
if [ ! -f "$build_dir/build.ninja" ] || [ "$(cat "$stamp" 2>/dev/null)" != "${arguments[*]}" ]; then
    cmake -S "$root" -B "$build_dir" "${arguments[@]}"
    printf '%s\n' "${arguments[*]}" >"$stamp"
fi

targets=()
for target in ${BUILD_TARGETS:-}; do
    targets+=(--target "$target")
done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
