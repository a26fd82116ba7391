#!/bin/sh
# Installs the build into a scratch prefix and starts the installed launcher
# as a user would: it must make the user's folder with the links file and the
# manual, and the program must start and keep running there.
set -eu
build="$1"
prefix="$(mktemp -d /tmp/solvenare-install-XXXXXX)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/solvenare bin/solvenare-lanceur bin/solvenare-simulateur \
         share/solvenare/SitesWeb.txt share/solvenare/Doc_Solvenare.pdf \
         share/applications/solvenare.desktop share/metainfo/org.solvenare.solvenare.metainfo.xml \
         share/icons/hicolor/scalable/apps/solvenare.svg; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$prefix/share/applications/solvenare.desktop"
fi

dossier="$prefix/home/Solvenare"
status=0
SOLVENARE_DOSSIER="$dossier" QT_QPA_PLATFORM=offscreen timeout 3 "$prefix/bin/solvenare-lanceur" \
    >/dev/null 2>&1 || status=$?
[ "$status" = 124 ] || { echo "the program did not keep running (exit $status)"; exit 1; }
[ -f "$dossier/SitesWeb.txt" ] || { echo "no links file in the user's folder"; exit 1; }
[ -f "$dossier/Doc_Solvenare.pdf" ] || { echo "no manual in the user's folder"; exit 1; }
echo "installation: launcher, user folder and program checked"
