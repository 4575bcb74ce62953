#!/usr/bin/env bash
# The notice as a person meets it under a real window manager: where it sits, that it shows over
# the window the user works in, that it rises above and follows every workspace after a second,
# that nobody can move it, that the user's keyboard focus stays where it was, and the log of the
# whole run. Each check of what a manager does is also tried on a plain window, so that a limit of
# the manager (it moves or focuses every window alike) is told apart from a fault of the notice.
# The results make one row of the desktop table, written to ROW_FILE when given.
# Usage: window_test.sh PATH_TO_BREVINOR [MANAGER [ROW_FILE]]
set -euo pipefail
bin=$(realpath "${1:?usage: window_test.sh PATH_TO_BREVINOR [MANAGER [ROW_FILE]]}")
manager=${2:-openbox} rowfile=${3:-}
source "$(dirname "$0")/lib.sh"

header="| desktop |" row="| $manager |"
# cell COLUMN [GOOD BAD]: the last check's outcome as a cell of the row.
cell() { header+=" $1 |" row+=" $( ((E2E_OK)) && echo "${2:-yes}" || echo "**${3:-no}**") |"; }
# skipped COLUMN WHY: a check the manager's handling of a plain window makes pointless.
skipped() { header+=" $1 |" row+=" $2 |"; echo "SKIP: $1: $2"; }

[[ -z $rowfile ]] || rm -f "$rowfile"
e2e_setup
e2e_start_x "$manager"
# The sound goes to a sink of this test's own, never to the machine's speakers.
e2e_start_pulse w
root=$E2E_TMP/root
e2e_launcher_ppid
e2e_agent_install "$root" Editor "$E2E_LAUNCHER_PPID"

# plain_window NAME INPUT GEOMETRY: an ordinary window, taking keyboard input or not; prints its id.
plain_window() {
  xmessage -name "$1" -xrm "*input: $2" -geometry "$3" "$1" >/dev/null 2>&1 &
  e2e_track $!
  e2e_poll 10 xdotool search --onlyvisible --classname "$1" >/dev/null
  local id
  id=$(xdotool search --onlyvisible --classname "$1" | head -n1)
  # Listed once the manager handles it: kwin shows itself ready before it places windows.
  e2e_poll 20 eval 'xprop -root _NET_CLIENT_LIST | grep -q "$(printf 0x%x "$id")"' || true
  echo "$id"
}
middle() { e2e_geometry "$1" | awk '{print $1 + int($3 / 2), $2 + int($4 / 2)}'; }
# xdotool's --sync waits for the pointer to move, so it must not be where it goes already.
click() { read -r x y <<<"$(middle "$1")" && xdotool mousemove 0 0 mousemove --sync "$x" "$y" click 1 sleep 0.3; }
focused() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }
active() { xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*' | head -n1 | grep . || echo 0; }
at() { e2e_geometry "$1" 2>/dev/null | cut -d' ' -f1,2 --output-delimiter=, || true; }
stacking() { xprop -root _NET_CLIENT_LIST_STACKING; }
stacked_above() {  # A B [STACKING]: the manager stacks A above B (in STACKING, or now)
  grep -o '0x[0-9a-f]*' <<<"${3:-$(stacking)}" |
    awk -v a="$(printf 0x%x "$1")" -v b="$(printf 0x%x "$2")" '$0 == a {i = NR} $0 == b {j = NR} END {exit !(i > j && j)}'
}

# The window the user works in: it has the keyboard focus and covers the corner the notice takes.
user=$(plain_window user true 640x420-0+0)
click "$user"
user_focus=0
e2e_poll 5 focused "$user" && user_focus=1
# As a toolkit does on input, the user's window notes the time of the user's last action.
xprop -id "$user" -f _NET_WM_USER_TIME 32c -set _NET_WM_USER_TIME 1000

e2e_launch "$root" env PULSE_SERVER="$E2E_PULSE_SERVER" "$bin" Editor
pid=$E2E_PID
win=$(e2e_find_window "$pid" 10) || win=
e2e_check "the notice window is mapped" test -n "$win"
[[ -n $win ]] || e2e_finish "$root"
found=$(date +%s.%N)
since_found() { awk -v a="$found" -v b="$(date +%s.%N)" 'BEGIN {printf "%.2f", b - a}'; }

# --- its first second: placed, plain and in sight over the user's window, but not yet raised
# above the others. How long after the window was shown each look came is taken from the log's
# clock: on a busy machine a look may come too late to tell anything about the first second.
early=$(e2e_prop "$win" _NET_WM_STATE) early_at=$(date +%s.%N)
stamp() { date -d "$(grep -m1 -F "] $1" "$(e2e_logfile "$root")" | cut -c1-23)" +%s.%N; }
shown=$(stamp 'Showing Notification')
ms() { awk -v a="$shown" -v b="$1" 'BEGIN {printf "%d", (b - a) * 1000}'; }
# Seen over the user's window: the manager stacks it above while it is not yet kept above. The
# stacking is read before the state, which only ever gains keep-above.
over_at="" first=$(ms "$early_at")
while ((first < 700)); do
  t=$(date +%s.%N) over=0
  stacked_above "$win" "$user" && over=1
  [[ $(e2e_prop "$win" _NET_WM_STATE) != *_ABOVE* ]] || break
  ((over)) && over_at=$(ms "$t") && break
  (($(ms "$t") < 3000)) || break
  sleep 0.05
done
later=$(e2e_prop "$win" _NET_WM_STATE) later_at=$(date +%s.%N)
looks=""
(($(ms "$early_at") < 900)) && looks+=" $early"
(($(ms "$later_at") < 900)) && looks+=" $later"
if [[ -n $looks ]]; then
  e2e_check "no keep-above at $(ms "$early_at") ms nor at $(ms "$later_at") ms" e2e_not grep -q _ABOVE <<<"$looks"
  cell "not above at first"
else
  skipped "not above at first" "n/a: first looked at $(ms "$early_at") ms (busy machine)"
fi
column="seen over the focused window at first"
if [[ -n $over_at ]]; then
  e2e_check "stacked over the user's window at $over_at ms" true
  cell "$column"
elif ((first >= 700)); then
  skipped "$column" "n/a: first looked at $first ms (busy machine)"
elif ! stacked_above "$(plain_window probe false 200x80-20+20)" "$user"; then
  skipped "$column" "n/a: a plain window is mapped under the focused one too"
else
  e2e_check "stacked over the user's window before it is kept above" false
  cell "$column"
fi
e2e_check "titled and classed Brevinor" \
  grep -q '"Brevinor".*"brevinor", "Brevinor"' <<<"$(e2e_prop "$win" _NET_WM_NAME)$(e2e_prop "$win" WM_CLASS)"
# The window manager's frame adds no title bar: the top frame extent stays thin (some managers
# publish extents only for the windows they frame).
read -r _ _ top _ <<<"$(e2e_prop "$win" _NET_FRAME_EXTENTS | tr -d ,)"
e2e_check "no title bar (top frame extent ${top:-none})" test "${top:-0}" -lt 10
e2e_check "it does not take the focus" eval '(($(active) != win)) && ! focused "$win" &&
  ((!user_focus)) || focused "$user"'

# --- where it sits
read -r wx wy ww wh <<<"$(e2e_geometry "$win")"
if area=$(xprop -root _NET_WORKAREA | grep -o '= [0-9, ]*'); then
  read -r ax ay aw _ <<<"$(tr -d '=,' <<<"$area")"
else  # a manager that publishes no work area leaves the whole screen to windows
  ax=0 ay=0 aw=$(xwininfo -root | awk '/^ *Width:/ {print $NF}')
fi
right=$((ax + aw - wx - ww)) down=$((wy - ay))
e2e_check "in the top-right corner of the work area (at $wx,$wy size ${ww}x$wh)" \
  test "$right" -ge 0 -a "$right" -le 60 -a "$down" -ge 0 -a "$down" -le 60
cell "top right"

# --- a second later: above the others, on every workspace, not movable
sleep "$(awk -v a="$found" -v b="$(date +%s.%N)" 'BEGIN {d = a + 1.8 - b; print (d > 0 ? d : 0)}')"
state=$(e2e_prop "$win" _NET_WM_STATE) at=$(since_found)
if xprop -root _NET_SUPPORTED | grep -q _NET_WM_STATE_ABOVE; then
  e2e_check "ABOVE at $at s" grep -q _NET_WM_STATE_ABOVE <<<"$state"
  cell "above after 1 s"
else
  skipped "above after 1 s" "n/a: the manager keeps no window above"
fi
e2e_check "SKIP_TASKBAR and SKIP_PAGER at $at s" eval '[[ $state == *_SKIP_TASKBAR* && $state == *_SKIP_PAGER* ]]'
cell "no taskbar, no pager"
e2e_check "on every workspace" eval '[[ $(e2e_prop "$win" _NET_WM_DESKTOP) == 4294967295 || $state == *_STICKY* ]]'
cell "every workspace"
crop="${ww}x$wh+$wx+$wy"
if stacked_above "$win" "$user"; then
  # A rootless XWayland has no picture of its root window; there only the window's own is seen.
  import -window root "$E2E_TMP/shot.miff" 2>/dev/null ||
    { import -window "$win" "$E2E_TMP/shot.miff" && crop="${ww}x$wh+0+0"; }
  colours=$(convert "$E2E_TMP/shot.miff" -crop "$crop" +repage png:- | identify -format %k -)
  e2e_check "the window shows an icon and text ($colours distinct colours)" test "$colours" -gt 10
fi
# xfwm4 and fluxbox keep offering the move whatever the window asks.
if [[ ! $manager =~ ^(xfwm4|fluxbox)$ ]] &&
  grep -q _NET_WM_ACTION_MOVE <<<"$(e2e_prop "$user" _NET_WM_ALLOWED_ACTIONS)"; then
  e2e_check "the window manager no longer offers to move it" \
    e2e_not grep -q _NET_WM_ACTION_MOVE <<<"$(e2e_prop "$win" _NET_WM_ALLOWED_ACTIONS)"
fi

# --- a click on it leaves the keyboard focus with the user's window
click "$user"
if ! e2e_poll 3 focused "$user"; then
  skipped "focus kept after a click" "n/a: a click does not focus a plain window"
else
  click "$win"
  if focused "$user" && (($(active) != win)); then
    e2e_check "a click on it leaves the keyboard focus on the user's window" true
    cell "focus kept after a click"
  else
    # A window that takes no input must not take the focus either; when a plain one of those
    # does, the manager focuses whatever is clicked.
    click "$user"
    click "$(plain_window noinput false 200x80+80+600)"
    if focused "$user"; then
      e2e_check "a click on it leaves the keyboard focus on the user's window" false
      cell "focus kept after a click"
    else
      skipped "focus kept after a click" "lost, as to any window clicked"
    fi
  fi
fi

# --- nobody moves it: not the user's drag with the manager's own gesture (not a client request,
# unlike the two others), not a pager's _NET_MOVERESIZE_WINDOW, not a program's XMoveWindow.
# Each must move a plain window, or it proves nothing.
modifier=$(e2e_move_modifier "$manager")
move() {  # HOW WIN: moves WIN away from where it is
  local x y w h step="mousemove_relative -- -75 50 sleep 0.05"
  read -r x y w h <<<"$(e2e_geometry "$2")"
  case $1 in
    # shellcheck disable=SC2086 # each step is several xdotool words
    drag) xdotool mousemove 0 0 mousemove --sync $((x + w / 2)) $((y + h / 2)) sleep 0.1 keydown "$modifier" \
      mousedown 1 sleep 0.1 $step $step $step $step mouseup 1 keyup "$modifier" ;;
    wmctrl) wmctrl -i -r "$2" -e "0,$((x / 2)),$((y + 150)),-1,-1" ;;
    XMoveWindow) xdotool windowmove "$2" $((x / 3)) $((y + 100)) ;;
  esac
  sleep 0.3
}
for how in drag wmctrl XMoveWindow; do
  column="moved by $how"
  [[ $how == drag ]] && column="user drag"
  [[ $how == wmctrl ]] && column="\`wmctrl -e\`"
  if ! kill -0 "$pid" 2>/dev/null; then
    skipped "$column" "n/a: the notice had ended (busy machine)"
    continue
  fi
  from=$(at "$user")
  move "$how" "$user"
  if [[ $(at "$user") == "$from" ]]; then
    skipped "$column" "n/a: a plain window is not moved either"
    continue
  fi
  from=$(at "$win")
  move "$how" "$win"
  if e2e_poll 3 eval '[[ $(at "$win") == "$from" ]]' || kill -0 "$pid" 2>/dev/null; then
    e2e_check "$how moves a plain window, the notice is back at $from" test "$(at "$win")" = "$from"
    cell "$column" held "moved to $(at "$win")"
  else
    skipped "$column" "n/a: the notice had ended (busy machine)"
  fi
done

# --- the end of the run and its log
e2e_wait_exit "$pid" 25
e2e_check "exit status 0 (got $E2E_STATUS)" test "$E2E_STATUS" = 0
cell "status 0 after 15 s"
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
gap=$(awk -v a="$(stamp 'Showing Notification')" -v b="$(stamp 'Log close:Brevinor')" 'BEGIN {printf "%.1f", b - a}')
e2e_check "closes about 15 s after showing (${gap} s)" awk -v g="$gap" 'BEGIN {exit !(g >= 14.5 && g <= 17)}'

if [[ -n $rowfile ]]; then
  mkdir -p "$(dirname "$rowfile")"
  printf '%s\n%s\n' "$header" "$row" >"$rowfile"
fi
echo "$header"
echo "$row"
e2e_finish "$root"
