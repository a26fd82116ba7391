#!/bin/sh
# The day's command line on a large generated data file, under an address-
# space limit: it must finish with exit 0 and a peak resident memory that does
# not depend on the file's size. Not run by ctest (minutes per run).
#
#   bench/journee_gros_fichier.sh [build/journee/solvenare-journee] [Mo] [limite Ko]
set -eu
programme=${1:-build/journee/solvenare-journee}
taille=${2:-1024}      # MB of data file
limite=${3:-600000}    # KB of address space (ulimit -v)
dossier=$(mktemp -d /tmp/solvenare-gros-XXXXXX)
trap 'rm -rf "$dossier"' EXIT INT TERM

# Series of a whole day at one record a second, as the program writes them
# (Windows-1252, CR LF): about 3.9 MB a series.
series=$(( (taille * 1024 * 1024 + 3900000) / 3900000 ))
LC_ALL=C awk -v series="$series" 'BEGIN {
    ORS = "\r\n"
    print "SOLVENARE"
    for (s = 0; s < series; s++) {
        print "-- Date     : Lundi 7 D\351cembre - "
        print "-- Photom\350tre n\2607 Logiciel v1,2"
        print "-- Pression : 1008 hPa"
        print "-- Angle d\47\351l\351vation solaire : 15 deg"
        print "ETALONNAGE"
        print "-- V0Vert  = 2,00V VnVert  = 0,01V"
        print "-- V0Rouge = 2,00V VnRouge = 0,01V"
        print "Mode;Heure;VVert;EOVert;VRouge;EORouge;Temp\351rature"
        for (t = 0; t < 86400; t++)
            printf "Simple;%02d:%02d:%02d  ;1,%03d;0,20;1,456;0,10;21\r\n", t / 3600, t / 60 % 60, t % 60, t % 1000
    }
}' >"$dossier/gros.txt"
echo "fichier : $(du -m "$dossier/gros.txt" | cut -f1) Mo, $series séries, limite $limite Ko ; charge : $(cut -d' ' -f1-3 /proc/loadavg)"

site="--site 45.764,4.8357,170 --fuseau UTC+1 --annee 2026"
for options in "--resume" "$site --resume" "$site --langley 08:30-11:30" "$site --csv $dossier/gros.csv"; do
    debut=$(date +%s)
    # shellcheck disable=SC2086
    ( ulimit -v "$limite"; /usr/bin/time -f "%M" -o "$dossier/memoire" "$programme" "$dossier/gros.txt" $options >/dev/null 2>"$dossier/erreurs" ) && code=0 || code=$?
    printf '%s : code %s, %s s, mémoire maximale %s Ko, %s ligne(s) sur la sortie d'"'"'erreur\n' "$options" "$code" "$(( $(date +%s) - debut ))" "$(tail -n 1 "$dossier/memoire")" "$(wc -l <"$dossier/erreurs")" | sed "s|$dossier/||"
    rm -f "$dossier/gros.csv"
done
