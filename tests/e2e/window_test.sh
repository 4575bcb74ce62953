#!/usr/bin/env bash
# The notice as a person meets it under a real window manager: where it sits,
# that it draws something, that it rises above and follows every workspace after
# a second, that a user's drag cannot move it, and the log of the whole run.
# Usage: window_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: window_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_start_x
# The sound goes to a sink of this test's own, never to the machine's speakers.
e2e_start_pulse w
root=$E2E_TMP/root
e2e_launcher_ppid
e2e_agent_install "$root" Editor "$E2E_LAUNCHER_PPID"

# An ordinary window that the same drag must move, or the drag proves nothing.
xmessage -geometry +80+450 "control window" >/dev/null 2>&1 &
e2e_track $!
e2e_poll 10 xdotool search --onlyvisible --class xmessage >/dev/null
control=$(xdotool search --onlyvisible --class xmessage | head -n1)

e2e_launch "$root" env PULSE_SERVER="$E2E_PULSE_SERVER" "$bin" Editor
pid=$E2E_PID
win=$(e2e_find_window "$pid" 10) || win=
e2e_check "the notice window is mapped" test -n "$win"
[[ -n $win ]] || e2e_finish "$root"
found=$(date +%s.%N)
since_found() { awk -v a="$found" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}'; }

# --- its first second: placed and plain, but not yet raised above the others
early=$(e2e_prop "$win" _NET_WM_STATE)
e2e_check "titled and classed Brevinor" \
  grep -q '"Brevinor".*"brevinor", "Brevinor"' <<<"$(e2e_prop "$win" _NET_WM_NAME)$(e2e_prop "$win" WM_CLASS)"
# The window manager's frame adds no title bar: the top frame extent stays thin.
read -r _ _ top _ <<<"$(e2e_prop "$win" _NET_FRAME_EXTENTS | tr -d ,)"
e2e_check "no title bar (top frame extent ${top:-?})" test "${top:-99}" -lt 10
active=$(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*' || true)
e2e_check "it does not take the focus" test "$((${active:-0}))" -ne "$win"
sleep 0.4
e2e_check "no keep-above at first nor at $(since_found) s" \
  e2e_not grep -q _ABOVE <<<"$early $(e2e_prop "$win" _NET_WM_STATE)"

# --- where it sits and what it shows
read -r wx wy ww wh <<<"$(e2e_geometry "$win")"
read -r ax ay aw _ <<<"$(xprop -root _NET_WORKAREA | sed -E 's/^[^=]*= //; s/,//g')"
right=$((ax + aw - wx - ww)) down=$((wy - ay))
e2e_check "in the top-right corner of the work area (at $wx,$wy size ${ww}x$wh)" \
  test "$right" -ge 0 -a "$right" -le 60 -a "$down" -ge 0 -a "$down" -le 60
colours=$(import -window root -crop "${ww}x$wh+$wx+$wy" +repage png:- | identify -format %k -)
e2e_check "the window shows an icon and text ($colours distinct colours)" test "$colours" -gt 10

# --- a second later: above the others, on every workspace, not movable
sleep "$(awk -v a="$found" -v b="$(date +%s.%N)" 'BEGIN {d = a + 1.8 - b; print (d > 0 ? d : 0)}')"
state=$(e2e_prop "$win" _NET_WM_STATE) at=$(since_found)
for s in ABOVE SKIP_TASKBAR SKIP_PAGER; do
  e2e_check "$s at $at s" grep -q "_NET_WM_STATE_$s" <<<"$state"
done
e2e_check "on every workspace" test "$(e2e_prop "$win" _NET_WM_DESKTOP)" = 4294967295
e2e_check "the window manager no longer offers to move it" \
  e2e_not grep -q _NET_WM_ACTION_MOVE <<<"$(e2e_prop "$win" _NET_WM_ALLOWED_ACTIONS)"

# --- a user's drag (openbox's Alt+button-1, through the window manager, unlike
# windowmove) moves the control window and leaves the notice where it is.
drag() {  # WIN DX DY: drags from the middle of WIN; prints its position before and after
  local x y w h step="mousemove_relative -- $(($2 / 4)) $(($3 / 4)) sleep 0.05"
  read -r x y w h <<<"$(e2e_geometry "$1")"
  # shellcheck disable=SC2086 # each step is several xdotool words
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) sleep 0.1 keydown alt mousedown 1 sleep 0.1 \
    $step $step $step $step mouseup 1 keyup alt sleep 0.2
  echo "$x,$y -> $(e2e_geometry "$1" | cut -d' ' -f1,2 --output-delimiter=,)"
}
moved=$(drag "$control" 160 -120)
e2e_check "the drag moves an ordinary window ($moved)" test "${moved% -> *}" != "${moved#* -> }"
moved=$(drag "$win" -300 200)
e2e_check "the same drag leaves the notice in place ($moved)" test "${moved% -> *}" = "${moved#* -> }"

# --- the end of the run and its log
e2e_wait_exit "$pid" 25
e2e_check "exit status 0 (got $E2E_STATUS)" test "$E2E_STATUS" = 0
# The per-user log takes every line of the run; nothing is left on the inherited standard error.
e2e_check "nothing is left on standard error" test ! -s "$root/stderr"
logfile=$(e2e_logfile "$root")
msgs=$(e2e_messages <"$logfile") || msgs=
e2e_check "$(basename "$logfile") opens with \"Log Open\" and closes with \"Log close\"" \
  test "$(sed -n '1p;$p' <<<"$msgs")" = $'Log Open:Brevinor\nLog close:Brevinor'
want=('Log Open:Brevinor' 'Given App Name Optional\("Editor"\)'
  'Initially setting default image for appIcon :.*/share/brevinor/AppIcon\.icns' 'Rebrand Changes not available'
  'Printing the ballon text Editor update failed\. You can now use the application\. Patching will be attempted again shortly\.'
  'Showing Notification and Playing Sound' 'Log close:Brevinor')
i=0
while IFS= read -r m; do
  if ((i < ${#want[@]})) && [[ $m =~ ^${want[i]}$ ]]; then ((++i)); fi
done <<<"$msgs"
e2e_check "the normal path's messages, in order${want[i]+ (missing: ${want[i]})}" test "$i" = ${#want[@]}
# The notice stays for 15 s: compare the stamps of showing and closing.
stamp() { date -d "$(grep -m1 -F "] $1" "$logfile" | cut -c1-23)" +%s.%N; }
gap=$(awk -v a="$(stamp 'Showing Notification')" -v b="$(stamp 'Log close:Brevinor')" 'BEGIN {printf "%.1f", b - a}')
e2e_check "closes about 15 s after showing (${gap} s)" awk -v g="$gap" 'BEGIN {exit !(g >= 14.5 && g <= 17)}'

e2e_finish "$root"
