#!/bin/sh
# Starts the desktop entry's « Démonstration » action as the menu does and
# checks that it runs: the simulator publishes its port, the program runs
# in the demonstration folder (a second start there finds it open), the
# user's own settings are left alone, and the simulator ends with the
# program. The programs are found on PATH.
# Usage: essai_demonstration.sh DESKTOP_ENTRY
set -eu
entree="$1"
commande="$(sed -n '/^\[Desktop Action Demonstration\]/,/^\[/s/^Exec=//p' "$entree")"
[ -n "$commande" ] || { echo "no Demonstration action in $entree"; exit 1; }
dossier="${SOLVENARE_DOSSIER:-$HOME/Solvenare}"
publies="${XDG_RUNTIME_DIR:+$XDG_RUNTIME_DIR/solvenare/ports}"
publies="${publies:-/tmp/solvenare-$(id -u)/ports}"
journal="$(mktemp)"
trap 'rm -f "$journal"' EXIT
export QT_QPA_PLATFORM=offscreen
echouer() { echo "demonstration: $1"; cat "$journal"; exit 1; }

# The menu runs the Exec line as words, without a shell.
# shellcheck disable=SC2086
timeout 10 $commande >"$journal" 2>&1 &
action=$!
i=0
until [ -e "$publies/DEMO" ]; do
    [ $i -lt 50 ] || echouer "the simulator's port DEMO was never published"
    sleep 0.1
    i=$((i + 1))
done
sleep 2
[ -f "$dossier/Démonstration/Parametres.txt" ] || echouer "no settings in the demonstration folder"
[ ! -e "$dossier/Parametres.txt" ] || echouer "the user's own settings were written"
deuxieme=0
(cd "$dossier/Démonstration" && timeout 5 solvenare) >/dev/null 2>&1 || deuxieme=$?
[ "$deuxieme" = 0 ] || echouer "the program is not running in the demonstration folder (exit $deuxieme)"

# The program ends (as when its window is closed): the simulator must end
# with it, and its port be withdrawn.
programme=""
for p in /proc/[0-9]*; do
    case "$(readlink "$p/exe" 2>/dev/null)" in */solvenare) ;; *) continue ;; esac
    [ "$(readlink "$p/cwd" 2>/dev/null)" = "$dossier/Démonstration" ] && programme="${p#/proc/}"
done
[ -n "$programme" ] || echouer "no program found in the demonstration folder"
kill "$programme"
status=0
wait "$action" || status=$?
[ "$status" != 124 ] || echouer "the launcher did not end with the program"
[ ! -e "$publies/DEMO" ] || echouer "the simulator did not end with the program"
echo "demonstration: the simulator and the program ran in $dossier/Démonstration"
