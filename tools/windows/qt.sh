#!/usr/bin/env bash
# Builds Qt for x86_64-w64-mingw32 with posix threads, once, into a cache folder outside the
# repository, and prints the kit's prefix on standard output: qtbase 5.15.8 (Debian's source) in a
# prefix of its own, then a copy of it with Qt SerialPort 5.15.15 added. A new Qt SerialPort thus
# rebuilds only itself (seconds), not qtbase (half an hour on two cores).
#
#   VELMOR4_QT_MINGW=DIR   use an existing Qt 5.15 MinGW kit (Qt installer, MSYS2): build nothing
#   VELMOR4_CACHE=DIR      where the toolchain is kept (default ~/.cache/velmor4)
#   QT_SERIALPORT_TARBALL  the Qt SerialPort source (default: the one in ../shared/third_party)
#
# qtbase comes from Debian's source package, fetched through a deb-src list made at run time from
# this machine's own apt sources, in a private apt folder: the system's apt is left alone.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/tools/packages.sh"

if [ -n "${VELMOR4_QT_MINGW:-}" ]; then
    for f in bin/Qt5Core.dll bin/Qt5SerialPort.dll lib/cmake/Qt5/Qt5Config.cmake; do
        [ -e "$VELMOR4_QT_MINGW/$f" ] || { echo "VELMOR4_QT_MINGW: no $f in $VELMOR4_QT_MINGW" >&2; exit 1; }
    done
    echo "$VELMOR4_QT_MINGW"
    exit 0
fi

qt_version=5.15.8
# From 5.15.11 on, the Windows backend is the overlapped-I/O notifier again, the one Qt settled on.
serialport_version=5.15.15
serialport_sha256=56fc07da541b6d4c5b299206bd342615fcc405612c2128cf59d79dcdd84ef4cc
triplet=x86_64-w64-mingw32
cache="${VELMOR4_CACHE:-$HOME/.cache/velmor4}"
base="$cache/qtbase-$qt_version-$triplet-posix"
prefix="$cache/qt-$qt_version-serialport-$serialport_version-$triplet-posix"
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

ensure_packages "${WINDOWS_PACKAGES[@]}"
tarball="${QT_SERIALPORT_TARBALL:-$root/../shared/third_party/qtserialport-everywhere-src-$serialport_version.tar.xz}"
[ -f "$tarball" ] || { echo "No Qt SerialPort source at $tarball (set QT_SERIALPORT_TARBALL)" >&2; exit 1; }
echo "$serialport_sha256  $tarball" | sha256sum -c --quiet - >&2 \
    || { echo "$tarball: sha256 differs from $serialport_sha256" >&2; exit 1; }

work="$cache/work-$qt_version"
mkdir -p "$work"
start=$(date +%s)
log() { echo "[qt.sh $(($(date +%s) - start)) s] $*" >&2; }

# The posix-thread compilers under the plain names that Qt's mkspec asks for.
mkdir -p "$work/bin"
for tool in gcc g++; do
    ln -sf "$(command -v $triplet-$tool-posix)" "$work/bin/$triplet-$tool"
done
export PATH="$work/bin:$PATH"

qtbase_src="$work/qtbase-src"
if [ ! -f "$work/.qtbase-fetched" ]; then
    log "fetching the Debian source of qtbase $qt_version"
    apt="$work/apt"
    rm -rf "$apt" "$qtbase_src"
    mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$work/fetch"
    : >"$apt/sources.list"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt/sources.list"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt/sources.list.d/$(basename "$f")"
    done
    opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
          -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=root")
    apt-get "${opts[@]}" update -qq >&2
    (cd "$work/fetch" && rm -rf ./* && apt-get "${opts[@]}" source -qq "qtbase-opensource-src" >&2)
    dir="$(find "$work/fetch" -maxdepth 1 -type d -name "qtbase-opensource-src-$qt_version*" | head -n 1)"
    [ -n "$dir" ] || { echo "The Debian source of qtbase is not $qt_version" >&2; exit 1; }
    mv "$dir" "$qtbase_src"
    touch "$work/.qtbase-fetched"
fi

# A copied prefix: qmake takes its paths from a qt.conf beside it (CMake's files are relative).
relocate() {
    printf '[Paths]\nPrefix=..\n' >"$1/bin/qt.conf"
}

jobs="$(nproc)"
# A kit from before qtbase had a prefix of its own: its qtbase, without the serial port module.
old="$cache/qt-$qt_version-serialport-$qt_version-$triplet-posix"
if [ ! -f "$base/.complete" ] && [ -f "$old/.complete" ]; then
    log "taking qtbase from $old"
    rm -rf "$base"
    cp -a "$old" "$base"
    rm -rf "$base/.complete" "$base"/include/QtSerialPort "$base"/lib/cmake/Qt5SerialPort \
        "$base"/bin/Qt5SerialPort* "$base"/lib/libQt5SerialPort* "$base"/lib/Qt5SerialPort* \
        "$base"/lib/pkgconfig/Qt5SerialPort* "$base"/mkspecs/modules/qt_lib_serialport*
    relocate "$base"
    touch "$base/.complete"
fi
if [ ! -f "$base/.complete" ]; then
    log "configuring qtbase for $triplet"
    rm -rf "$work/qtbase-build"
    mkdir -p "$work/qtbase-build"
    # wintab is left out of Debian's tarball, so tablet events go too.
    (cd "$work/qtbase-build" && "$qtbase_src/configure" -prefix "$base" \
        -xplatform win32-g++ -device-option CROSS_COMPILE=$triplet- \
        -opensource -confirm-license -release -shared -strip \
        -nomake examples -nomake tests -make libs -make tools \
        -opengl no -no-dbus -no-feature-sql -no-feature-tabletevent \
        -no-openssl -no-icu -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz \
        >"$work/qtbase-configure.log" 2>&1) \
        || { tail -n 40 "$work/qtbase-configure.log" >&2; exit 1; }
    log "building qtbase (tens of minutes on two cores)"
    (cd "$work/qtbase-build" && make -j"$jobs" >"$work/qtbase-build.log" 2>&1 && make install >>"$work/qtbase-build.log" 2>&1) \
        || { tail -n 40 "$work/qtbase-build.log" >&2; exit 1; }
    mkdir -p "$base/licenses"
    cp "$qtbase_src"/LICENSE.LGPL3 "$qtbase_src"/LICENSE.GPL3 "$qtbase_src"/LICENSE.GPL2 \
        "$base/licenses/" 2>/dev/null || cp "$qtbase_src"/LICENSE.* "$base/licenses/"
    rm -rf "$work/qtbase-build"
    touch "$base/.complete"
fi

log "building qtserialport $serialport_version into a copy of qtbase"
rm -rf "$prefix"
cp -a "$base" "$prefix"
rm -f "$prefix/.complete"
relocate "$prefix"
rm -rf "$work/serialport-src" "$work/serialport-build"
mkdir -p "$work/serialport-src" "$work/serialport-build"
tar -xf "$tarball" -C "$work/serialport-src" --strip-components=1
# A git archive carries no generated headers: make them as a release tarball would have them.
(cd "$work/serialport-src" && perl "$qtbase_src/bin/syncqt.pl" -version "$serialport_version" \
    -outdir "$work/serialport-src" "$work/serialport-src" >"$work/serialport-build.log" 2>&1)
(cd "$work/serialport-build" && "$prefix/bin/qmake" "$work/serialport-src" >>"$work/serialport-build.log" 2>&1 \
    && make -j"$jobs" >>"$work/serialport-build.log" 2>&1 && make install >>"$work/serialport-build.log" 2>&1) \
    || { tail -n 40 "$work/serialport-build.log" >&2; exit 1; }
[ -f "$prefix/include/QtSerialPort/QSerialPort" ] \
    || { echo "qtserialport installed no public headers" >&2; exit 1; }

touch "$prefix/.complete"
log "Qt for Windows is in $prefix"
rm -rf "$work/serialport-build"
echo "$prefix"
