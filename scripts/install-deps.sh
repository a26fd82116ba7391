#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine.
# Runs apt-get only when something is missing, so repeated runs are quick.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    clang libclang-rt-14-dev
    libgtest-dev
    liberfa-dev
    libsqlite3-dev sqlite3 libssl-dev
    qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
    gettext locales libc-l10n
    xvfb xauth fonts-liberation2
    groff
    dpkg-dev file debootstrap
    lintian appstream desktop-file-utils binutils
)

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "Installation / Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The French locale: the serial layer's French messages and the system's
# French error texts appear under it, and the tests of both switch to it.
if ! locale -a 2>/dev/null | grep -qix 'fr_FR\.utf-\?8'; then
    echo "Création de la locale / Generating the locale fr_FR.UTF-8"
    if ! grep -q '^fr_FR\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'fr_FR.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
    fi
    "${sudo[@]}" locale-gen >/dev/null
fi
