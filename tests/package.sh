#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a temporary root, runs every
# program in it with --version, validates the desktop entry and the AppStream metadata and runs
# lintian. A missing tool skips its check (exit 77 at the end); tools/test.sh installs them.
# Usage: package.sh <cpack> <build folder>
set -uo pipefail
cpack="$1"
build="$2"
skipped=0
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }
have() {
    command -v "$1" >/dev/null && return 0
    echo "SKIP: $1 is not installed, $2 not checked (tools/test.sh installs it)" >&2
    skipped=1
    return 1
}

have dpkg-deb "the package" || exit 77
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

(cd "$build" && "$cpack" -G DEB -B "$tmp/out") >"$tmp/cpack.log" 2>&1 \
    || { cat "$tmp/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb="$(ls "$tmp"/out/*.deb)"
echo "Package: $deb"
dpkg-deb -x "$deb" "$tmp/root" || exit 1
usr="$tmp/root/usr"

[ -x "$usr/bin/velmor4_util" ] || fail "velmor4_util is not in usr/bin"
for program in "$usr"/bin/*; do
    name="$(basename "$program")"
    out="$(QT_QPA_PLATFORM=offscreen "$program" --version 2>&1)" \
        || fail "$name --version exited with $?: $out"
    [[ "$out" == "$name "[0-9]* ]] || fail "$name --version printed '$out'"
    echo "$out"
    [ -f "$usr/share/man/man1/$name.1.gz" ] || fail "no manual page for $name"
done

desktop="$(ls "$usr"/share/applications/*.desktop)"
icon="$(sed -n 's/^Icon=//p' "$desktop")"
ls "$usr"/share/icons/hicolor/*/apps/"$icon".png >/dev/null 2>&1 || fail "no icon named $icon"
if have desktop-file-validate "the desktop entry"; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate $(basename "$desktop")"
fi
if have appstreamcli "the AppStream metadata"; then
    appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml || fail "appstreamcli"
fi
if have lintian "the package's policy"; then
    report="$(lintian --fail-on error "$deb" 2>&1)" || fail "lintian reports errors"
    grep -v 'running with root privileges' <<<"$report"
fi

[ "$failed" -eq 0 ] || exit 1
[ "$skipped" -eq 0 ] || exit 77
echo "Package checked."
