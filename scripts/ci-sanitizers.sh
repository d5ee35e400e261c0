#!/usr/bin/env bash
# The sanitizer stage of CI, after the plain build and tests:
#   1. one clang build at -O1 with AddressSanitizer + UndefinedBehaviorSanitizer (preset asan)
#      holding the whole test suite and the fuzz targets; every test runs under both;
#   2. the thread tests under ThreadSanitizer (preset tsan, only those targets built);
#   3. a smoke run of every fuzz target on its seed corpus, two at a time.
# Environment: KX_FUZZ_SECONDS (default 30) per fuzz target; KX_JOBS (default 2) build and
# test jobs.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${KX_JOBS:-2}
fuzz_seconds=${KX_FUZZ_SECONDS:-30}
# The tests whose subject is threads: built and run under ThreadSanitizer.
thread_tests=(tests/device/kx_device_thread_tests)

start=$SECONDS
stage() { printf '\n== %s (at %d s)\n' "$1" $((SECONDS - start)); }

scripts/install-deps.sh

# Every simulated desktop flushes the files it replaces; on a memory file system that is free.
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

stage "ASan + UBSan build (clang -O1): tests, tools and fuzz targets"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"

stage "ASan + UBSan: the whole test suite"
ctest --preset asan -j "$jobs"

stage "TSan build: the thread tests"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs" --target "${thread_tests[@]##*/}"

stage "TSan: the thread tests"
for test in "${thread_tests[@]}"; do
  echo "$test"
  "build/tsan/$test" --gtest_brief=1
done

stage "Fuzz targets: ${fuzz_seconds} s each on their seed corpus, two at a time"
rm -rf build/asan/fuzz-scratch
KX_FUZZ_BIN=build/asan/fuzz KX_FUZZ_JOBS=2 KX_FUZZ_SCRATCH=build/asan/fuzz-scratch \
  scripts/fuzz.sh "$fuzz_seconds"

stage "Sanitizer stage passed"
