#!/usr/bin/env bash
# The notice is heard: a run of the build plays its sound, and a copy of the
# build without its sound file stays silent but still shows and ends normally.
# The two runs go side by side, each into a sound server of its own.
# Usage: sound_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: sound_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_start_x
e2e_launcher_ppid

# A working copy of the build (bin/, lib/, share/ side by side) without the sound.
build=$(dirname "$(dirname "$bin")")
mkdir -p "$E2E_TMP/mute"
cp -r "$build/bin" "$build/lib" "$build/share" "$E2E_TMP/mute/"
rm "$E2E_TMP/mute/share/brevinor/Purr.oga"
mute_bin=$E2E_TMP/mute/bin/$(basename "$bin")

declare -A pid status server rec
declare -A program=([loud]=$bin [mute]=$mute_bin)
for run in loud mute; do
  # An install per run, so each run's log stays its own.
  e2e_agent_install "$E2E_TMP/root-$run" Editor "$E2E_LAUNCHER_PPID"
  e2e_start_pulse "$run"
  server[$run]=$E2E_PULSE_SERVER
  e2e_record_start "$E2E_PULSE_SERVER" "$E2E_TMP/$run.raw"
  rec[$run]=$E2E_RECORD_PID
done
for run in loud mute; do
  BREVINOR_ROOT=$E2E_TMP/root-$run PULSE_SERVER=${server[$run]} NO_AT_BRIDGE=1 "${program[$run]}" Editor \
    2>"$E2E_TMP/$run.err" &
  pid[$run]=$!
  e2e_track "${pid[$run]}"
done
for run in loud mute; do
  e2e_wait_exit "${pid[$run]}" 30
  status[$run]=$E2E_STATUS
done
# Let the last buffers reach the capture before stopping it.
sleep 0.3
kill "${rec[@]}"
wait "${rec[@]}" 2>/dev/null || true

for run in loud mute; do
  msgs=$(e2e_run_log "$E2E_TMP/root-$run" "$E2E_TMP/$run.err" | e2e_messages)
  e2e_check "$run: status 0 (got ${status[$run]})" test "${status[$run]}" = 0
  e2e_check "$run: the notice was shown" grep -qx 'Showing Notification and Playing Sound' <<<"$msgs"
  e2e_check "$run: the log closes last" test "$(tail -n1 <<<"$msgs")" = "Log close:Brevinor"
done
loud=$(e2e_rms "$E2E_TMP/loud.raw") mute=$(e2e_rms "$E2E_TMP/mute.raw")
e2e_check "the build is clearly heard (RMS $loud)" e2e_above "$loud" 0.05
e2e_check "the copy without its sound is silent (RMS $mute)" e2e_not e2e_above "$mute" 0.01

((E2E_FAILED == 0)) || for run in loud mute; do echo "--- log of the $run run:"; e2e_run_log "$E2E_TMP/root-$run" "$E2E_TMP/$run.err"; done
e2e_finish
