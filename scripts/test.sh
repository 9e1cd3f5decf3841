#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite twice: once as
# released, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
(cd build && ctest --output-on-failure -j2)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# -O1 and line tables only: the sanitizers' reports keep their file and line, the build is
# quicker, and the tests run fast enough at -O1.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIRASVET_SANITIZE=ON \
    -DVIRASVET_BENCHMARKS=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
cmake --build build-asan -j2
(cd build-asan && ctest --output-on-failure -j2)

# The calculation built for Windows and its tests run under Wine (a few minutes).
scripts/windows-model-tests.sh

# The fuzz targets once over their committed corpora (seconds), where clang is installed.
if command -v clang++ >/dev/null; then
  scripts/fuzz.sh --corpus-only
fi
