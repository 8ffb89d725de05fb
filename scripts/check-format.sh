#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it under .clang-format.
# The whole tree is kept formatted, so checking every file also checks every changed one.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
