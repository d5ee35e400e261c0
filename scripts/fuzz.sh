#!/usr/bin/env bash
# Runs libFuzzer targets, each for SECONDS on its seed corpus (fuzz/corpus/<target>/). New
# inputs and crash artifacts go to a scratch folder, never into the committed corpus.
#
#   scripts/fuzz.sh SECONDS [TARGET...]     TARGET: report_decoder or fuzz_report_decoder; all
#                                           targets when none are named
# Environment:
#   KX_FUZZ_BIN      folder of the built targets; when unset the fuzz preset is configured and
#                    built first and build/fuzz/fuzz is used
#   KX_FUZZ_JOBS     targets run at the same time (default 1)
#   KX_FUZZ_SCRATCH  scratch folder (default build/fuzz-scratch); a target's new inputs go to
#                    <scratch>/<target>/, its crashes to <scratch>/<target>-artifacts/, its log
#                    to <scratch>/<target>.log
#   KX_FUZZ_ARGS     further libFuzzer options for every target
# Prints one line per target (executions, coverage, crashes) and fails when any target found a
# crash, a leak, a timeout or a broken invariant.
set -euo pipefail
cd "$(dirname "$0")/.."

if (($# < 1)) || ! [[ $1 =~ ^[0-9]+$ ]]; then
  sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
seconds=$1
shift

bin=${KX_FUZZ_BIN:-}
if [[ -z $bin ]]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j 2
  bin=build/fuzz/fuzz
fi
jobs=${KX_FUZZ_JOBS:-1}
scratch=${KX_FUZZ_SCRATCH:-build/fuzz-scratch}
mkdir -p "$scratch"

targets=()
if (($# == 0)); then
  for source in fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
else
  for name in "$@"; do
    targets+=("fuzz_${name#fuzz_}")
  done
fi
for target in "${targets[@]}"; do
  if [[ ! -x $bin/$target || ! -d fuzz/corpus/$target ]]; then
    echo "fuzz.sh: no target $target (binary $bin/$target, corpus fuzz/corpus/$target)" >&2
    exit 2
  fi
done

# The simulated desktop flushes every file it replaces; on a memory file system that costs
# nothing, so file-heavy targets run many times faster.
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi

run_one() {
  local target=$1
  local corpus=$scratch/$target artifacts=$scratch/$target-artifacts log=$scratch/$target.log
  mkdir -p "$corpus" "$artifacts"
  # shellcheck disable=SC2086  # KX_FUZZ_ARGS is a list of options
  "$bin/$target" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" ${KX_FUZZ_ARGS:-} "$corpus" "fuzz/corpus/$target" \
    >"$log" 2>&1
}

summary() {
  local target=$1 status=$2 log=$scratch/$1.log
  local runs cov ft crashes
  runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  crashes=$(find "$scratch/$target-artifacts" -type f | wc -l)
  printf '%-24s %s  executions %-10s edges %-6s features %-7s artifacts %s\n' "$target" \
    "$([[ $status == 0 ]] && echo ok || echo FAILED)" "${runs:-?}" "${cov:-?}" "${ft:-?}" \
    "$crashes"
  if [[ $status != 0 ]]; then
    grep -E 'ERROR|invariant broken|SUMMARY|Test unit written' "$log" | head -5 | sed 's/^/    /'
  fi
}

for target in "${targets[@]}"; do
  rm -f "$scratch/$target.status"
  while (($(jobs -rp | wc -l) >= jobs)); do
    wait -n || true
  done
  (
    set +e
    run_one "$target"
    echo $? >"$scratch/$target.status"
  ) &
done
wait

failed=0
for target in "${targets[@]}"; do
  status=$(cat "$scratch/$target.status" 2>/dev/null || echo 1)
  summary "$target" "$status"
  ((status == 0)) || failed=1
done
exit "$failed"
