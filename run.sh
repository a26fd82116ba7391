#!/usr/bin/env bash
# Builds what it starts (the program, the photometer simulator, the day view
# the program opens with Ctrl+J, and the manual it copies), starts the
# simulator and then the program; the tests are ./test.sh's. Without a
# display (a server over SSH, a container) the program runs on a virtual one
# where nobody sees it: set DISPLAY to see the window. Choose the port "SIM0" in the
# program's port menu to talk to the simulator. The simulator shows the clear
# sky of the site's solar noon whatever the hour; with --ciel-reel it follows
# the clock instead (a night sky at night); with --continu it measures in
# continuous mode; with --sans-simulateur the program starts alone, for a real
# instrument. Other arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
echo "Construction du programme, du simulateur, de la vue de la journée, de l'archive et du manuel…"
echo "/ Building the program, the simulator, the day view, the archive and the manual…"
cmake --build build --target solvenare solvenare-simulateur solvenare-journee solvenare-archive manuel

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
    echo "Simulateur de photomètre démarré : choisissez le port SIM0 dans le menu des ports."
    echo "/ Photometer simulator started: choose the port SIM0 in the port menu."
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Pas d'écran : le programme tourne sur un écran virtuel (xvfb-run) où personne ne le"
    echo "voit ; définissez DISPLAY pour voir sa fenêtre, Ctrl+C pour l'arrêter."
    echo "/ No display: the program runs on a virtual one (xvfb-run) where nobody sees it;"
    echo "set DISPLAY to see its window, Ctrl+C to stop it."
    xvfb-run -a ../app/solvenare "$@"
else
    ../app/solvenare "$@"
fi
