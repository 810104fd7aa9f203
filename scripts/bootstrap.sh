#!/usr/bin/env bash
# Installs what building, running and testing Cellvue needs on a Debian 12 machine.
# Safe to run again: it only installs what is missing and only fetches the Breakpad
# tarball when it is not already unpacked.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(
  build-essential cmake ninja-build pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5charts5-dev libqt5serialport5-dev
  qttools5-dev-tools
  fonts-liberation xvfb xauth x11-utils imagemagick xdotool
  lrzsz socat
  # the Chinese translation (Linguist's CMake macros, Qt's own translations, a CJK
  # font), and checking and packaging the install tree
  qttools5-dev qttranslations5-l10n fonts-wqy-microhei
  desktop-file-utils appstream groff-base dpkg-dev file
  # the end-to-end check of a recorded CSV file
  python3
)
# npm fetches the Breakpad tarball; a machine with Node.js from elsewhere already has it.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: missing packages (${missing[*]}); run as root to install them" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Breakpad's client is not packaged by Debian; the npm package "minidump" carries its
# source together with prebuilt minidump_dump/minidump_stackwalk. It is unpacked outside
# the source tree (and outside git) and built by CMake from there.
deps_root=${CELLVUE_DEPS:-/opt/cellvue-deps}
mkdir -p "$deps_root"
# What the CMake build of the Breakpad client needs (cmake/Breakpad.cmake); a partial
# unpack from an interrupted run is fetched again.
needed=(
  "$deps_root/minidump/package.json"
  "$deps_root/minidump/deps/breakpad/src/client/linux/handler/exception_handler.cc"
  "$deps_root/minidump/deps/third_party/lss/linux_syscall_support.h"
)
complete=1
for f in "${needed[@]}"; do [ -f "$f" ] || complete=0; done
if [ "$complete" -eq 0 ]; then
  tmp=$(mktemp -d)
  (cd "$tmp" && npm pack --silent minidump@0.26.0 >/dev/null)
  tar -xzf "$tmp"/minidump-0.26.0.tgz -C "$tmp"
  rm -rf "$deps_root/minidump"
  mv "$tmp/package" "$deps_root/minidump"
  rm -rf "$tmp"
fi
chmod +x "$deps_root"/minidump/bin/*/* 2>/dev/null || true
if [ "$deps_root" = /opt/cellvue-deps ]; then
  echo "bootstrap: ready (breakpad source in $deps_root/minidump)"
else
  echo "bootstrap: ready (breakpad source in $deps_root/minidump); configure with -DCELLVUE_DEPS=$deps_root"
fi
