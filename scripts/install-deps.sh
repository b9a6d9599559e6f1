#!/usr/bin/env bash
# Installs everything QEM needs to build, run and test on Debian 12 (run as root).
# With --list, prints the packages and installs nothing (scripts/check-packages.sh).
set -euo pipefail
pkgs=(g++ cmake ninja-build qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n libgl-dev
      libgtest-dev libbenchmark-dev xvfb xauth fonts-dejavu-core fonts-liberation
      poppler-utils libqt6svg6
      pkgconf libzip-dev libpugixml-dev libfreexl-dev ccache libc-bin
      python3 python3-openpyxl
      libreoffice-calc-nogui)
# Fuzzing: clang and its libFuzzer and sanitizer runtimes.
pkgs+=(clang-14)
pkgs+=(libclang-rt-14-dev)
# Static analysis of the core (scripts/tidy.sh): clang-tidy-14 and its run-clang-tidy-14.
pkgs+=(clang-tidy-14)
if [ "${1:-}" = "--list" ]; then
    printf '%s\n' "${pkgs[@]}"
    exit 0
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
