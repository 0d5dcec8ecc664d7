#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64, makes the portable zip and the installer,
# and tests them under Wine against the Linux simulator reached as COM ports:
#   - the test programs that need no pseudo-terminal of their own, through CTest;
#   - the window against three simulated devices on COM21..COM23;
#   - the command-line table of tst_cli against velmor4_cli.exe from the unpacked zip;
#   - silent installs for the user alone and for all users, the installed velmor4_cli.exe, and
#     silent uninstalls that leave nothing behind.
# The first run builds Qt for Windows (tools/windows/qt.sh, tens of minutes); later runs reuse it.
# VELMOR4_QT_MINGW=PREFIX uses an existing Qt 5.15 MinGW kit instead.
set -euo pipefail
# Every failure says where it happened: some of the tools below fail without a word.
trap 'echo "tools/windows.sh: failed (status $?) at line $LINENO: $BASH_COMMAND" >&2' ERR
fail() { echo "tools/windows.sh: $*" >&2; exit 1; }
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/tools/packages.sh"
ensure_packages "${WINDOWS_PACKAGES[@]}"

qt="$(bash "$root/tools/windows/qt.sh")"
build="$root/build/windows"
host="$root/build/windows-host"
export WINEPREFIX="$root/build/wine-prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko download prompts: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
win() { winepath -w "$1" 2>/dev/null; }

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== Making the Wine prefix $WINEPREFIX" >&2
    wineboot -i >"$root/build/wineboot.log" 2>&1 || true
    wineserver -w  # the registry reaches its files when the server ends
    [ -f "$WINEPREFIX/system.reg" ] \
        || { tail -n 20 "$root/build/wineboot.log" >&2; fail "Wine could not make its prefix"; }
fi
# One server for every Wine process of this run, until the end; what it prints (object dumps
# among it) goes to a log, not into the output of the programs that happen to start it.
wineserver -k >/dev/null 2>&1 || true
wineserver -p >"$root/build/wineserver.log" 2>&1
# Wine keeps the host's QT_* variables from Windows programs; these reach them through the
# prefix's own environment: no display is needed, and the offscreen platform finds fonts.
wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /t REG_SZ /d offscreen /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /t REG_SZ /d 'C:\windows\Fonts' /f >/dev/null 2>&1

echo "== Linux simulator and command-line test: $host" >&2
cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$host" -j"$(nproc)" --target velmor4_devsim tst_cli

# The window's devices: a plain one with its memory in a file, one that spoils its first
# reply, one that hangs up after its fifth request.
state="$build/devices/com21.bin"
mkdir -p "$build/devices"
rm -f "$state"
start_device() {
    local com="$1"
    shift
    "$host/devsim/velmor4_devsim" --link "$WINEPREFIX/dosdevices/$com" "$@" \
        >"$build/devices/$com.out" 2>&1 &
    pids+=($!)
}
start_device com21 --state "$state"
start_device com22 --corrupt 1
start_device com23 --disconnect-after 5
for _ in $(seq 50); do
    [ -f "$state" ] && [ -s "$build/devices/com23.out" ] && break
    sleep 0.1
done

echo "== Windows build: $build (Qt in $qt)" >&2
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DQT_MINGW_PREFIX="$qt" -DCMAKE_BUILD_TYPE=Release \
    -DVELMOR4_TEST_PORTS=COM21,COM22,COM23 -DVELMOR4_TEST_STATE="$(win "$state")" >/dev/null
cmake --build "$build" -j"$(nproc)"

# The test programs find the Qt and MinGW libraries through Wine's PATH.
runtime="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
export WINEPATH="$(win "$qt/bin");$(win "$runtime");$(win /usr/x86_64-w64-mingw32/lib)"
echo "== Tests under Wine" >&2
(cd "$build" && ctest --output-on-failure)
unset WINEPATH

echo "== Packaging" >&2
(cd "$build" && cpack -B "$build/packages" >/dev/null)
zip="$build/packages/velmor4-util-1.0-win64.zip"
setup="$build/packages/velmor4-util-1.0-win64-setup.exe"
[ -f "$zip" ] && [ -f "$setup" ] || { echo "cpack made no zip or no installer" >&2; exit 1; }

# The zip alone must be enough: its programs run with nothing else on Wine's PATH.
unpacked="$build/zip-test"
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && unzip -q "$zip")
portable="$unpacked/velmor4-util-1.0-win64"
wine "$portable/velmor4_cli.exe" --version
echo "== Command-line table against the zip's velmor4_cli.exe" >&2
VELMOR4_CLI_EMULATOR="$(command -v wine)" VELMOR4_CLI="$portable/velmor4_cli.exe" \
    VELMOR4_DOSDEVICES="$WINEPREFIX/dosdevices" QT_QPA_PLATFORM=offscreen \
    "$host/tests/tst_cli"

# A port spelt as Windows spells it, and what Wine costs: start-up, a timeout, a paced flash.
cli="$portable/velmor4_cli.exe"
[ "$(wine "$cli" -p '\\.\COM21' version)" = "1.05" ] || { echo "\\.\COM21 did not answer" >&2; exit 1; }
start_device com24 --silent
start_device com25 --baud 9600
sleep 0.5
head -c 4096 /dev/zero >"$build/devices/4k.bin"
seconds() {
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    t1=$(date +%s.%N)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }'
}
echo "Wine timings: --version $(seconds wine "$cli" --version) s;" \
    "--timeout 500 on a silent device $(seconds wine "$cli" -p COM24 --timeout 500 version) s;" \
    "4 chunks at 9600 baud $(seconds wine "$cli" -p COM25 flash "$build/devices/4k.bin") s" \
    "(4.35 s on the line)" >&2

echo "== Installer: for the user alone and for all users, silent, then uninstalled" >&2
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmor4 util'
unix_path() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')" 2>/dev/null; }
# switch, folder, registry hive that must hold the entry, the other one, Start-menu folder
check_installer() {
    local switch="$1" dir="$2" hive="$3" other="$4" menu="$5/Velmor4 util 1.0"
    local mode="${switch:-run as administrator}"
    wine "$setup" /S $switch
    [ "$(wine "$dir/velmor4_cli.exe" --version | tr -d '\r')" = "velmor4_cli 1.0" ] \
        || fail "$mode: the installed velmor4_cli.exe did not run from $dir"
    [ -f "$menu/Velmor4 util.lnk" ] || fail "$mode: no Start-menu entry in $menu"
    wine reg query "$hive\\$key" 2>/dev/null | grep -q "DisplayName.*Velmor4 util 1.0" \
        || fail "$mode: no entry among the installed programs in $hive"
    ! wine reg query "$other\\$key" >/dev/null 2>&1 || fail "$mode: an entry in $other too"
    wine "$dir/Uninstall.exe" /S
    # The uninstaller runs on from a copy of itself; wait until it has removed the folder.
    for _ in $(seq 100); do
        [ -e "$dir" ] || break
        sleep 0.2
    done
    [ ! -e "$dir" ] || fail "$mode: the uninstaller left $dir: $(ls "$dir")"
    ! wine reg query "$hive\\$key" >/dev/null 2>&1 || fail "$mode: the uninstaller left its entry"
    [ ! -e "$menu" ] || fail "$mode: the uninstaller left the Start-menu entry"
    echo "Installer, $mode: installed in $(win "$dir"), ran velmor4_cli.exe, uninstalled" >&2
}
check_installer /CurrentUser "$(unix_path LOCALAPPDATA)/Programs/Velmor4 util" HKCU HKLM \
    "$(unix_path APPDATA)/Microsoft/Windows/Start Menu/Programs"
check_installer "" "$WINEPREFIX/drive_c/Program Files/Velmor4 util" HKLM HKCU \
    "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"

echo "Portable zip: $zip"
echo "Installer:    $setup"
