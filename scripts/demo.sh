#!/usr/bin/env bash
# Shows a real Brevinor notice from a fresh checkout: installs what is needed,
# builds, lays out a throwaway agent install that lets the notice through for
# the given application name, and runs the program. On a reachable display the
# notice shows there; otherwise on a virtual one, with a screenshot kept.
# Usage (as root on Debian 12): scripts/demo.sh [APP_NAME]    (default: Editor)
# BREVINOR_BUILD_DIR picks another build folder than ./build.
set -euo pipefail
name=${1:-Editor}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVINOR_BUILD_DIR:-$repo/build}

bash "$repo/scripts/install-deps.sh"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build"

source "$repo/tests/e2e/lib.sh"
e2e_setup
# The agent install lives in the temp folder: the machine's own /Library is never touched.
root=$E2E_TMP/root
e2e_launcher_ppid
e2e_agent_install "$root" "$name" "$E2E_LAUNCHER_PPID"
err=$root/stderr

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  echo "Showing the notice for \"$name\" on display $DISPLAY for 15 seconds"
  BREVINOR_ROOT=$root NO_AT_BRIDGE=1 "$build/bin/brevinor" "$name" 2>"$err" &
  pid=$!
  e2e_track "$pid"
else
  echo "No display reachable: showing the notice for \"$name\" on a virtual one"
  unset DISPLAY
  e2e_start_x
  # Its sound goes to a private null sink; the capture tells whether it played.
  e2e_start_pulse demo
  e2e_record_start "$E2E_PULSE_SERVER" "$E2E_TMP/sound.raw"
  BREVINOR_ROOT=$root PULSE_SERVER=$E2E_PULSE_SERVER NO_AT_BRIDGE=1 "$build/bin/brevinor" "$name" 2>"$err" &
  pid=$!
  e2e_track "$pid"
  if e2e_find_window "$pid" 15 >/dev/null; then
    # By 2 s the notice has risen above the others and settled.
    sleep 2
    mkdir -p "$build/demo"
    import -window root "$build/demo/notice.png"
    echo "Screenshot of the screen with the notice: $build/demo/notice.png"
  else
    echo "The notice window did not appear"
  fi
fi

e2e_wait_exit "$pid" 30
if [[ -n ${E2E_RECORD_PID:-} ]]; then
  kill "$E2E_RECORD_PID"
  wait "$E2E_RECORD_PID" 2>/dev/null || true
  echo "Loudest sound level captured (peak, 0..1): $(e2e_peak "$E2E_TMP/sound.raw")"
fi
echo "--- log of the run:"
e2e_run_log "$root"
echo "--- exit status: $E2E_STATUS"
exit "$E2E_STATUS"
