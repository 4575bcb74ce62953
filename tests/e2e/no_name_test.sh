#!/usr/bin/env bash
# Runs that end before any window: no application name, and a name with no
# display to show it on. Both fail with status 1 and say why in the log.
# Usage: no_name_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: no_name_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
root=$E2E_TMP/root
e2e_launcher_ppid
# An install that would let the notice through, so only the argument or the display is missing.
e2e_agent_install "$root" Editor "$E2E_LAUNCHER_PPID"

# Without a name the program needs neither GTK nor its window module: a copy
# of the build without lib/ must behave exactly like the build itself.
bindir=$(dirname "$bin")
mkdir -p "$E2E_TMP/no-module/bin"
cp "$bin" "$E2E_TMP/no-module/bin/"
cp -r "$bindir/../share" "$E2E_TMP/no-module/"

for program in "$bin" "$E2E_TMP/no-module/bin/$(basename "$bin")"; do
  what=${program#"$E2E_TMP"/}
  err=$E2E_TMP/stderr
  : >"$err"
  env -u DISPLAY -u WAYLAND_DISPLAY BREVINOR_ROOT="$root" "$program" 2>"$err" &
  pid=$!
  e2e_track "$pid"
  # A bound that only catches a hang; this run does nothing that takes time.
  e2e_wait_exit "$pid" 10
  e2e_check "no name ($what): status 1 (got $E2E_STATUS)" test "$E2E_STATUS" = 1
  log=$(e2e_run_log "$root" "$err")
  e2e_check "no name ($what): the two messages and nothing else" \
    test "$(e2e_messages <<<"$log")" = $'Log Open:Brevinor\nArguments are low, No App name is given'
  e2e_check "no name ($what): every line is a log line" test "$(wc -l <<<"$log")" = 2
  [[ $E2E_FAILED == 0 ]] || printf -- '--- log of the run:\n%s\n' "$log"
  rm -f "$root"/Library/Orrinwell/Tarnis_Agent/logs/UserLogs/*.log
done

err=$E2E_TMP/stderr-nodisplay
env -u DISPLAY -u WAYLAND_DISPLAY BREVINOR_ROOT="$root" "$bin" Editor 2>"$err" &
pid=$!
e2e_track "$pid"
e2e_wait_exit "$pid" 10
e2e_check "no display: status 1 (got $E2E_STATUS)" test "$E2E_STATUS" = 1
msgs=$(e2e_run_log "$root" "$err" | e2e_messages)
e2e_check "no display: the log says the notice was not shown" \
  grep -qx 'Cannot open display, Brevinor not shown' <<<"$msgs"
e2e_check "no display: the log opened first" test "$(head -n1 <<<"$msgs")" = "Log Open:Brevinor"
[[ $E2E_FAILED == 0 ]] || { echo "--- log of the run:"; e2e_run_log "$root" "$err"; }

e2e_finish
