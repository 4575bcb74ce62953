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

log=$E2E_TMP/stderr
BREVINOR_ROOT=$root PULSE_SERVER=$E2E_PULSE_SERVER NO_AT_BRIDGE=1 "$bin" Editor 2>"$log" &
pid=$!
e2e_track "$pid"

dump_log() { echo "--- log of the run:"; e2e_run_log "$root" "$log"; }

if ! win=$(e2e_find_window "$pid" 10); then
  e2e_fail "the notice window is mapped"
  dump_log
  e2e_finish || exit 1
fi
found=$(date +%s.%N)
e2e_pass "the notice window is mapped"
has_state() { grep -q "_NET_WM_STATE_$2" <<<"$1"; }
since_found() { awk -v a="$found" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}'; }

# --- its first second: placed and tagged, but not yet raised above the others
early=$(e2e_prop "$win" _NET_WM_STATE)
e2e_check "no keep-above while the first second lasts" e2e_not has_state "$early" ABOVE
e2e_check "skip-taskbar from the start" has_state "$early" SKIP_TASKBAR
e2e_check "skip-pager from the start" has_state "$early" SKIP_PAGER
e2e_check "title Brevinor" grep -q '"Brevinor"' <<<"$(e2e_prop "$win" _NET_WM_NAME)"
e2e_check "WM_CLASS brevinor" grep -q '"brevinor"' <<<"$(e2e_prop "$win" WM_CLASS)"
e2e_check "_NET_WM_PID is the program's" test "$(e2e_prop "$win" _NET_WM_PID)" = "$pid"
# The window manager's frame adds no title bar: the top frame extent stays thin.
read -r _ _ top _ <<<"$(e2e_prop "$win" _NET_FRAME_EXTENTS | tr -d ,)"
e2e_check "no title bar (top frame extent ${top:-?})" test "${top:-99}" -lt 10
active=$(xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*' || true)
e2e_check "it does not take the focus" test "$((${active:-0}))" -ne "$win"
sleep 0.4
e2e_check "still no keep-above at $(since_found) s" e2e_not has_state "$(e2e_prop "$win" _NET_WM_STATE)" ABOVE

# --- where it sits and what it shows
read -r wx wy ww wh <<<"$(e2e_geometry "$win")"
read -r ax ay aw _ <<<"$(xprop -root _NET_WORKAREA | sed -E 's/^[^=]*= //; s/,//g')"
e2e_check "in the top-right corner of the work area (at $wx,$wy size ${ww}x$wh)" \
  test $((ax + aw - (wx + ww))) -ge 0 -a $((ax + aw - (wx + ww))) -le 60 -a $((wy - ay)) -ge 0 -a $((wy - ay)) -le 60
shot=$E2E_TMP/notice.png
import -window root -crop "${ww}x$wh+$wx+$wy" +repage "$shot"
colours=$(identify -format %k "$shot")
e2e_check "the window shows an icon and text ($colours distinct colours)" test "$colours" -gt 10

# --- a second later: above the others, on every workspace, not movable
sleep "$(awk -v a="$found" -v b="$(date +%s.%N)" 'BEGIN {d = a + 1.8 - b; print (d > 0 ? d : 0)}')"
state=$(e2e_prop "$win" _NET_WM_STATE)
e2e_check "keep-above at $(since_found) s" has_state "$state" ABOVE
desktop=$(e2e_prop "$win" _NET_WM_DESKTOP)
e2e_check "on every workspace (desktop $desktop)" \
  eval 'test "$desktop" = 4294967295 || has_state "$state" STICKY'
e2e_check "still skip-taskbar and skip-pager" eval 'has_state "$state" SKIP_TASKBAR && has_state "$state" SKIP_PAGER'
e2e_check "the window manager no longer offers to move it" \
  e2e_not grep -q _NET_WM_ACTION_MOVE <<<"$(e2e_prop "$win" _NET_WM_ALLOWED_ACTIONS)"

# --- a user's drag: moves the control window, leaves the notice where it is
read -r cx cy cw ch <<<"$(e2e_geometry "$control")"
e2e_user_drag $((cx + cw / 2)) $((cy + ch / 2)) 160 -120
read -r cx2 cy2 _ _ <<<"$(e2e_geometry "$control")"
e2e_check "the drag moves an ordinary window ($cx,$cy -> $cx2,$cy2)" test "$cx,$cy" != "$cx2,$cy2"
e2e_user_drag $((wx + ww / 2)) $((wy + wh / 2)) -300 200
read -r wx2 wy2 _ _ <<<"$(e2e_geometry "$win")"
e2e_check "the same drag leaves the notice in place ($wx,$wy -> $wx2,$wy2)" test "$wx,$wy" = "$wx2,$wy2"

# --- the end of the run and its log
e2e_wait_exit "$pid" 25
e2e_check "exit status 0 (got $E2E_STATUS)" test "$E2E_STATUS" = 0
# The per-user log takes every line of the run; nothing is left on the inherited standard error.
logfile=$root/Library/Orrinwell/Tarnis_Agent/logs/UserLogs/Lunmark_$(id -un)0.log
e2e_check "the run's log is in $(basename "$logfile")" \
  test "$(e2e_messages <"$logfile" | sed -n '1p;$p' | tr '\n' '|')" = "Log Open:Brevinor|Log close:Brevinor|"
e2e_check "nothing is left on standard error" test ! -s "$log"
msgs=$E2E_TMP/messages
e2e_run_log "$root" "$log" | e2e_messages >"$msgs"
e2e_check "the log opens first" test "$(head -n1 "$msgs")" = "Log Open:Brevinor"
e2e_check "the log closes last" test "$(tail -n1 "$msgs")" = "Log close:Brevinor"
e2e_check "the normal path's messages, in order" e2e_in_order "$msgs" \
  'Log Open:Brevinor' \
  "$(e2e_re_quote 'Given App Name Optional("Editor")')" \
  'Initially setting default image for appIcon :.*/share/brevinor/AppIcon\.icns' \
  'Rebrand Changes not available' \
  "$(e2e_re_quote 'Printing the ballon text Editor update failed. You can now use the application. Patching will be attempted again shortly.')" \
  'Showing Notification and Playing Sound' \
  'Log close:Brevinor'
icon=$(sed -n 's/^Initially setting default image for appIcon ://p' "$msgs" | head -n1)
e2e_check "the icon it names exists ($icon)" test -f "$icon"
e2e_check "every log line carries the program's pid" \
  eval '! e2e_run_log "$root" "$log" | grep -E "$E2E_PREFIX_RE" | grep -vq "Brevinor\[$pid:"'
# The notice stays for 15 s: compare the stamps of showing and closing.
stamp() { e2e_run_log "$root" "$log" | grep -E "$E2E_PREFIX_RE" | grep -F "] $1" | head -n1 | cut -c1-23; }
shown=$(stamp 'Showing Notification') closed=$(stamp 'Log close:Brevinor')
gap=$(awk -v a="$(date -d "${shown:-1970-01-01}" +%s.%N)" -v b="$(date -d "${closed:-1970-01-01}" +%s.%N)" \
  'BEGIN {printf "%.1f", b - a}')
e2e_check "closes about 15 s after showing (${gap} s)" awk -v g="$gap" 'BEGIN {exit !(g >= 14.5 && g <= 17)}'

((E2E_FAILED == 0)) || dump_log
e2e_finish
