#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine.
# Runs apt-get only when something is missing, so repeated runs are quick.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    clang libclang-rt-14-dev
    libgtest-dev
    liberfa-dev
    qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
    xvfb xauth fonts-liberation2
    groff
    dpkg-dev file debootstrap
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
