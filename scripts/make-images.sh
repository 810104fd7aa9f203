#!/usr/bin/env bash
# Builds tools/imagegen and redraws every compiled-in image into src/res, together with
# src/res/cellvue.qrc, their Simplified Chinese variants (src/res/zh_CN) and the desktop
# icon (src/res/hicolor). The images are committed; run this after changing the drawing.
# It needs fonts-liberation and fonts-wqy-microhei (scripts/bootstrap.sh installs both).
#
#   scripts/make-images.sh           redraw src/res
#   scripts/make-images.sh --check   draw into a scratch directory and fail when src/res
#                                    differs from what the generator draws now
#
# CELLVUE_IMAGEGEN_BUILD overrides the build directory of the generator.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${CELLVUE_IMAGEGEN_BUILD:-${TMPDIR:-/tmp}/cellvue-imagegen-build}
mode=write
case "${1:-}" in
  "") ;;
  --check) mode=check ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

# The tools directory configures on its own, so this needs neither Breakpad nor the rest
# of the project.
cmake -S "$here/tools" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target cellvue-imagegen -j2 >/dev/null
gen=$build/cellvue-imagegen

if [ "$mode" = write ]; then
  "$gen" "$here/src/res"
  exit 0
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$gen" "$scratch" >/dev/null
# Anti-aliasing can differ in the last bit between FreeType builds, so pixels are
# compared with a small tolerance rather than byte for byte.
status=0
while IFS= read -r -d '' f; do
  rel=${f#"$scratch"/}
  committed=$here/src/res/$rel
  if [ ! -f "$committed" ]; then
    echo "missing in src/res: $rel"; status=1; continue
  fi
  case "$rel" in
    *.qrc) cmp -s "$f" "$committed" || { echo "differs: $rel"; status=1; } ;;
    *)
      diff=$(compare -metric AE -fuzz 3% "$f" "$committed" null: 2>&1 || true)
      [ "$diff" = 0 ] || { echo "differs: $rel ($diff pixels)"; status=1; } ;;
  esac
done < <(find "$scratch" -type f -print0 | sort -z)
[ $status -eq 0 ] && echo "src/res matches the generator"
exit $status
