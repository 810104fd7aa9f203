#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop and a packager see
# there: both programs, the menu entry with its launcher and icon, the AppStream
# metadata and the manual pages, each accepted by its validator; and that the menu
# entry starts Cellvue in its data folder while a shell start keeps the shell's folder.
#
#   check-install-tree.sh BUILD_DIR [CMAKE]
set -uo pipefail
build=$1
cmake=${2:-cmake}
scratch=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$scratch"' EXIT
prefix=$scratch/usr
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

id=local.cellvue.Cellvue
entry=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
for f in bin/cellvue bin/cellvue-sim libexec/cellvue/start-from-menu; do
  [ -x "$prefix/$f" ] || fail "$f missing or not executable"
done

# The menu entry: valid, and pointing at things that exist in this very prefix.
out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ "$exec_line" = "$prefix/libexec/cellvue/start-from-menu" ] || fail "Exec=$exec_line is not the installed launcher"
icon=$(sed -n 's/^Icon=//p' "$entry")
for n in 16 22 24 32 48 64 128 256 512; do
  png=$prefix/share/icons/hicolor/${n}x${n}/apps/$icon.png
  if [ ! -f "$png" ]; then fail "icon $png missing"; continue; fi
  # Width and height of a PNG: big-endian words at bytes 16 and 20 of the IHDR chunk.
  size=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$size" = "${n}x${n}" ] || fail "$png is $size"
done

# The AppStream metadata: valid, naming the entry and the programs installed.
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo does not launch $id.desktop"
for b in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
  [ -x "$prefix/bin/$b" ] || fail "metainfo names binary $b, which is not installed"
done

# The manual pages: groff finds nothing to warn about, and every option cellvue-sim
# offers is described in its page.
for page in cellvue cellvue-sim; do
  gz=$prefix/share/man/man1/$page.1.gz
  if [ ! -f "$gz" ]; then fail "$gz missing"; continue; fi
  out=$(zcat "$gz" | LC_ALL=C.UTF-8 groff -man -ww -z 2>&1)
  [ -z "$out" ] || fail "groff warns on $page.1: $out"
done
manual=$(zcat "$prefix/share/man/man1/cellvue-sim.1.gz" | sed 's/\\-/-/g')
for opt in $("$prefix/bin/cellvue-sim" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  grep -q -- "$opt" <<<"$manual" || fail "cellvue-sim.1 does not describe $opt"
done

# Waits until every file given exists, for at most ten seconds.
appear() {
  for _ in $(seq 100); do
    local all=1
    for f in "$@"; do [ -e "$f" ] || all=0; done
    [ $all -eq 1 ] && return 0
    sleep 0.1
  done
  return 1
}

# Started from the menu (the launcher, in the home folder): settings and log go to the
# data folder, which is created, and the home folder stays clean.
home=$scratch/home
mkdir -p "$home"
data=$home/.local/share/OrgName/Cellvue
(cd "$home" && HOME=$home XDG_DATA_HOME= QT_QPA_PLATFORM=offscreen exec "$exec_line" >/dev/null 2>&1) &
pids+=($!)
appear "$data/ConFig/OpenPath.ini" "$data/log/today.log" || fail "menu start: nothing written to $data"
kill "${pids[-1]}" 2>/dev/null
[ ! -e "$home/ConFig" ] && [ ! -e "$home/log" ] || fail "menu start wrote ConFig/ or log/ into the home folder"

# Started from a shell in a site folder: everything stays in that folder, as ever.
site=$scratch/site
mkdir -p "$site"
(cd "$site" && HOME=$home QT_QPA_PLATFORM=offscreen exec "$prefix/bin/cellvue" >/dev/null 2>&1) &
pids+=($!)
appear "$site/ConFig/OpenPath.ini" "$site/log/today.log" || fail "shell start: nothing written to $site"
kill "${pids[-1]}" 2>/dev/null

if [ $failures -gt 0 ]; then
  echo "$failures problem(s) in the install tree"
  exit 1
fi
echo "install tree: programs, menu entry, icon, metadata and manual pages in order"
