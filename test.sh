#!/usr/bin/env bash
# Builds everything and runs every test. On CI (CI=true), or with
# SANITIZE=1, the whole suite then runs a second time, built with the address
# and undefined-behaviour sanitizers; the tests of the two threaded parts (the
# serial layer with its thread base, and the photometer simulator) run under
# the thread sanitizer; and the fuzzers run for a while each. On CI, or with
# PAQUET=1, the Debian packages, the desktop entry and the AppStream file go
# through lintian, appstreamcli and desktop-file-validate. On CI, or with
# FRESH_MACHINE=1, the Debian package is finally installed and started on a
# fresh Debian system, with the menu's demonstration.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
# Where they matter the tests of a full disk and of a read-only folder must
# run: on CI a refused mount namespace fails them instead of skipping them.
if [ "${CI:-}" = true ]; then export SOLVENARE_EXIGER_MONTAGES=1; fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure --timeout 300 "$@"

if [ "${CI:-}" = true ] || [ "${SANITIZE:-}" = 1 ]; then
    echo "Again under AddressSanitizer and UndefinedBehaviorSanitizer:"
    cmake -S . -B build-sanitizers -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
    cmake --build build-sanitizers
    ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-sanitizers --output-on-failure --timeout 300 "$@"

    echo "Serial layer and simulator under ThreadSanitizer:"
    cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
    cmake --build build-tsan --target platform_tests link_tests tools_tests
    for t in platform/platform_tests link/link_tests tools/tools_tests; do
        TSAN_OPTIONS="halt_on_error=1 exitcode=66" "build-tsan/tests/$t" --gtest_brief=1
    done

    echo "Fuzzing (framer and packet handler, then data files):"
    scripts/fuzz.sh 60 reception
    scripts/fuzz.sh 30 trames
    scripts/fuzz.sh 20 journee
fi

if [ "${CI:-}" = true ] || [ "${PAQUET:-}" = 1 ]; then
    packaging/verifier_paquet.sh build
fi

if [ "${CI:-}" = true ] || [ "${FRESH_MACHINE:-}" = 1 ]; then
    scripts/deb-fresh-machine.sh build
fi
