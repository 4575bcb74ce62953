#!/usr/bin/env bash
# Many runs at once against the real program: 30 notices on one display, then 200 runs turned
# away at the gates while the shared per-user log is due for rotation. Every run must end with
# status 0 in time, and every run's lines must land whole in its install's log.
# Usage: load_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: load_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/../e2e/lib.sh"

e2e_setup
e2e_launcher_ppid
e2e_start_x
export PULSE_SERVER=unix:$E2E_TMP/no-sound  # never the machine's speakers
agent=Library/Orrinwell/Tarnis_Agent
lines_checked=0

# launch ROOT NAME: one run from this very shell (so the recorded launcher matches); adds to PIDS.
launch() {
  BREVINOR_ROOT=$1 NO_AT_BRIDGE=1 "$bin" "$2" 2>>"$1/stderr" </dev/null &
  e2e_track $!
  PIDS+=($!)
}
# wait_all BOUND: waits for every run in PIDS, started at T0; sets BAD (runs not ending with
# status 0 within BOUND seconds) and LAST (seconds until the last one ended).
wait_all() {
  local pid left=("${PIDS[@]}") still status
  BAD=0 LAST=0
  while ((${#left[@]})); do
    still=()
    for pid in "${left[@]}"; do
      if kill -0 "$pid" 2>/dev/null; then still+=("$pid"); continue; fi
      status=0 && wait "$pid" || status=$?
      ((status == 0)) || ((++BAD))
      LAST=$(awk -v a="$T0" -v b="$EPOCHREALTIME" -v l="$LAST" 'BEGIN {d = b - a; m = d > l ? d : l; printf "%.1f", m}')
    done
    left=("${still[@]}")
    if ((${#left[@]})) && awk -v a="$T0" -v b="$EPOCHREALTIME" -v m="$1" 'BEGIN {exit !(b - a > m)}'; then
      BAD=$((BAD + ${#left[@]}))
      for pid in "${left[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
      break
    fi
    sleep 0.1
  done
}
# runs_whole FILE COUNT FIRST LAST: every line in FILE carries the prefix, and each run in PIDS
# wrote exactly COUNT lines, the first FIRST and the last LAST; prints the runs that did not.
runs_whole() {
  awk -v want="$2" -v first="$3" -v last="$4" -v pids="${PIDS[*]}" '
    BEGIN { n = split(pids, p, " "); for (i = 1; i <= n; i++) run[p[i]] = 1 }
    !/^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]\.[0-9][0-9][0-9] Brevinor\[[0-9]+:[0-9]+\] / { torn++; next }
    {
      pid = $3; sub(/^Brevinor\[/, "", pid); sub(/:.*/, "", pid)
      msg = $0; sub(/^[^]]*\] /, "", msg)
      if (!(pid in count)) head[pid] = msg
      count[pid]++; tail[pid] = msg
    }
    END {
      if (torn) print torn " lines without the prefix"
      for (pid in run) if (count[pid] != want || head[pid] != first || tail[pid] != last)
        print "run " pid ": " count[pid] + 0 " lines, from \"" head[pid] "\" to \"" tail[pid] "\""
    }' "$1"
}
# record ROOT PPID_TEXT NAME...: the launcher record lists every name with the same launcher.
record() {
  local name entries=
  for name in "${@:3}"; do entries+="<key>$name</key><string>$2</string>"; done
  e2e_plist "$1/$agent/data/ApplicationRunningPromptData.plist" "<key>Lunmark</key><dict>$entries</dict>"
}

# --- 30 notices for 30 applications, started within one second, on one display
shown=$E2E_TMP/shown
names=()
for i in {1..30}; do names+=("App $i"); done
e2e_agent_install "$shown" "App 1" "$E2E_LAUNCHER_PPID"
record "$shown" "$E2E_LAUNCHER_PPID" "${names[@]}"
PIDS=() T0=$EPOCHREALTIME
for n in "${names[@]}"; do launch "$shown" "$n"; done
spread=$(awk -v a="$T0" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.2f", b - a}')
wait_all 45
# How fast the shell starts them is the machine's business, not the program's: the spread is
# reported, not judged.
e2e_check "30 notices started within $spread s all end with status 0 within 45 s (last after $LAST s)" \
  test "$BAD" = 0
lines_checked=$(wc -l <"$(e2e_logfile "$shown")")
broken=$(runs_whole "$(e2e_logfile "$shown")" 11 'Log Open:Brevinor' 'Log close:Brevinor')
e2e_check "each notice's 11 lines, Log Open to Log close, whole in the shared log${broken:+: $broken}" test -z "$broken"
e2e_check "nothing on standard error" test ! -s "$shown/stderr"
last_shown=$LAST

# --- 200 runs turned away at once, half at each gate, with both logs due for rotation
off=$E2E_TMP/off other=$E2E_TMP/other
e2e_agent_install "$off" Editor "$E2E_LAUNCHER_PPID"
sed -i 's|<true/>|<false/>|' "$off/$agent/data/ztpatch_data.plist"
e2e_agent_install "$other" Editor "  999999"$'\n'
for r in "$off" "$other"; do
  (
    cd "$r/$agent/logs/UserLogs"
    { head -c 2097152 /dev/zero | tr '\0' x; echo; } >"Lunmark_$(id -un)0.log"  # one byte over
    for i in {1..10}; do echo "old $i" >"Lunmark_$(id -un)$i.log"; done
    md5sum -- * >"$r/before"
  )
done
PIDS=() T0=$EPOCHREALTIME
for i in {1..100}; do launch "$off" Editor; done
off_pids=("${PIDS[@]}")
for i in {1..100}; do launch "$other" Editor; done
other_pids=("${PIDS[@]:100}")
wait_all 90
e2e_check "200 turned-away runs all end with status 0 within 90 s (last after $LAST s)" test "$BAD" = 0
last_away=$LAST
PIDS=("${off_pids[@]}")
broken=$(runs_whole "$(e2e_logfile "$off")" 5 'Log Open:Brevinor' 'Not showing Brevinor')
e2e_check "setting off: each run's 5 lines whole in the new current file${broken:+: $broken}" test -z "$broken"
PIDS=("${other_pids[@]}")
broken=$(runs_whole "$(e2e_logfile "$other")" 7 'Log Open:Brevinor' \
  'Brevinor: The Application is not running while patching, hence lunmark not shown')
e2e_check "another launcher: each run's 7 lines whole in the new current file${broken:+: $broken}" test -z "$broken"
for r in "$off" "$other"; do
  # One rotation: what was at index i is now at i + 1, the old 10 is gone, nothing else is.
  expected=$(awk '{i = $2; sub(/^Lunmark_[^0-9]*/, "", i); sub(/\.log$/, "", i)
    if (i + 0 < 10) print $1 "  " substr($2, 1, length($2) - length(i) - 4) i + 1 ".log"}' "$r/before" | sort -k2)
  now=$(cd "$r/$agent/logs/UserLogs" && md5sum -- *[1-9].log *10.log | sort -k2)
  lines_checked=$((lines_checked + $(wc -l <"$(e2e_logfile "$r")")))
  e2e_check "$(basename "$r"): exactly one rotation under load, nothing else deleted" \
    test "$now" = "$expected" -a ! -s "$r/stderr"
done
echo "figures: 30 notices ended within $last_shown s, 200 turned-away runs within $last_away s; $lines_checked log lines checked"
e2e_finish "$shown" "$off" "$other"
