#!/usr/bin/env bash
# Several notices at once: runs started in the same instant stack in the top-right column of the
# work area without covering one another, and the place of one that ends goes to the next notice.
# Six at once rather than three: fewer rarely meet in the claim, and so would not show a claim
# that is not atomic.
# Usage: stack_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: stack_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_start_x
export PULSE_SERVER=unix:$E2E_TMP/no-sound  # never the machine's speakers
e2e_launcher_ppid
roots=()
for name in Editor Mail Viewer Player Notes Clock Later; do
  roots+=("$E2E_TMP/$name")
  e2e_agent_install "$E2E_TMP/$name" "$name" "$E2E_LAUNCHER_PPID"
done
read -r ax ay aw ah _ <<<"$(xprop -root _NET_WORKAREA | sed -E 's/^[^=]*= //; s/,//g')"

# show ROOT: starts a notice on that install, from this shell; sets PID.
show() { e2e_launch "$1" "$bin" "$(basename "$1")" && PID=$E2E_PID; }
# frame PID: "X Y WIDTH HEIGHT" of the run's notice window, or nothing.
frame() { local w; w=$(e2e_find_window "$1" 15) && e2e_geometry "$w"; }
# in_column FRAME: inside the work area, its right edge near the work area's right edge.
in_column() {
  local f right
  read -ra f <<<"$1"
  right=$((ax + aw - f[0] - f[2]))
  ((${#f[@]} == 4 && right >= 0 && right <= 60 && f[0] >= ax && f[1] >= ay && f[1] + f[3] <= ay + ah))
}
# overlaps FRAME...: prints each pair of frames that overlap.
overlaps() {
  local i j a b
  for ((i = 1; i <= $#; i++)); do
    for ((j = i + 1; j <= $#; j++)); do
      read -ra a <<<"${!i}" && read -ra b <<<"${!j}"
      ((a[0] + a[2] <= b[0] || b[0] + b[2] <= a[0] || a[1] + a[3] <= b[1] || b[1] + b[3] <= a[1])) ||
        echo "${!i} / ${!j}"
    done
  done
}

# --- six at once: the launches race for the places
pids=()
for r in "${roots[@]:0:6}"; do show "$r" && pids+=("$PID"); done
frames=()
for p in "${pids[@]}"; do frames+=("$(frame "$p" || true)"); done
list=$(IFS=,; echo "${frames[*]}")
outside=0
for f in "${frames[@]}"; do in_column "$f" || ((++outside)); done
e2e_check "all six mapped in the top-right column of the work area ($list)" test "$outside" = 0
clash=$(overlaps "${frames[@]}")
e2e_check "no two overlap${clash:+ ($clash)}" test -z "$clash"
tops=$(for f in "${frames[@]}"; do echo "${f#* }" | cut -d' ' -f1; done | sort -n | tr '\n' ' ')
e2e_check "one takes the top place, 12 px down (tops: ${tops% })" test "${tops%% *}" = $((ay + 12))

# --- one in the middle ends; the next notice takes its place
middle=$(for i in "${!frames[@]}"; do echo "${frames[i]#* } $i"; done | sort -n | sed -n 3p | awk '{print $NF}')
kill -TERM "${pids[middle]}"
e2e_wait_exit "${pids[middle]}" 5
show "${roots[6]}"
next=$(frame "$PID" || true)
e2e_check "the next notice takes the freed place (${frames[middle]} -> $next)" \
  test -n "$next" -a "${next% * *}" = "${frames[middle]% * *}"
e2e_check "nothing on standard error" test ! -s "${roots[0]}/stderr" -a ! -s "${roots[6]}/stderr"

e2e_finish "${roots[@]}"
