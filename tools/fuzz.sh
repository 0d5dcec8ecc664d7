#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer and
# runs each for a bounded number of inputs (FUZZ_RUNS, default 300000). A crash stops the
# script and leaves its input in build/fuzz.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-14-dev

build="$root/build/fuzz"
CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DVELMOR4_FUZZ=ON -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined \
    -fno-sanitize-recover=all" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz_frame fuzz_settings

runs="${FUZZ_RUNS:-300000}"
cd "$build"
mkdir -p corpus/frame corpus/settings
cp "$root"/tests/fuzz/seeds/* corpus/settings/
for target in frame settings; do
    echo "fuzz_$target: $runs inputs" >&2
    "./tests/fuzz/fuzz_$target" -runs="$runs" -max_len=4096 -print_final_stats=1 \
        "corpus/$target" 2>&1 | grep -E '^(stat::number_of_executed_units|Done|==)' || true
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz_$target failed" >&2; exit 1; }
done
