#!/usr/bin/env bash
# Builds the program if needed, starts the device simulator and the program pointed at it.
# Without a display the program runs under Xvfb for a few seconds and leaves a screenshot.
# Extra arguments go to the simulator (see velmor4_devsim --help).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"

headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    headless=1
    echo "No display found: running under Xvfb and saving a screenshot instead." >&2
    ensure_packages "${BUILD_PACKAGES[@]}" xvfb xauth imagemagick
else
    ensure_packages "${BUILD_PACKAGES[@]}"
fi

build="$root/build/app"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target velmor4_util velmor4_devsim

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

# The simulator keeps its memory in build/app, so settings and firmware survive restarts.
out="$build/devsim.out"
"$build/devsim/velmor4_devsim" --state "$build/devsim-state.bin" "$@" >"$out" &
pids+=($!)
pty=""
for _ in $(seq 50); do
    pty="$(head -n 1 "$out" 2>/dev/null || true)"
    [ -n "$pty" ] && break
    sleep 0.1
done
[ -n "$pty" ] || { echo "The simulator did not start." >&2; exit 1; }
echo "Simulated device on $pty" >&2

if [ "$headless" = 1 ]; then
    display=":$((90 + RANDOM % 100))"
    # 96 DPI: the window at 100 %, as large as the screenshot's frame.
    Xvfb "$display" -screen 0 800x600x24 -dpi 96 >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
    DISPLAY="$display" "$build/velmor4_util" --port "$pty" &
    app=$!
    pids+=($app)
    sleep "${VELMOR4_SHOT_DELAY:-3}"
    DISPLAY="$display" import -window root -crop 450x520+0+0 +repage "$root/build/screenshot.png"
    echo "Screenshot: $root/build/screenshot.png" >&2
    kill "$app"
else
    "$build/velmor4_util" --port "$pty"
fi
