#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang twice and runs each for SECONDS per build on a
# temporary copy of its committed seed corpus, so what the fuzzer finds is never committed by
# accident:
# - with AddressSanitizer and UBSan, on inputs of up to 4 KiB (libFuzzer's default), for memory
#   faults;
# - with LeakSanitizer only, from files at the guard's limits, on inputs up to the property-list
#   size cap (1 MiB), under the limits every file is decided within: no allocation of 64 MiB
#   (-malloc_limit_mb), a read's document within 64 MiB of heap (checked by the fuzzer itself),
#   the whole fuzzer within 128 MiB more than it holds idle (-rss_limit_mb: 64 for the input read,
#   as much for the inputs it keeps and its allocator's free blocks), and no input over 2 s
#   (-timeout: each input is read twice, and the sanitizer's allocator is many times slower than
#   glibc's on small blocks; bench/record_lookup measures such files natively against 100 ms).
# Prints, per target, the executions, executions per second, coverage (libFuzzer's cov: edges
# and ft: features) and peak memory; fails when any target crashes, leaks, hangs or exceeds a
# limit, and then keeps the reproducer under the build folder's crashes/.
# Usage (as root on Debian 12 or 13): scripts/fuzz.sh [SECONDS]   (default 60)
# BREVINOR_FUZZ_BUILD_DIR picks another build folder than ./build-fuzz (and ./build-fuzz-limits).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${BREVINOR_FUZZ_BUILD_DIR:-$repo/build-fuzz}
targets=(property_list_dictionary startup_decision)

bash "$repo/scripts/install-deps.sh" fuzz
CXX=clang++ cmake -S "$repo/fuzz" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2
CXX=clang++ cmake -S "$repo/fuzz" -B "$build-limits" -G Ninja -DBREVINOR_FUZZ_SANITIZERS=leak >/dev/null
cmake --build "$build-limits" -j2

work=$(mktemp -d "${TMPDIR:-/tmp}/brevinor-fuzz-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=()
printf '%-34s %12s %9s %7s %7s %9s %8s\n' target executions exec/s cov ft "new seeds" "peak MB"
# fuzz NAME BINARY OPTION...
fuzz() {
  local name=$1 binary=$2 dir=$work/$1 status=0
  shift 2
  mkdir -p "$dir/corpus" "$dir/artifacts"
  cp "$repo/fuzz/corpus/${name%% *}/"* "$dir/corpus/"
  [[ $name != *limits ]] || cp "$work/limits/"* "$dir/corpus/"
  # -close_fd_mask=2: the start-up fuzzer's log goes nowhere; libFuzzer's own output and the
  # sanitizers' reports still reach the log.
  "$binary" -max_total_time="$seconds" -print_final_stats=1 -close_fd_mask=2 \
    -artifact_prefix="$dir/artifacts/" -dict="$repo/fuzz/plist.dict" "$@" "$dir/corpus" \
    >"$dir/log" 2>&1 || status=$?

  stat() { sed -n "s/^stat::$1: *//p" "$dir/log" | tail -n1; }
  last=$(grep -E '^#[0-9]+.*cov: ' "$dir/log" | tail -n1 || true)
  field() { sed -nE "s/.* $1: ([0-9]+).*/\1/p" <<<"$last"; }
  printf '%-34s %12s %9s %7s %7s %9s %8s\n' "$name" "$(stat number_of_executed_units)" \
    "$(stat average_exec_per_sec)" "$(field cov)" "$(field ft)" "$(stat new_units_added)" \
    "$(stat peak_rss_mb)"
  if ((status)) || ls "$dir/artifacts/"* >/dev/null 2>&1; then
    failed+=("$name")
    mkdir -p "$build/crashes/$name"
    cp "$dir/artifacts/"* "$build/crashes/$name/" 2>/dev/null || true
    echo "--- $name failed (status $status); reproducers in $build/crashes/$name; its output:"
    tail -n 60 "$dir/log"
  fi
}
for target in "${targets[@]}"; do
  fuzz "$target" "$build/${target}_fuzzer" -timeout=10
done
# Seeds at the guard's limits for the runs with limits: references to decode in XML, nesting and
# many nodes in XML; a binary array of 64 references to one string of 500 KB, and one of 199,996
# references to one value.
mkdir -p "$work/limits"
seed() { perl -e "$2" >"$work/limits/$1"; }
xml='q(<?xml version="1.0"?><plist version="1.0"><dict><key>k</key>)'
bin='sub shared { my ($n, $o) = @_; my $a = "\xAF\x12" . pack("N", $n) . "\x01" x $n;
  my $d = "bplist00" . $a . $o; $d . pack("NN", 8, 8 + length $a) . "\0" x 6 . "\x04\x01"
  . pack("Q>Q>Q>", 2, 0, length $d) }'
seed references "print $xml, '<string>', '&amp;' x 35800, 'a' x 400, '</string></dict></plist>'"
seed nesting "print $xml, '<array>' x 16383, '</array>' x 16383, '</dict></plist>'"
seed nodes "print $xml, '<array>', '<true/>' x 140000, '</array></dict></plist>'"
seed bytes "$bin print shared(64, \"\\x5F\\x12\" . pack('N', 500000) . 'a' x 500000)"
seed shared "$bin print shared(199996, \"\\x09\")"
for target in "${targets[@]}"; do
  # What the fuzzer itself holds, after one empty input.
  : >"$work/empty"
  idle=$("$build-limits/${target}_fuzzer" -print_final_stats=1 -close_fd_mask=2 "$work/empty" 2>&1 |
    sed -n 's/^stat::peak_rss_mb: *//p')
  # Freed memory goes back to the system within half a second, so that the peak is what one
  # input holds.
  LSAN_OPTIONS=allocator_release_to_os_interval_ms=500 fuzz "$target with limits" \
    "$build-limits/${target}_fuzzer" -max_len=1048576 -len_control=0 \
    -rss_limit_mb=$((idle + 128)) -malloc_limit_mb=64 -timeout=2
done
if ((${#failed[@]})); then
  echo "fuzzing found faults in: ${failed[*]}"
  exit 1
fi
