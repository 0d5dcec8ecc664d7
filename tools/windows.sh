#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64, makes the portable zip, the installer and
# the MSI, signs them, and tests them under Wine against the Linux simulator reached as COM ports:
#   - the test programs that need no pseudo-terminal of their own, through CTest;
#   - the window against three simulated devices on COM21..COM23;
#   - the command-line table of tst_cli against velmor4_cli.exe from the unpacked zip;
#   - the signatures of both programs, the installer and the MSI;
#   - silent installs for the user alone and for all users, the installed velmor4_cli.exe, and
#     silent uninstalls that leave nothing behind;
#   - the MSI: a silent install, an upgrade from a package built as an older version, the older
#     one refused afterwards, the installer's all-users mode and the MSI refusing each other,
#     and a silent uninstall that leaves nothing behind.
# The first run builds Qt for Windows (tools/windows/qt.sh, tens of minutes); later runs reuse it.
# VELMOR4_QT_MINGW=PREFIX uses an existing Qt 5.15 MinGW kit instead.
# Signing: VELMOR4_SIGN_PFX (a PKCS#12 file), VELMOR4_SIGN_PASSWORD and, optionally,
# VELMOR4_SIGN_TIMESTAMP_URL sign with a certificate of one's own, checked against the CAs in
# VELMOR4_SIGN_CAFILE (default: the system's); without them a throw-away self-signed certificate
# made here signs, so that every run tests signing.
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

echo "== Packaging and signing" >&2
signing="$build/signing"
if [ -z "${VELMOR4_SIGN_PFX:-}" ]; then
    # A code-signing certificate for this run alone, its own CA.
    rm -rf "$signing"
    mkdir -p "$signing"
    openssl req -x509 -newkey rsa:3072 -sha256 -days 2 -nodes -subj "/CN=Velmor4 util test" \
        -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
        -addext "extendedKeyUsage=codeSigning" -keyout "$signing/key.pem" -out "$signing/cert.pem" \
        2>"$signing/openssl.log" \
        || { cat "$signing/openssl.log" >&2; fail "openssl made no certificate"; }
    export VELMOR4_SIGN_PASSWORD="$(openssl rand -hex 16)"
    openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" \
        -out "$signing/test.pfx" -passout env:VELMOR4_SIGN_PASSWORD
    export VELMOR4_SIGN_PFX="$signing/test.pfx"
    cafile="$signing/cert.pem"
    signer="a throw-away test certificate"
else
    cafile="${VELMOR4_SIGN_CAFILE:-/etc/ssl/certs/ca-certificates.crt}"
    signer="$VELMOR4_SIGN_PFX"
fi
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
(cd "$build" && cpack -B "$build/packages" >/dev/null)
zip="$build/packages/velmor4-util-$version-win64.zip"
setup="$build/packages/velmor4-util-$version-win64-setup.exe"
msi="$build/packages/velmor4-util-$version-win64.msi"
[ -f "$zip" ] && [ -f "$setup" ] && [ -f "$msi" ] || fail "cpack made no zip, installer or MSI"

# The zip alone must be enough: its programs run with nothing else on Wine's PATH.
unpacked="$build/zip-test"
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && unzip -q "$zip")
portable="$unpacked/velmor4-util-$version-win64"
wine "$portable/velmor4_cli.exe" --version

# Authenticode with SHA-256, by the certificate given, on the programs inside the packages too.
msi_files="$build/msi-test"
rm -rf "$msi_files"
msiextract -C "$msi_files" "$msi" >/dev/null
verify_signed() {
    for f in "$@"; do
        osslsigncode verify -CAfile "$cafile" -in "$f" >"$build/verify.log" 2>&1 \
            && grep -q "^Signature verification: ok" "$build/verify.log" \
            && grep -q "^Message digest algorithm: SHA256" "$build/verify.log" \
            || { cat "$build/verify.log" >&2; fail "$f: not signed with SHA-256 by $signer"; }
    done
}
verify_signed "$setup" "$msi" "$portable/velmor4_util.exe" "$portable/velmor4_cli.exe" \
    "$msi_files/Velmor4 util/velmor4_util.exe" "$msi_files/Velmor4 util/velmor4_cli.exe"
echo "Signed by $signer: the installer, the MSI, and both programs in the zip and the MSI" >&2
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
msi_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
# An MSI's entry among the installed programs, by its product code; empty when there is none
# (reg's complaint comes on standard output).
msi_entry() {
    local entry
    entry="$(wine reg query "HKLM\\${key%\\*}\\$1" 2>&1)" && tr -d '\r' <<<"$entry" || true
}
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
    if [ "$hive" = HKLM ]; then
        # The MSI would install into the same folder: it stops (1603, 67 as a Unix status).
        wine msiexec /i "$(win "$msi")" /qn && status=0 || status=$?
        [ "$status" = 67 ] || fail "$mode: the MSI installed over the setup (status $status)"
        [ -z "$(msi_entry "$(msi_code "$msi")")" ] || fail "$mode: the MSI left an entry"
    fi
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

echo "== MSI: installed, upgraded from an older build, a downgrade refused, uninstalled" >&2
# The same files packed as version 0.9: an older build as Windows Installer sees it.
older="$build/older"
rm -rf "$older"
(cd "$build" && cpack -G ZIP -D CPACK_PACKAGE_VERSION=0.9 \
    -D CPACK_PACKAGE_FILE_NAME=velmor4-util-0.9-win64 -B "$older" >/dev/null)
old_msi="$older/velmor4-util-0.9-win64.msi"
[ -f "$old_msi" ] || fail "cpack made no MSI as version 0.9"
old_code="$(msi_code "$old_msi")"
code="$(msi_code "$msi")"
[ "$old_code" != "$code" ] || fail "two builds of the MSI share the product code $code"
dir="$WINEPREFIX/drive_c/Program Files/Velmor4 util"
# Wine's msiexec puts a per-machine package's Start-menu entry in the user's own Start menu
# (it knows no all-users folders there); Windows puts it in all users'.
menu="$(unix_path APPDATA)/Microsoft/Windows/Start Menu/Programs/Velmor4 util.lnk"
wine msiexec /i "$(win "$old_msi")" /qn || fail "MSI 0.9: msiexec /i failed"
msi_entry "$old_code" | grep -q "DisplayVersion *REG_SZ *0.9" || fail "MSI 0.9: no entry"
wine msiexec /i "$(win "$msi")" /qn || fail "MSI $version: the upgrade failed"
[ -z "$(msi_entry "$old_code")" ] || fail "MSI $version: version 0.9 is still installed beside it"
entry="$(msi_entry "$code")"
for value in "DisplayName *REG_SZ *Velmor4 util$" "DisplayVersion *REG_SZ *$version$" \
    "Publisher *REG_SZ *Velmor4$" "InstallLocation *REG_SZ *C:.Program Files.Velmor4 util"; do
    grep -q "$value" <<<"$entry" || fail "MSI $version: the uninstall entry lacks /$value/: $entry"
done
[ "$(wine "$dir/velmor4_cli.exe" --version | tr -d '\r')" = "velmor4_cli $version" ] \
    || fail "MSI $version: the installed velmor4_cli.exe did not run from $dir"
[ -f "$menu" ] || fail "MSI $version: no Start-menu entry $menu"
# A downgrade stops (1603, 67 as a Unix status), and so does the installer's all-users mode
# (1638, 102), each leaving the installed version as it was.
wine msiexec /i "$(win "$old_msi")" /qn && status=0 || status=$?
[ "$status" = 67 ] && [ -z "$(msi_entry "$old_code")" ] \
    || fail "MSI 0.9 over $version: not refused (status $status)"
wine "$setup" /S /AllUsers && status=0 || status=$?
[ "$status" = 102 ] || fail "the installer's all-users mode installed over the MSI (status $status)"
! wine reg query "HKLM\\$key" >/dev/null 2>&1 || fail "the refused installer left its entry"
[ "$(wine "$dir/velmor4_cli.exe" --version | tr -d '\r')" = "velmor4_cli $version" ] \
    || fail "MSI $version: gone after the refused downgrade and installer"
wine msiexec /x "$(win "$msi")" /qn || fail "MSI $version: msiexec /x failed"
[ ! -e "$dir" ] || fail "MSI $version: the uninstall left $dir: $(ls "$dir")"
[ ! -e "$menu" ] || fail "MSI $version: the uninstall left the Start-menu entry"
[ -z "$(msi_entry "$code")" ] || fail "MSI $version: the uninstall left its entry"
! wine reg query 'HKLM\Software\Velmor4' >/dev/null 2>&1 \
    || fail "MSI $version: the uninstall left HKLM\Software\Velmor4"
echo "MSI: 0.9 installed, upgraded in place to $version, 0.9 and the installer refused," \
    "ran velmor4_cli.exe, uninstalled" >&2

echo "Portable zip: $zip"
echo "Installer:    $setup"
echo "MSI:          $msi"
