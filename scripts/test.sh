#!/usr/bin/env bash
# The test command: installs what is needed, builds, and runs every test with CTest:
#   build/       the program, every test and benchmark (benchmarks run once, to prove they run), and the
#                Debian package (build/package/), installed and run from its installed files
#   build-asan/  every test, windows included, under AddressSanitizer + UndefinedBehaviorSanitizer
#   build-tsan/  the threaded tests under ThreadSanitizer
#   build-fuzz/  the libFuzzer targets (clang), each replaying its corpus and fuzzing briefly
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup-deps.sh

jobs=$(nproc)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
status=0

step() { printf '\n=== %s ===\n' "$*"; }

step "main build"
cmake -S . -B build -G Ninja "${launcher[@]}" >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" -LE 'fuzz|package') || status=1

step "Debian package: made, lintian, installed into a temporary root and on this machine, run, removed"
(cd build && ctest --output-on-failure -L package) || status=1

step "ASan+UBSan build of every test, windows included"
# -O1 keeps the sanitised show fast enough for the window and soak tests. Reports go to files as well as
# failing the process: a program started by a script or by the screen-saver daemon, whose status nobody
# reads, still fails the run. The folder is in /tmp and writable by everyone because the daemon test runs
# the show as another user.
cmake -S . -B build-asan -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DVORLIN_WITH_QT=ON -DVORLIN_BUILD_BENCH=OFF \
  "-DVORLIN_SANITIZE=address;undefined" >/dev/null
cmake --build build-asan -j "$jobs"
sanlogs=$(mktemp -d /tmp/vorlin-sanitizer.XXXXXX)
chmod 1777 "$sanlogs"
(cd build-asan && ASAN_OPTIONS="detect_leaks=1:log_path=$sanlogs/asan" \
  UBSAN_OPTIONS="print_stacktrace=1:log_path=$sanlogs/ubsan" \
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
  ctest --output-on-failure -j "$jobs" -LE fuzz) || status=1
# A log holding only the table of suppressions used (a test that sets its own LSAN_OPTIONS) is no report.
reports=$(grep -l -E 'ERROR|WARNING|runtime error' "$sanlogs"/* 2>/dev/null || true)
if [ -n "$reports" ]; then
  echo "sanitizer reports:"
  for f in $reports; do printf '\n--- %s\n' "$f"; cat "$f"; done
  status=1
fi

if [ -n "$(cd build && ctest -N -L thread | grep 'Test *#' || true)" ]; then
  step "TSan build of the threaded tests"
  cmake -S . -B build-tsan -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug -DVORLIN_BUILD_BENCH=OFF \
    -DVORLIN_SANITIZE=thread >/dev/null
  cmake --build build-tsan -j "$jobs" --target thread_tests
  (cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --output-on-failure -j "$jobs" -L thread) || status=1
fi

if [ -n "$(ls fuzz/*.cmake 2>/dev/null)" ]; then
  step "fuzz targets (clang)"
  cmake -S . -B build-fuzz -G Ninja "${launcher[@]}" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLIN_WITH_QT=OFF -DVORLIN_BUILD_TESTS=OFF -DVORLIN_BUILD_BENCH=OFF \
    -DVORLIN_BUILD_FUZZ=ON -DVORLIN_FUZZ_SECONDS="${VORLIN_FUZZ_SECONDS:-20}" >/dev/null
  cmake --build build-fuzz -j "$jobs"
  (cd build-fuzz && ctest --output-on-failure -j "$jobs" -L fuzz) || status=1
fi

step "result"
if [ $status -eq 0 ]; then echo "all tests passed"; else echo "FAILURES (see above)"; fi
exit $status
