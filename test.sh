#!/usr/bin/env bash
# Builds Zentavo Player and runs every test through CTest: once in a normal build (build/),
# then once under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/).
# then a few seconds of each fuzz target (clang, libFuzzer) on its seed corpus.
# Installs missing Debian packages first (as root). ZENTAVO_SKIP_SANITIZERS=1 skips the second run,
# ZENTAVO_SKIP_FUZZ=1 the fuzzing.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-deps.sh
if [[ $(id -u) -eq 0 ]]; then
  echo "test.sh: running as root, so QTWEBENGINE_DISABLE_SANDBOX=1 is set for the tests"
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTAVO_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

if [[ "${ZENTAVO_SKIP_SANITIZERS:-0}" != 1 ]]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZENTAVO_SANITIZE=ON -DZENTAVO_WERROR=ON \
        -DZENTAVO_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build build-asan -j "$jobs"
  # Chromium's own allocations inside Qt WebEngine are not ours to judge: leaks are not checked, nor
  # its sized deletes (libQt6WebEngineCore frees some objects through a base of another size).
  ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
fi

if [[ "${ZENTAVO_SKIP_FUZZ:-0}" != 1 ]]; then
  # Only the fuzz targets are built here: they compile the sources they exercise with the fuzzer's
  # instrumentation and need neither the windows nor the web engine.
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZENTAVO_BUILD_FUZZERS=ON \
        -DZENTAVO_BUILD_TESTS=OFF -DZENTAVO_BUILD_BENCHMARKS=OFF -DZENTAVO_WERROR=ON >/dev/null
  cmake --build build-fuzz -j "$jobs" --target fuzz_decipher fuzz_catalogue fuzz_favourites
  ctest --test-dir build-fuzz --output-on-failure -L fuzz
fi
