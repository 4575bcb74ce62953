#!/usr/bin/env bash
# The notice as a person meets it under a real window manager: where it sits, that it shows over
# the window the user works in, that it rises above and follows every workspace after a second,
# that nobody can move it, that the keyboard focus stays where it was, and the log of the whole
# run. What a manager does is also tried on a plain window, so that a limit of the manager (it
# moves or focuses every window alike) is told apart from a fault of the notice. The outcomes make
# one row of the desktop table, written to ROW_FILE when given.
# Usage: window_test.sh PATH_TO_BREVINOR [MANAGER [ROW_FILE]]
set -euo pipefail
bin=$(realpath "${1:?usage: window_test.sh PATH_TO_BREVINOR [MANAGER [ROW_FILE]]}")
manager=${2:-openbox} rowfile=${3:-}
source "$(dirname "$0")/lib.sh"

header="| desktop |" row="| $manager |"

rm -f "${rowfile:-/nonexistent}"
e2e_setup
e2e_start_x "$manager"
e2e_start_pulse w  # the sound goes to a sink of the test's own
e2e_launcher_ppid
root=$E2E_TMP/root && e2e_agent_install "$root" Editor "$E2E_LAUNCHER_PPID"

plain_window() {  # NAME INPUT GEOMETRY: an ordinary window, taking keyboard input or not; prints its id
  xmessage -name "$1" -xrm "*input: $2" -geometry "$3" "$1" >/dev/null 2>&1 &
  e2e_track $!
  local id name=$1
  e2e_poll 10 eval 'id=$(xdotool search --onlyvisible --classname "$name" | head -n1) && [[ -n $id ]]'
  # Listed once the manager handles it: kwin shows itself ready before it places windows.
  e2e_poll 20 eval 'xprop -root _NET_CLIENT_LIST | grep -q "$(printf 0x%x "$id")"' || true
  echo "$id"
}
# xdotool's --sync waits for the pointer to move, so it must not be where it goes already.
click() { read -r x y w h <<<"$(e2e_geometry "$1")" && xdotool mousemove 0 0 mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1 sleep 0.3; }
focused() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }
active() { xprop -root _NET_ACTIVE_WINDOW | grep -o '0x[0-9a-f]*' | head -n1 | grep . || echo 0; }
at() { e2e_geometry "$1" 2>/dev/null | cut -d' ' -f1,2 --output-delimiter=, || true; }
above() {  # A B: the manager stacks A above B
  xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*' |
    awk -v a="$(printf 0x%x "$1")" -v b="$(printf 0x%x "$2")" '$0 == a {i = NR} $0 == b {j = NR} END {exit !(i > j && j)}'
}
ms() { awk -v a="$shown" -v b="$1" 'BEGIN {printf "%d", (b - a) * 1000}'; }  # TIME: ms after the notice was shown
# client_message NAME WIN DATA...: a request to the manager about WIN, as a pager or taskbar sends it
client_message() { python3 -c 'import ctypes as c, sys; x = c.CDLL("libX11.so.6"); x.XOpenDisplay.restype = c.c_void_p; d = c.c_void_p(x.XOpenDisplay(None))
x.XDefaultRootWindow.restype = c.c_ulong; e = (c.c_long * 24)(33, 0, 1, 0, int(sys.argv[2]), x.XInternAtom(d, sys.argv[1].encode(), 0), 32, *map(int, sys.argv[3:]))
x.XSendEvent(d, c.c_ulong(x.XDefaultRootWindow(d)), 0, 0x180000, e); x.XCloseDisplay(d)' "$@"; }
typed() { local n && n=$(grep -c KeyPress "$E2E_TMP/keys") || true; xdotool key a b c && e2e_poll 5 eval '(($(grep -c KeyPress "$E2E_TMP/keys") >= n + 3))'; }
stamp() { date -d "$(grep -m1 -F "] $1" "$(e2e_logfile "$root")" | cut -c1-23)" +%s.%N; }  # MESSAGE: its log time

# The window the user works in: focused, covering the corner the notice takes, with the time of
# the user's last action noted as a toolkit does on input.
user=$(plain_window user true 640x420-0+0)
xev -id "$user" -event keyboard >"$E2E_TMP/keys" 2>&1 &  # every key the user's window gets
e2e_track $!
click "$user"
user_focus=0 && e2e_poll 5 focused "$user" && user_focus=1
xprop -id "$user" -f _NET_WM_USER_TIME 32c -set _NET_WM_USER_TIME 1000

e2e_launch "$root" env PULSE_SERVER="$E2E_PULSE_SERVER" "$bin" Editor
pid=$E2E_PID && win=$(e2e_find_window "$pid" 10) || win=
e2e_check "the notice window is mapped" test -n "$win"
[[ -n $win ]] || e2e_finish "$root"
shown=$(stamp 'Showing Notification')

# --- its first second: seen over the user's window, not yet kept above. Times come from the log's
# clock: on a busy machine a look may come too late to tell anything about the first second.
over= early=
while t=$(ms "$EPOCHREALTIME") && ((t < 700)); do
  above "$win" "$user" && over=$t  # before the state, which only ever gains keep-above
  early+=" $(e2e_prop "$win" _NET_WM_STATE)"
  [[ -z $over && $early != *_ABOVE* ]] || break
  sleep 0.05
done
column="seen over the focused window at first"
if [[ -z $early ]]; then
  e2e_skipped "not above at first" "n/a: first looked at $t ms (busy machine)" && e2e_skipped "$column" "n/a: busy machine"
else
  e2e_check "no keep-above at first" e2e_not grep -q _ABOVE <<<"$early"; e2e_cell "not above at first"
  if [[ -n $over ]]; then
    e2e_check "stacked over the user's window at $over ms" true; e2e_cell "$column"
  elif ! above "$(plain_window probe false 200x80-20+20)" "$user"; then
    e2e_skipped "$column" "n/a: a plain window is mapped under the focused one too"
  else
    e2e_check "stacked over the user's window before it is kept above" false; e2e_cell "$column"
  fi
fi
e2e_check "titled and classed Brevinor" grep -q '"Brevinor".*"brevinor", "Brevinor"' <<<"$(e2e_prop "$win" _NET_WM_NAME)$(e2e_prop "$win" WM_CLASS)"
e2e_check "no title bar" eval 'read -r _ _ top _ <<<"$(e2e_prop "$win" _NET_FRAME_EXTENTS | tr -d ,)" && ((${top:-0} < 10))'
e2e_check "it does not take the focus" eval '(($(active) != win)) && ! focused "$win" && ((!user_focus)) || focused "$user"'
read -r wx wy ww wh <<<"$(e2e_geometry "$win")"
area=$(xprop -root _NET_WORKAREA | grep -o '= [0-9, ]*' || xwininfo -root | awk '/^ *Width:/ {print "= 0 0", $NF}')
read -r ax ay aw _ <<<"$(tr -d '=,' <<<"$area")"
right=$((ax + aw - wx - ww)) down=$((wy - ay))
e2e_check "in the top-right corner of the work area (at $wx,$wy size ${ww}x$wh)" \
  test "$right" -ge 0 -a "$right" -le 60 -a "$down" -ge 0 -a "$down" -le 60
e2e_cell "top right"
read -r l r t b <<<"$(e2e_prop "$win" _GTK_FRAME_EXTENTS | tr -d , | grep . || echo 0 0 0 0)"
# Where a compositor shows the see-through window, the card casts its own shadow into a margin it
# declares as frame extents, fading out inside it; the visible card keeps its place, and the margin
# never reaches past the screen's edges (where managers that ignore the extents would push it in).
if [[ $manager == xcompmgr ]]; then  # whose shadow of the window's rectangle a margin would show
  e2e_check "no margin where the compositor shadows the whole window" test -z "$(e2e_prop "$win" _GTK_FRAME_EXTENTS)"
  e2e_cell "own shadow" "none: xcompmgr's"
elif [[ $(xwininfo -id "$win" | awk '/Depth:/ {print $NF}') == 32 ]]; then
  alpha() { python3 -c 'import ctypes as c, sys; x = c.CDLL("libX11.so.6"); x.XOpenDisplay.restype = x.XGetImage.restype = c.c_void_p
d = c.c_void_p(x.XOpenDisplay(None)); x.XGetPixel.restype = c.c_ulong; w, X, Y = map(int, sys.argv[1:])
print(x.XGetPixel(c.c_void_p(x.XGetImage(d, c.c_ulong(w), X, Y, 1, 1, c.c_ulong(~0), 2)), 0, 0) >> 24)' "$win" "$@"; }  # X Y in the window
  shade="$(alpha $((l + ww / 2)) $((t + wh + 3))) $(alpha $((l + ww / 2)) $((t + wh + b - 1))) $(alpha 0 $((t + wh / 2)))"
  read -r under bottom left <<<"$shade"
  e2e_check "its own shadow in a declared margin ($l $r $t $b; alpha $shade), the card 12 px from the corner ($right,$down)" eval \
    '((l > 0 && b > 0 && 0 < r && r <= 12 && 0 < t && t <= 12 && right == 12 && down == 12 && under >= 20 && bottom <= 2 && left <= 2))'
  e2e_cell "own shadow"
else e2e_skipped "own shadow" "n/a: no compositor"; fi
# Where the compositor blurs on request (KWin's effect announces itself on the root window), the card
# asks for it behind itself alone (the window less its frame extents), the rounded corners cut.
if xprop -root | grep -q '^_KDE_NET_WM_BLUR_BEHIND_REGION'; then
  e2e_check "blur asked behind the rounded card alone" awk -v x="$l" -v y="$t" -v w="$ww" -v h="$wh" \
    -v c="$(e2e_prop "$win" _KDE_NET_WM_BLUR_BEHIND_REGION | tr -d ,)" 'BEGIN { n = split(c, v, " "); X = Y = 1e9
    for (i = 1; i + 3 <= n; i += 4) { a += v[i+2] * v[i+3]; X = v[i] < X ? v[i] : X; Y = v[i+1] < Y ? v[i+1] : Y; R = v[i] + v[i+2] > R ? v[i] + v[i+2] : R
      B = v[i+1] + v[i+3] > B ? v[i+1] + v[i+3] : B; corner += v[i] <= x && v[i+1] <= y }
    exit !(n && X == x && Y == y && R == x + w && B == y + h && a < w * h && a > w * h - 200 && !corner) }'; e2e_cell "blur behind"
else e2e_skipped "blur behind" "n/a: no blur offered"; fi

# --- a second later: above the others, on every workspace, not movable
sleep "$(awk -v t="$(ms "$EPOCHREALTIME")" 'BEGIN {print (t < 1800 ? (1800 - t) / 1000 : 0)}')"
state=$(e2e_prop "$win" _NET_WM_STATE)
if xprop -root _NET_SUPPORTED | grep -q _NET_WM_STATE_ABOVE; then
  e2e_check "kept above after a second" grep -q _NET_WM_STATE_ABOVE <<<"$state"; e2e_cell "above after 1 s"
else
  e2e_skipped "above after 1 s" "n/a: the manager keeps no window above"
fi
e2e_check "SKIP_TASKBAR and SKIP_PAGER" eval '[[ $state == *_SKIP_TASKBAR* && $state == *_SKIP_PAGER* ]]'; e2e_cell "no taskbar, no pager"
e2e_check "on every workspace" eval '[[ $(e2e_prop "$win" _NET_WM_DESKTOP) == 4294967295 || $state == *_STICKY* ]]'
e2e_cell "every workspace"
# xfwm4 and fluxbox keep offering the move whatever the window asks.
if [[ ! $manager =~ ^(xfwm4|fluxbox)$ ]] && grep -q _NET_WM_ACTION_MOVE <<<"$(e2e_prop "$user" _NET_WM_ALLOWED_ACTIONS)"; then
  e2e_check "the manager no longer offers to move it" e2e_not grep -q _NET_WM_ACTION_MOVE <<<"$(e2e_prop "$win" _NET_WM_ALLOWED_ACTIONS)"
fi

# --- a click on it leaves the keyboard and the active window with the user's window. Where the card
# is under that window (i3 maps it so), no click reaches the card unless the window is moved off it.
above "$win" "$user" || xdotool windowmove "$user" 300 0 sleep 0.3
click "$user"
if ! e2e_poll 3 focused "$user"; then
  e2e_skipped "keys kept after a click" "n/a: a click does not focus a plain window"
else
  click "$win"
  e2e_check "after a click on it the user's window is the active one and gets the keys typed" eval 'e2e_poll 5 eval "((\$(active) != win))" && typed'
  e2e_cell "keys kept after a click"
fi

# --- nobody moves it: the user's drag with the manager's own gesture, a pager's
# _NET_MOVERESIZE_WINDOW, a program's XMoveWindow. Each must move a plain window, or it proves nothing.
move() {  # HOW WIN
  local x y w h step="mousemove_relative -- -75 50 sleep 0.05"
  read -r x y w h <<<"$(e2e_geometry "$2")"
  case $1 in
    # shellcheck disable=SC2086 # each step is several xdotool words
    "user drag") xdotool mousemove 0 0 mousemove --sync $((x + w / 2)) $((y + h / 2)) sleep 0.1 keydown "$modifier" \
      mousedown 1 sleep 0.1 $step $step $step $step mouseup 1 keyup "$modifier" ;;
    '`wmctrl -e`') wmctrl -i -r "$2" -e "0,$((x / 2)),$((y + 150)),-1,-1" ;;
    *) xdotool windowmove "$2" $((x / 3)) $((y + 100)) ;;
  esac
  sleep 0.3
}
case $manager in mutter* | metacity | kwin_x11) modifier=super ;; *) modifier=alt ;; esac
for how in "user drag" '`wmctrl -e`' "moved by XMoveWindow"; do
  from=$(at "$user") && move "$how" "$user"
  if [[ $(at "$user") == "$from" ]]; then e2e_skipped "$how" "n/a: a plain window is not moved either" && continue; fi
  from=$(at "$win") && move "$how" "$win"
  # On icewm also its keyboard move (a taskbar's "Move") for a few seconds, during which it insists:
  # the notice is back once it ends, and the moves after it are undone too.
  if [[ $how == "user drag" && $manager == icewm ]]; then
    client_message _NET_WM_MOVERESIZE "$win" 0 0 10 1 1
    for _ in 1 2 3; do xdotool sleep 0.1 key --delay 80 Left Left Left Left sleep 1; done && xdotool key Return
  fi
  if e2e_poll 4 eval '[[ $(at "$win") == "$from" ]]' || kill -0 "$pid" 2>/dev/null; then
    e2e_check "$how moves a plain window, the notice is back at $from" test "$(at "$win")" = "$from"
    e2e_cell "$how" held "moved to $(at "$win")"
  else
    e2e_skipped "$how" "n/a: the notice had ended (busy machine)"
  fi
done

# --- the end of the run and its log, every line of which goes to the per-user file
e2e_wait_exit "$pid" 25
e2e_check "exit status 0 (got $E2E_STATUS), nothing left on standard error" test "$E2E_STATUS" = 0 -a ! -s "$root/stderr"
e2e_cell "status 0 after 15 s"
e2e_check "the normal path's messages, in order" test "$(e2e_messages <"$(e2e_logfile "$root")")" = "$(e2e_normal_messages "$bin" "$pid")"
gap=$(awk -v a="$shown" -v b="$(stamp 'Log close:Brevinor')" 'BEGIN {printf "%.1f", b - a}')
e2e_check "closes about 15 s after showing (${gap} s)" awk -v g="$gap" 'BEGIN {exit !(g >= 14.9 && g < 15.9)}'

[[ -z $rowfile ]] || { mkdir -p "$(dirname "$rowfile")" && printf '%s\n%s\n' "$header" "$row" >"$rowfile"; }
printf '%s\n%s\n' "$header" "$row"
e2e_finish "$root"
