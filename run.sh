#!/usr/bin/env bash
# Builds everything and starts the program. Without a display (a server over
# SSH, a container), it runs on a virtual one: set DISPLAY to see the window.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
# The program reads and writes its settings in the current directory.
mkdir -p build/run
cd build/run
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting the program on a virtual one (xvfb-run)."
    exec xvfb-run -a ../app/solvenare "$@"
fi
exec ../app/solvenare "$@"
