#!/usr/bin/env bash
# Builds Cellvue and starts it. Without a display (a bare server) it runs on a
# virtual one so the program still starts; a desktop session uses its own.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$top/scripts/build.sh"
cd "$top"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found; starting Cellvue on a virtual 1920x1080 screen (xvfb-run)" >&2
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$top/build/src/cellvue" "$@"
fi
exec "$top/build/src/cellvue" "$@"
