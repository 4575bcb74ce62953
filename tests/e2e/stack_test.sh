#!/usr/bin/env bash
# Several notices at once: six runs started in the same instant (fewer rarely meet in the claim of a
# place) stack in the top-right column of the work area 8 px apart, and the place of one that ends
# goes to the next notice. Under a compositor, where each card's window reaches past it by its
# shadow, the cards the user sees are what stacks.
# Usage: stack_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: stack_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_start_x picom
export PULSE_SERVER=unix:$E2E_TMP/no-sound  # never the machine's speakers
e2e_launcher_ppid
# The manager announces itself a moment before it sets the work area.
e2e_poll 10 eval 'xprop -root _NET_WORKAREA | grep -q "= "' || echo "no work area set" >&2
read -r ax ay aw ah _ <<<"$(xprop -root _NET_WORKAREA | sed -E 's/^[^=]*= //; s/,//g')"
frames=() pids=()
# show NAME: a notice for NAME on an install of its own, from this shell; sets PID.
show() { e2e_agent_install "$E2E_TMP/$1" "$1" "$E2E_LAUNCHER_PPID" && e2e_launch "$E2E_TMP/$1" "$bin" "$1" && PID=$E2E_PID; }
frame() { local w; w=$(e2e_find_window "$1" 15) && e2e_geometry "$w"; }  # PID: "X Y WIDTH HEIGHT"
for name in Editor Mail Viewer Player Notes Clock; do show "$name" && pids+=("$PID"); done
for p in "${pids[@]}"; do frames+=("$(frame "$p" || true)"); done
# Each frame inside the work area, its right edge near the work area's, no two overlapping, one at
# the top place, 12 px down, and from there to the lowest one's bottom only the 8 px gaps between.
bad=$(printf '%s\n' "${frames[@]}" | awk -v ax="$ax" -v ay="$ay" -v aw="$aw" -v ah="$ah" '
  {x[NR] = $1; y[NR] = $2; w[NR] = $3; h[NR] = $4; r = ax + aw - $1 - $3; if (NR == 1 || $2 < top) top = $2
   if (NF != 4 || r < 0 || r > 60 || $1 < ax || $2 < ay || $2 + $4 > ay + ah) print "outside: " $0
   cards += $4; if ($2 + $4 > low) low = $2 + $4}
  END {if (top != ay + 12) print "highest at " top; if (low - top != cards + 8 * (NR - 1)) print "not 8 px apart"
    for (i = 1; i <= NR; i++) for (j = i + 1; j <= NR; j++)
      if (x[i] < x[j] + w[j] && x[j] < x[i] + w[i] && y[i] < y[j] + h[j] && y[j] < y[i] + h[i]) print "overlap: " i, j}')
e2e_check "all six in the top-right column from 12 px down, none over another ($(IFS=,; echo "${frames[*]}"))${bad:+: $bad}" test -z "$bad"
# The third from the top ends; the next notice takes its place.
middle=$(for i in "${!frames[@]}"; do echo "${frames[i]#* } $i"; done | sort -n | sed -n 3p | awk '{print $NF}')
kill -TERM "${pids[middle]}" && e2e_wait_exit "${pids[middle]}" 5
show Later
next=$(frame "$PID" || true)
e2e_check "the next notice takes the freed place (${frames[middle]} -> $next)" test -n "$next" -a "${next% * *}" = "${frames[middle]% * *}"
e2e_check "nothing on standard error" test ! -s "$E2E_TMP/Editor/stderr" -a ! -s "$E2E_TMP/Later/stderr"
e2e_finish "$E2E_TMP/Editor" "$E2E_TMP/Later"
