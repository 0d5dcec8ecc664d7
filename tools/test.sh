#!/usr/bin/env bash
# Builds everything and runs every test, with Qt 5 and then with Qt 6 (VELMOR4_QT="5" or "6"
# picks one). With VELMOR4_SANITIZE=1 the Qt 5 build uses AddressSanitizer and
# UndefinedBehaviorSanitizer and stops at the first error.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"

versions="${VELMOR4_QT:-5 6}"
flags=""
if [ "${VELMOR4_SANITIZE:-0}" = 1 ]; then
    versions=5
    flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
fi
packages=()
for qt in $versions; do
    read -ra list <<<"$(qt_packages "$qt")"
    packages+=("${list[@]}")
done
ensure_packages "${packages[@]}" "${PACKAGE_TOOLS[@]}"

for qt in $versions; do
    build="$root/build/tests-qt$qt"
    [ -n "$flags" ] && build="$root/build/sanitize"
    echo "== Qt $qt: $build" >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQT_MAJOR_VERSION="$qt" \
        -DCMAKE_CXX_FLAGS="$flags" >/dev/null
    cmake --build "$build" -j"$(nproc)"
    (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
done
