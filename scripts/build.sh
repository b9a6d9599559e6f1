#!/usr/bin/env bash
# Configures and builds QEM into build/ (programs at build/bin/qem and build/bin/qemcli).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
