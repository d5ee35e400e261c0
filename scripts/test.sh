#!/usr/bin/env bash
# Installs what is missing and runs every test, in three stages (CI runs all three):
#   plain       the simulated-desktop build and its whole test suite;
#   sanitizers  the suite under AddressSanitizer + UBSan, the thread tests under ThreadSanitizer
#               and a smoke run of every fuzz target (scripts/ci-sanitizers.sh);
#   windows     the Windows programs cross-built with MinGW-w64 and their tests under Wine
#               (scripts/windows-test.sh).
# KX_STAGES chooses stages, e.g. KX_STAGES=plain scripts/test.sh for the quick run.
set -euo pipefail
cd "$(dirname "$0")/.."

stages=${KX_STAGES:-plain sanitizers windows}
jobs=$(nproc)
start=$SECONDS
banner() { printf '\n==== %s (at %d s)\n' "$1" $((SECONDS - start)); }
wants() { [[ " $stages " == *" $1 "* ]]; }

# One apt-get run for every stage.
if wants windows; then scripts/install-deps.sh --windows; else scripts/install-deps.sh; fi
export KX_DEPS_CHECKED=1

if wants plain; then
  banner "Plain build and tests"
  cmake --preset default >/dev/null
  cmake --build --preset default -j "$jobs"
  ctest --preset default -j "$jobs"
fi

if wants sanitizers; then
  banner "Sanitizer stage"
  KX_JOBS=$jobs scripts/ci-sanitizers.sh
fi

if wants windows; then
  banner "Windows build and Wine tests"
  scripts/windows-test.sh
fi

banner "All stages passed: $stages"
