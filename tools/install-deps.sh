#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the example need, when missing.
#   tools/install-deps.sh [--bench] [PACKAGE...]
#   --bench  also what bench/run.sh needs: Google Benchmark and valgrind
#   PACKAGE  further packages a command of its own needs (the fuzzers, the ARM build)
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev gpsbabel locales libncurses-dev tmux help2man man-db systemd
  gpsd gpsd-clients python3-gps iproute2 libxml2-utils)
if [ "${1:-}" = "--bench" ]; then
  packages+=(libbenchmark-dev valgrind)
  shift
fi
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The locale test replays in German as well as in "C".
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Generating the locale de_DE.UTF-8"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
