#!/usr/bin/env bash
# Runs that end before any window: no application name, and a name with neither a
# display nor a notification service to show it. Both fail with status 1 and say why in the log.
# Usage: no_name_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: no_name_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_launcher_ppid
# Without a name the program needs neither GTK nor its window module: a copy
# of the build without lib/ must behave exactly like the build itself.
mkdir -p "$E2E_TMP/no-module/bin"
cp "$bin" "$E2E_TMP/no-module/bin/"
cp -r "$(dirname "$bin")/../share" "$E2E_TMP/no-module/"

# A session bus of its own, on which no notification service is there or can be started.
e2e_start_bus none

run() {  # ROOT PROGRAM [NAME]: a run without a display; sets E2E_STATUS and msgs
  # An install that would let the notice through, so only the name or the display is missing.
  e2e_agent_install "$1" Editor "$E2E_LAUNCHER_PPID"
  e2e_launch "$1" env -u DISPLAY -u WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS="$(e2e_bus_address none)" "${@:2}"
  # A bound that only catches a hang; this run does nothing that takes time.
  e2e_wait_exit "$E2E_PID" 10
  msgs=$(e2e_run_log "$1" | e2e_messages)
}

declare -A program=([build]=$bin [no-module]=$E2E_TMP/no-module/bin/$(basename "$bin"))
for what in build no-module; do
  run "$E2E_TMP/root-$what" "${program[$what]}"
  e2e_check "no name ($what): status 1 (got $E2E_STATUS)" test "$E2E_STATUS" = 1
  # Every line of the log is one of the two messages: nothing unprefixed slips in.
  e2e_check "no name ($what): the two messages and nothing else" \
    test "$(e2e_run_log "$E2E_TMP/root-$what" | wc -l)/$msgs" = $'2/Log Open:Brevinor\nArguments are low, No App name is given'
done

run "$E2E_TMP/root-no-display" "$bin" Editor
e2e_check "no display nor service: status 1 (got $E2E_STATUS)" test "$E2E_STATUS" = 1
e2e_check "no display nor service: the log opens, then says the notice was not shown" \
  test "$(sed -n '1p;/^Cannot open display, Brevinor not shown$/p' <<<"$msgs")" = $'Log Open:Brevinor\nCannot open display, Brevinor not shown'

e2e_finish "$E2E_TMP"/root-*
