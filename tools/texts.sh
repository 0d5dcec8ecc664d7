#!/bin/bash
# Brings translations/velmor4_ru.ts up to date with the texts in the code and the form: a new
# text comes in unfinished, for Qt Linguist; a text no longer used goes.
#   tools/texts.sh          update the committed file
#   tools/texts.sh --check  fail if it is out of date or any text has no Russian (a test)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
committed=$root/translations/velmor4_ru.ts
lupdate=/usr/lib/qt5/bin/lupdate
[ -x "$lupdate" ] || lupdate=lupdate

update() {
    (cd "$root" && "$lupdate" -silent -locations none -no-obsolete -extensions cpp,h,ui \
        -I "$root" app cli firmware link params translations -ts "$1")
}

if [ "${1:-}" != --check ]; then
    update "$committed"
    exit
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$committed" "$work/velmor4_ru.ts"
update "$work/velmor4_ru.ts"
if ! diff -u "$committed" "$work/velmor4_ru.ts"; then
    echo "translations/velmor4_ru.ts is out of date with the code: run tools/texts.sh," \
         "translate the new texts in Qt Linguist (linguist translations/velmor4_ru.ts), commit"
    exit 1
fi
if grep -n -B3 'type="unfinished"\|<translation></translation>' "$committed"; then
    echo "the texts above have no Russian: translate them in Qt Linguist"
    exit 1
fi
