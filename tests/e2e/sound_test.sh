#!/usr/bin/env bash
# The notice is heard: a run of the build plays its sound, and a copy of the
# build without its sound file stays silent but still shows and ends normally.
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

# The two runs go side by side, each on an install (so a log) and a sound server of its own.
declare -A pid program=([loud]=$bin [mute]=$E2E_TMP/mute/bin/$(basename "$bin"))
rec=()
for run in loud mute; do
  e2e_agent_install "$E2E_TMP/root-$run" Editor "$E2E_LAUNCHER_PPID"
  e2e_start_pulse "$run"
  e2e_record_start "$E2E_PULSE_SERVER" "$E2E_TMP/$run.raw"
  rec+=("$E2E_RECORD_PID")
  e2e_launch "$E2E_TMP/root-$run" env PULSE_SERVER="$E2E_PULSE_SERVER" "${program[$run]}" Editor
  pid[$run]=$E2E_PID
done
for run in loud mute; do
  e2e_wait_exit "${pid[$run]}" 30
  e2e_check "$run: status 0 (got $E2E_STATUS)" test "$E2E_STATUS" = 0
  e2e_check "$run: the notice was shown and the log closes last" \
    test "$(e2e_run_log "$E2E_TMP/root-$run" | e2e_messages | sed -n '/^Showing Notification and Playing Sound$/p;$p')" \
    = $'Showing Notification and Playing Sound\nLog close:Brevinor'
done
# Let the last buffers reach the capture before stopping it.
sleep 0.3
kill "${rec[@]}"
wait "${rec[@]}" 2>/dev/null || true

loud=$(e2e_rms "$E2E_TMP/loud.raw") mute=$(e2e_rms "$E2E_TMP/mute.raw")
e2e_check "the build is clearly heard (RMS $loud)" awk "BEGIN {exit !($loud > 0.05)}"
e2e_check "the copy without its sound is silent (RMS $mute)" awk "BEGIN {exit !($mute <= 0.01)}"
e2e_finish "$E2E_TMP"/root-*
