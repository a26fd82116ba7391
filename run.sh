#!/usr/bin/env bash
# Builds everything, starts the photometer simulator and then the program.
# Without a display (a server over SSH, a container) the program runs on a
# virtual one: set DISPLAY to see the window. Choose the port "SIM0" in the
# program's port menu to talk to the simulator. The simulator shows the clear
# sky of the site's solar noon whatever the hour; with --ciel-reel it follows
# the clock instead (a night sky at night); with --continu it measures in
# continuous mode; with --sans-simulateur the program starts alone, for a real
# instrument. Other arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

simulateur=1
mode=simple
ciel=(--midi)
while [ $# -gt 0 ]; do
    case "$1" in
        --sans-simulateur) simulateur=0; shift ;;
        --continu) mode=continu; shift ;;
        --ciel-reel) ciel=(); shift ;;
        *) break ;;
    esac
done

# The program reads and writes its settings in the current directory.
mkdir -p build/run
cd build/run
[ -f SitesWeb.txt ] || cp ../../resources/SitesWeb.txt .
# The manual is rebuilt with the program: always the current one.
cp -f ../doc/Doc_Solvenare.pdf .

if [ "$simulateur" = 1 ]; then
    ../tools/simulator/solvenare-simulateur --nom SIM0 --mode "$mode" "${ciel[@]}" --discret </dev/null &
    pid_simulateur=$!
    trap 'kill "$pid_simulateur" 2>/dev/null || true' EXIT
    echo "Photometer simulator started: choose the port SIM0 in the port menu."
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting the program on a virtual one (xvfb-run)."
    xvfb-run -a ../app/solvenare "$@"
else
    ../app/solvenare "$@"
fi
