#!/usr/bin/env bash
# Brings src/translations/*.ts up to date with the sources: texts that are new or changed
# come in as unfinished, texts that are gone are dropped. Translate the unfinished ones
# (Qt Linguist, or the <translation> elements by hand) and build; tst_translation fails
# as long as one is left. tst_translation runs lupdate with the same options.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
lupdate=${LUPDATE:-/usr/lib/qt5/bin/lupdate}
[ -x "$lupdate" ] || lupdate=$(command -v lupdate)

cd "$top"
for ts in src/translations/*.ts; do
  # No source locations: they would change with every edit of a source file and make
  # the .ts a merge conflict between unrelated branches.
  "$lupdate" -silent -no-obsolete -locations none src -ts "$ts"
  left=$(grep -c 'type="unfinished"' "$ts" || true)
  echo "$ts: $left unfinished"
done
