#!/usr/bin/env bash
# The README's test command: install what is missing, build, run every test; then build the standard
# C++ core alone with AddressSanitizer and UndefinedBehaviorSanitizer and run its tests there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
(cd build && ctest --output-on-failure -j 2)

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_CORE_ONLY=ON -DTOLVANE_SANITIZE=ON \
      -DTOLVANE_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j "$(nproc)"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j 2)
