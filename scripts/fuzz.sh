#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs one for a
# while: scripts/fuzz.sh [seconds] [target]. 60 seconds by default; the
# target is "reception" (the whole road through the window, the default),
# "trames" (the framer and the decoding alone, far faster) or "journee"
# (reading data files, their recomputation, CSV export and Langley fit). The seeds in
# fuzz/corpus/ are copied into build-fuzz/, where the inputs found are kept;
# the repository is never written to. Exits non-zero on any crash, leak,
# timeout or broken invariant; the input is left in build-fuzz/fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
target="${2:-reception}"
max_len=512
dict=fuzz/reception.dict
case "$target" in
    reception) ;;
    trames) max_len=1536 ;;
    journee) max_len=4096 dict=fuzz/journee.dict ;;
    *) echo "fuzz.sh: unknown target '$target' (reception, trames or journee)" >&2; exit 2 ;;
esac

scripts/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSOLVENARE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz --target "${target}_fuzz"

work=build-fuzz/fuzz-corpus/$target
artifacts=build-fuzz/fuzz-artifacts/
mkdir -p "$work" "$artifacts"
for seed in fuzz/corpus/$target/*; do
    [ -e "$work/${seed##*/}" ] || cp "$seed" "$work"/
done

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
exec build-fuzz/fuzz/${target}_fuzz \
    -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=10 \
    -detect_leaks=1 -dict="$dict" -artifact_prefix="$artifacts" \
    -print_final_stats=1 "$work"
