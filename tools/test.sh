#!/usr/bin/env bash
# Builds everything and runs every test. With VELMOR4_SANITIZE=1 the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer and stops at the first error.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}"

build="$root/build/tests"
flags=""
if [ "${VELMOR4_SANITIZE:-0}" = 1 ]; then
    build="$root/build/sanitize"
    flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
