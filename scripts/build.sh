#!/usr/bin/env bash
# Configures and builds QEM into build/ (programs at build/bin/qem and build/bin/qemcli).
# With --configure-only, stops after the configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
[ "${1:-}" = "--configure-only" ] && exit 0
cmake --build build -j"$(nproc)"
