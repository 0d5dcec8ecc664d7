#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) from a release build, with Qt 5 or, with
# VELMOR4_QT=6, with Qt 6, and prints the command that installs it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"

qt="${VELMOR4_QT:-5}"
read -ra packages <<<"$(qt_packages "$qt")"
ensure_packages "${packages[@]}" dpkg-dev

build="$root/build/package-qt$qt"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DQT_MAJOR_VERSION="$qt" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB -B "$build" >/dev/null)
deb="$(ls "$build"/*.deb)"
echo "Built $deb"
echo "Install it with:  sudo apt install $deb"
