#!/usr/bin/env bash
# Makes the Debian packages from a build and passes them, with the desktop
# entry and the AppStream file, through the validators a distribution uses:
# no error and no warning may remain. Usage: packaging/verifier_paquet.sh [build]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
rm -f "$build"/solvenare_*.deb "$build"/solvenare-dbgsym_*.ddeb
(cd "$build" && cpack -G DEB >/dev/null)

echo "lintian:"
# Info and pedantic tags are listed too; an error or a warning fails.
lintian --fail-on error,warning --display-level '>=pedantic' \
    "$build"/solvenare_*_amd64.deb "$build"/solvenare-dbgsym_*_amd64.ddeb 2>&1 |
    sed '/running with root privileges/d'

echo "appstreamcli:"
# --no-net: the project's site is not reached from CI; its addresses are
# checked for form only.
appstreamcli validate --pedantic --no-net packaging/org.solvenare.solvenare.metainfo.xml

echo "desktop-file-validate:"
desktop-file-validate packaging/solvenare.desktop packaging/solvenare-journee.desktop \
    packaging/solvenare-archive.desktop
echo "The packages, the desktop entries and the AppStream file pass."
