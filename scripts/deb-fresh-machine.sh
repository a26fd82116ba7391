#!/usr/bin/env bash
# Proves that the Debian package installs and starts on a fresh Debian
# machine: a minimal system is made with debootstrap, the package is
# installed there with apt (which must find every dependency it names), and
# the installed launcher is started by an ordinary user, then the menu
# entry's demonstration. Needs root (or sudo) and the Debian mirror.
# Usage: scripts/deb-fresh-machine.sh [build]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
if ! command -v debootstrap >/dev/null 2>&1; then
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq debootstrap >/dev/null
fi

(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/solvenare_*_amd64.deb)"

. /etc/os-release
root="$(mktemp -d /tmp/solvenare-fresh-XXXXXX)"
chmod 755 "$root"  # the root of the new system, which its users must enter
cleanup() {
    "${sudo[@]}" umount "$root/dev/pts" 2>/dev/null || true
    "${sudo[@]}" umount "$root/proc" 2>/dev/null || true
    "${sudo[@]}" rm -rf --one-file-system "$root" "$root.log"
}
trap cleanup EXIT

echo "Making a fresh $VERSION_CODENAME system..."
"${sudo[@]}" debootstrap --variant=minbase "$VERSION_CODENAME" "$root" \
    http://deb.debian.org/debian >"$root.log" 2>&1 || { cat "$root.log"; exit 1; }
rm -f "$root.log"
"${sudo[@]}" mount -t proc proc "$root/proc"
# The demonstration's simulator is a pseudo-terminal.
"${sudo[@]}" mount --bind /dev/pts "$root/dev/pts"
"${sudo[@]}" cp "$deb" "$root/tmp/solvenare.deb"
"${sudo[@]}" cp packaging/essai_demonstration.sh "$root/tmp/"

echo "Installing $(basename "$deb") there with apt..."
"${sudo[@]}" chroot "$root" sh -c 'apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends /tmp/solvenare.deb' \
    >"$root.log" 2>&1 || { cat "$root.log"; exit 1; }
rm -f "$root.log"

echo "Starting the installed launcher as an ordinary user..."
"${sudo[@]}" chroot "$root" sh -eu -c '
    useradd -m observateur
    for f in /usr/bin/solvenare /usr/bin/solvenare-simulateur; do
        if ldd "$f" | grep "not found"; then echo "$f: missing libraries"; exit 1; fi
    done
    status=0
    su observateur -c "cd && QT_QPA_PLATFORM=offscreen timeout 5 solvenare-lanceur" \
        >/dev/null 2>&1 || status=$?
    [ "$status" = 124 ] || { echo "the program did not keep running (exit $status)"; exit 1; }
    for f in SitesWeb.txt Doc_Solvenare.pdf; do
        [ -f /home/observateur/Solvenare/$f ] || { echo "no $f in the user folder"; exit 1; }
    done
    [ -f /usr/share/applications/solvenare.desktop ]
    [ -f /usr/share/metainfo/org.solvenare.solvenare.metainfo.xml ]
    echo "Starting the menu entry'"'"'s demonstration as that user..."
    su observateur -c "cd && sh /tmp/essai_demonstration.sh /usr/share/applications/solvenare.desktop"'
echo "The package installs, starts and runs its demonstration on a fresh $PRETTY_NAME."
