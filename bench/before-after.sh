#!/usr/bin/env bash
# Runs every cost benchmark for an earlier build and for this one, one right after the
# other, so that both figures come from the same machine in the same state.
#
#   bench/before-after.sh BEFORE_BUILD [AFTER_BUILD=build] [SECONDS=60]
#
# Each build directory holds bench/bench_* and src/cellvue (and sim/cellvue-sim for the
# polling benchmark). The earlier build is the earlier source tree with this tree's
# bench/ copied in, so that both run the same measurement; a missing benchmark is
# skipped. The start-up figures need an X server and are taken under xvfb-run.
set -uo pipefail

before=${1:?usage: before-after.sh BEFORE_BUILD [AFTER_BUILD] [SECONDS]}
after=${2:-build}
seconds=${3:-60}

echo "machine: $(nproc) cores; load average $(cut -d' ' -f1-3 /proc/loadavg)"
for name in bench_log bench_channel; do
  for side in before after; do
    dir=$before; [ "$side" = after ] && dir=$after
    [ -x "$dir/bench/$name" ] || { echo "== $name ($side): not built"; continue; }
    echo "== $name ($side: $dir)"
    "$dir/bench/$name" 2>/dev/null
  done
done
for packs in 3 16; do
  for side in before after; do
    dir=$before; [ "$side" = after ] && dir=$after
    [ -x "$dir/bench/bench_polling" ] || { echo "== bench_polling ($side): not built"; continue; }
    echo "== bench_polling $seconds s, $packs packs ($side: $dir)"
    "$dir/bench/bench_polling" "$seconds" "$packs" 2>/dev/null
  done
done
echo "== bench_startup (before: $before/src/cellvue)"
xvfb-run -a -s "-screen 0 1920x1080x24" "$after/bench/bench_startup" --idle "$seconds" \
  --before "$before/src/cellvue" "$after/src/cellvue"
echo "machine: load average $(cut -d' ' -f1-3 /proc/loadavg)"
