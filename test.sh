#!/usr/bin/env bash
# Builds everything and runs every test. On CI (CI=true), or with
# SANITIZE=1, the whole suite then runs a second time, built with the address
# and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
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
fi
