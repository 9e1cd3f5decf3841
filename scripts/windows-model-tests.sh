#!/usr/bin/env bash
# Cross-builds the calculation (model/) and its tests for Windows x86-64 with MinGW-w64, GoogleTest
# from Debian's source, and runs them under Wine, headless, in a throwaway Wine prefix.
# Build folder: build-windows-model/ (reused; delete it for a clean run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 wine googletest

out=$PWD/build-windows-model
toolchain=$PWD/cmake/mingw-w64.cmake
gtest=$out/googletest
export VIRASVET_WINDOWS_PREFIX=$gtest/prefix

if [ ! -f "$gtest/installed" ]; then
  cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest/prefix" -DBUILD_GMOCK=OFF
  cmake --build "$gtest/build" -j2
  cmake --install "$gtest/build" >/dev/null
  touch "$gtest/installed"
fi

# Tests are listed when ctest runs, not by running each program under Wine while building.
cmake -S . -B "$out/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DVIRASVET_MODEL_ONLY=ON -DCMAKE_PREFIX_PATH="$gtest/prefix" \
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
cmake --build "$out/build" -j2 --target model_tests

# MinGW's run-time libraries (libstdc++, libgcc, winpthread) are found through WINEPATH.
gcc_dlls=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="Z:$gcc_dlls;Z:/usr/x86_64-w64-mingw32/lib"
rm -rf "$WINEPREFIX"
# One Wine process for the whole program: a process per test would cost Wine's start each time.
wine "$out/build/tests/model/model_tests.exe" --gtest_brief=1
wineserver -k 2>/dev/null || true
