#!/bin/bash
# Brings translations/velmor4_ru.ts up to date with the texts in the code and the form: a new
# text comes in unfinished, for Qt Linguist; a text no longer used goes. Given a file name,
# updates a copy there instead and leaves the committed file alone (the test compares them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
committed=$root/translations/velmor4_ru.ts
ts=${1:-$committed}
lupdate=/usr/lib/qt5/bin/lupdate
[ -x "$lupdate" ] || lupdate=lupdate
[ "$ts" = "$committed" ] || cp "$committed" "$ts"
cd "$root"
"$lupdate" -silent -locations none -no-obsolete -extensions cpp,h,ui -I "$root" \
    app cli firmware link params translations -ts "$ts"
