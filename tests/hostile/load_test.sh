#!/usr/bin/env bash
# Many runs at once against the real program: 30 notices on one display, then 200 runs turned away
# at the gates while the shared per-user logs are due for rotation. Every run must end with status 0
# in time, every run's lines must land whole in its install's log, and each log rotates once.
# Usage: load_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: load_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/../e2e/lib.sh"

e2e_setup
e2e_launcher_ppid
e2e_start_x
export PULSE_SERVER=unix:$E2E_TMP/no-sound  # never the machine's speakers
# start ROOT COUNT NAME...: COUNT runs from this very shell (so the recorded launcher matches), each
# for the next NAME in turn. finish BOUND: sets BAD to the runs started that did not end with
# status 0 within BOUND seconds of T0.
start() {
  local i
  for ((i = 0; i < $2; i++)); do
    BREVINOR_ROOT=$1 NO_AT_BRIDGE=1 "$bin" "${@:3 + i % ($# - 2):1}" 2>>"$1/stderr" </dev/null &
    e2e_track $! && PIDS+=($!)
  done
}
finish() {
  local pid
  BAD=0
  for pid in "${PIDS[@]}"; do e2e_wait_exit "$pid" $((T0 + $1 > SECONDS ? T0 + $1 - SECONDS : 0)) && ((E2E_STATUS == 0)) || ((++BAD)); done
  PIDS=()
}
# whole ROOT RUNS COUNT FIRST LAST: every line of the install's log carries the prefix, and each of
# RUNS runs wrote exactly COUNT lines, from FIRST to LAST; prints what is wrong.
whole() {
  local log && log=$(e2e_logfile "$1")
  grep -qvE "^$E2E_PREFIX" "$log" && echo "lines without the prefix"
  [[ ! -s $1/stderr ]] || echo "on standard error: $(head -c 300 "$1/stderr")"
  sed -E 's/^[^[]*\[([0-9]+):[^]]*\] /\1 /' "$log" | awk -v runs="$2" -v count="$3" -v first="$4" -v last="$5" '
    { pid = $1; sub(/^[0-9]+ /, ""); if (!n[pid]++) { head[pid] = $0; seen++ } tail[pid] = $0 }
    END { if (seen != runs) print seen " runs logged"
      for (p in n) if (n[p] != count || head[p] != first || tail[p] != last) print "run " p ": " n[p] " lines, " head[p] " to " tail[p] }'
}

# --- 30 notices for 30 applications, started together on one display
shown=$E2E_TMP/shown names=()
for i in {1..30}; do names+=("App $i") && entries+="<key>App $i</key><string>$E2E_LAUNCHER_PPID</string>"; done
e2e_agent_install "$shown" unused unused
e2e_plist "$shown/$E2E_AGENT/data/ApplicationRunningPromptData.plist" "<key>Lunmark</key><dict>$entries</dict>"
PIDS=() T0=$SECONDS && start "$shown" 30 "${names[@]}" && finish 45
e2e_check "30 notices all end with status 0 within 45 s ($BAD did not, last after $((SECONDS - T0)) s)" test "$BAD" = 0
broken=$(whole "$shown" 30 11 'Log Open:Brevinor' 'Log close:Brevinor')
e2e_check "each notice's 11 lines whole in the shared log, $(wc -l <"$(e2e_logfile "$shown")") in all${broken:+: $broken}" test -z "$broken"

# --- 200 runs turned away together, 100 at each gate, with both logs one byte over the threshold
for r in off other; do
  e2e_agent_install "$E2E_TMP/$r" Editor "$([[ $r == off ]] && echo "$E2E_LAUNCHER_PPID" || echo 999999)"
  cd "$E2E_TMP/$r/$E2E_AGENT/logs/UserLogs"
  # 0600, as the runs make it (one left open to others is made 0600 before it is locked).
  { head -c 2097152 /dev/zero | tr '\0' x; echo; } >"Lunmark_$(id -un)0.log" && chmod 600 "Lunmark_$(id -un)0.log"
  for i in {1..10}; do echo "old $i" >"Lunmark_$(id -un)$i.log"; done
  # After one rotation what was at index i is at i + 1, and the old 10 is gone.
  for i in {0..9}; do echo "$(md5sum <"Lunmark_$(id -un)$i.log" | cut -d' ' -f1)  Lunmark_$(id -un)$((i + 1)).log"; done | sort -k2 >"$E2E_TMP/$r.expected"
  cd - >/dev/null
done
e2e_disable "$E2E_TMP/off"
T0=$SECONDS && start "$E2E_TMP/off" 100 Editor && start "$E2E_TMP/other" 100 Editor && finish 90
e2e_check "200 turned-away runs all end with status 0 within 90 s ($BAD did not, last after $((SECONDS - T0)) s)" test "$BAD" = 0
for r in off:5:'Not showing Brevinor' other:7:'Brevinor: The Application is not running while patching, hence lunmark not shown'; do
  IFS=: read -r name count last <<<"$r"
  broken=$(whole "$E2E_TMP/$name" 100 "$count" 'Log Open:Brevinor' "$last")
  e2e_check "$name: each run's $count lines whole in the new current file${broken:+: $broken}" test -z "$broken"
  e2e_check "$name: exactly one rotation under load, nothing else deleted" \
    test "$(cd "$E2E_TMP/$name/$E2E_AGENT/logs/UserLogs" && md5sum -- *[1-9].log *10.log | sort -k2)" = "$(cat "$E2E_TMP/$name.expected")"
done
e2e_finish "$shown" "$E2E_TMP/off" "$E2E_TMP/other"
