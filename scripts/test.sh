#!/usr/bin/env bash
# Installs what is needed, builds and runs every test: the release build with all tests,
# then clang-tidy on the core with that build's compile commands (scripts/tidy.sh), then the
# calculation core and its tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the multi-threaded calculations under ThreadSanitizer,
# then each fuzz target for a bounded time (scripts/fuzz.sh). After the configure step, every
# package the build and the tests use must come from scripts/install-deps.sh
# (scripts/check-packages.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh --configure-only
bash scripts/check-packages.sh build/CMakeCache.txt
bash scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")
bash scripts/tidy.sh build
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQEM_SANITIZE=ON -DQEM_WITH_QT=OFF -DQEM_WITH_BENCH=OFF
bash scripts/check-packages.sh build-asan/CMakeCache.txt
cmake --build build-asan -j"$(nproc)"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$(nproc)")
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEM_TSAN=ON -DQEM_WITH_QT=OFF -DQEM_WITH_BENCH=OFF
cmake --build build-tsan -j"$(nproc)" --target qemtests
TSAN_OPTIONS=halt_on_error=1 build-tsan/bin/qemtests --gtest_filter='RunInOrder.*:ParallelJobs.*'
bash scripts/fuzz.sh
