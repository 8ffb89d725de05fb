#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need; only what is missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config clang-format git
    libgtest-dev libgmock-dev
    qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-svg-dev libqt6svg6
    libavcodec-dev libavformat-dev libavutil-dev libswscale-dev
    nlohmann-json3-dev
    xvfb xauth
    fonts-noto-cjk python3-fonttools
)

# One query for all of them: a second run of the README's commands should cost nothing here.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null |
    awk '$NF == "installed" && $(NF-1) == "ok" { print $1 }' || true)
missing=()
for package in "${packages[@]}"; do
    if ! grep -qxF "$package" <<<"$installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
