#!/bin/sh
# Installs the build into a scratch prefix and starts the installed launcher
# as a user would: it must make the user's folder with the links file and the
# manual, and the program must start and keep running there, whatever the
# path the launcher is called by; a second start must find it open; the
# menu's demonstration must run.
set -eu
build="$1"
ici="$(cd "$(dirname "$0")" && pwd)"
prefix="$(mktemp -d /tmp/solvenare-install-XXXXXX)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/solvenare bin/solvenare-lanceur bin/solvenare-simulateur \
         share/solvenare/SitesWeb.txt share/solvenare/Doc_Solvenare.pdf \
         share/applications/solvenare.desktop share/applications/solvenare-journee.desktop \
         share/applications/solvenare-archive.desktop bin/solvenare-journee bin/solvenare-archive \
         share/metainfo/org.solvenare.solvenare.metainfo.xml \
         share/icons/hicolor/scalable/apps/solvenare.svg \
         share/doc/solvenare/copyright share/doc/solvenare/changelog.gz; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
# Every program has its manual page in English and in French, compressed.
for programme in "$prefix"/bin/*; do
    nom="$(basename "$programme")"
    for page in "share/man/man1/$nom.1.gz" "share/man/fr/man1/$nom.1.gz"; do
        [ -f "$prefix/$page" ] || { echo "no manual page $page"; exit 1; }
    done
done
if find "$prefix/share/man" -name '*.1' | grep .; then
    echo "manual pages not compressed (above)"
    exit 1
fi
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$prefix/share/applications/solvenare.desktop"
fi

export SOLVENARE_DOSSIER="$prefix/home/Solvenare" QT_QPA_PLATFORM=offscreen
# Called by a relative path, from the folder above the installation.
status=0
(cd "$prefix/.." && timeout 8 "$(basename "$prefix")/bin/solvenare-lanceur") >/dev/null 2>&1 &
premier=$!
sleep 3
second=0
timeout 4 "$prefix/bin/solvenare-lanceur" >/dev/null 2>&1 || second=$?
wait "$premier" || status=$?
[ "$status" = 124 ] || { echo "the program did not keep running (exit $status)"; exit 1; }
[ "$second" = 0 ] || { echo "a second start did not find the program open (exit $second)"; exit 1; }
[ -f "$SOLVENARE_DOSSIER/SitesWeb.txt" ] || { echo "no links file in the user's folder"; exit 1; }
[ -f "$SOLVENARE_DOSSIER/Doc_Solvenare.pdf" ] || { echo "no manual in the user's folder"; exit 1; }

XDG_RUNTIME_DIR="$prefix/run" PATH="$prefix/bin:$PATH" \
    sh "$ici/essai_demonstration.sh" "$prefix/share/applications/solvenare.desktop"
echo "installation: launcher, user folder, second start and demonstration checked"
