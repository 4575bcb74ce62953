#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and UBSan on) and runs each
# for SECONDS on a temporary copy of its committed seed corpus, so what the fuzzer finds is never
# committed by accident. Prints, per target, the executions, executions per second and coverage
# (libFuzzer's cov: edges and ft: features); fails when any target crashes, leaks or hangs, and
# then keeps the reproducer under the build folder's crashes/.
# Usage (as root on Debian 12 or 13): scripts/fuzz.sh [SECONDS]   (default 60)
# BREVINOR_FUZZ_BUILD_DIR picks another build folder than ./build-fuzz.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${BREVINOR_FUZZ_BUILD_DIR:-$repo/build-fuzz}
targets=(property_list_dictionary startup_decision)

bash "$repo/scripts/install-deps.sh" fuzz
CXX=clang++ cmake -S "$repo/fuzz" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2

work=$(mktemp -d "${TMPDIR:-/tmp}/brevinor-fuzz-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=()
printf '%-26s %12s %9s %7s %7s %9s\n' target executions exec/s cov ft "new seeds"
for target in "${targets[@]}"; do
  dir=$work/$target
  mkdir -p "$dir/corpus" "$dir/artifacts"
  cp "$repo/fuzz/corpus/$target/"* "$dir/corpus/"
  # -close_fd_mask=2: the start-up fuzzer's log goes nowhere; libFuzzer's own output and the
  # sanitizers' reports still reach the log.
  options=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 -close_fd_mask=2
    -artifact_prefix="$dir/artifacts/" -dict="$repo/fuzz/plist.dict")
  status=0
  "$build/${target}_fuzzer" "${options[@]}" "$dir/corpus" >"$dir/log" 2>&1 || status=$?

  stat() { sed -n "s/^stat::$1: *//p" "$dir/log" | tail -n1; }
  last=$(grep -E '^#[0-9]+.*cov: ' "$dir/log" | tail -n1 || true)
  field() { sed -nE "s/.* $1: ([0-9]+).*/\1/p" <<<"$last"; }
  printf '%-26s %12s %9s %7s %7s %9s\n' "$target" "$(stat number_of_executed_units)" \
    "$(stat average_exec_per_sec)" "$(field cov)" "$(field ft)" "$(stat new_units_added)"
  if ((status)) || ls "$dir/artifacts/"* >/dev/null 2>&1; then
    failed+=("$target")
    mkdir -p "$build/crashes/$target"
    cp "$dir/artifacts/"* "$build/crashes/$target/" 2>/dev/null || true
    echo "--- $target failed (status $status); reproducers in $build/crashes/$target; its output:"
    tail -n 60 "$dir/log"
  fi
done
if ((${#failed[@]})); then
  echo "fuzzing found faults in: ${failed[*]}"
  exit 1
fi
