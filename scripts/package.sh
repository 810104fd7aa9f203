#!/usr/bin/env bash
# Builds Cellvue (installing what is missing first) and its Debian package,
# build/cellvue_<version>_<arch>.deb. Install that with
#   apt-get install ./build/cellvue_*.deb
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$top/scripts/build.sh"
cd "$top/build"
cpack -G DEB
