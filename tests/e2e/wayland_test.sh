#!/usr/bin/env bash
# The notice on a Wayland compositor that offers layer surfaces, as a person meets it: top right
# with its margins, over a newer window, on every workspace, where no move reaches it, every key the
# user types going to the user's window, in no taskbar, a second one stacked below it, and the same
# log as on X11. What shows is read from screenshots: the card is what differs from the screen
# before it, over windows of the empty background's colour (so a translucent card looks the same
# everywhere). The outcomes make one row of the desktop table, written to ROW_FILE when given.
# Usage: wayland_test.sh PATH_TO_BREVINOR sway|kwin-wayland [ROW_FILE]
set -euo pipefail
bin=$(realpath "${1:?usage: wayland_test.sh PATH_TO_BREVINOR sway|kwin-wayland [ROW_FILE]}")
manager=${2:-sway} rowfile=${3:-}
source "$(dirname "$0")/lib.sh"

header="| desktop |" row="| $manager |" && rm -f "${rowfile:-/nonexistent}"
e2e_setup
e2e_start_wayland "$manager"
e2e_launcher_ppid
launch() {  # ROOT: a notice on an install of its own, run by the compositor's user; sets E2E_PID
  e2e_agent_install "$1" Editor "$E2E_LAUNCHER_PPID" && chmod 1777 "$1/$E2E_AGENT/logs/UserLogs"
  e2e_launch "$1" "${E2E_AS[@]}" PULSE_SERVER=none "$bin" Editor
}
on_sway() { [[ $manager == sway ]]; }
tree() { swaymsg -t get_tree | jq "$@"; }
shot() { e2e_shot "$E2E_TMP/$1.png"; }
box() {  # SHOT: "W H X Y" of what the light card brightens on the dark screen (its shadow darkens)
  convert "$E2E_TMP/before.png" "$E2E_TMP/$1.png" -compose minus_dst -composite -colorspace gray -threshold 3% -format '%@' info: 2>/dev/null | tr x+ '  '
}
at() {  # CROP: the card's pixels are at CROP ("WxH+X+Y") of a screenshot taken now
  shot now && convert "$E2E_TMP/now.png" -crop "$1" +repage "$E2E_TMP/crop.png" &&
    (($(compare -metric AE -fuzz 4% "$E2E_TMP/card.png" "$E2E_TMP/crop.png" null: 2>&1 | awk '{print /^[0-9]+$/ ? $1 : 1e9}') * 50 < cw * ch))
}
stamp() { date -d "$(grep -m1 -F "] $1" "$(e2e_logfile "$root")" | cut -c1-23)" +%s.%N; }

# The window the user works in, as large as the screen and focused, noting every key it gets.
e2e_wayland_window user "$E2E_TMP/run/keys"
! on_sway || e2e_poll 10 eval '[[ $(tree -r ".. | objects | select(.focused?) | .app_id") == user ]]'
sleep 1 && shot before
root=$E2E_TMP/root started=$EPOCHREALTIME && launch "$root"
pid=$E2E_PID cw=0
e2e_poll 10 eval 'shot first && read -r cw ch cx cy <<<"$(box first)" && ((cw > 0 && cw < 1280))' || true
e2e_check "the card shows ($((${EPOCHREALTIME/./} / 1000 - ${started/./} / 1000)) ms after the start)" test "$cw" -gt 0
((cw)) || e2e_finish "$root"
sleep 0.5 && shot first && read -r cw ch cx cy <<<"$(box first)" && card=${cw}x$ch+$cx+$cy
convert "$E2E_TMP/first.png" -crop "$card" +repage "$E2E_TMP/card.png"
e2e_check "top right, 12 px from both edges (at $cx,$cy size ${cw}x$ch)" test $((1280 - cx - cw)) = 12 -a "$cy" = 12
e2e_cell "top right"
e2e_check "a native surface, no X11 window" eval '"${E2E_AS[@]}" xprop -root >/dev/null && [[ -z $("${E2E_AS[@]}" xdotool search --pid "$pid") ]]' && e2e_cell "native"
if on_sway; then
  e2e_check "the user's window keeps the focus" eval '[[ $(tree -r ".. | objects | select(.focused?) | .app_id") == user ]]'
  e2e_cell "never focused"
  e2e_check "no window of the notice in the compositor's tree" test "$(tree "[.. | objects | select(.pid? == $pid)] | length")" = 0
  e2e_cell "no taskbar entry"
  swaymsg "[pid=$pid] move position 100 300" >/dev/null 2>&1 || true
  e2e_check "swaymsg move does not move it" e2e_poll 1 at "$card" && e2e_cell "a compositor's move" held moved
else  # KWin's own scripting tells the active window, those a taskbar lists, and whether KWin's moves
  # (drag, window menu, shortcut) may move the card: a script's own frameGeometry moves even it.
  f=$E2E_TMP/run/probe.js && cat >"$f" <<JS
var a = workspace.activeClient, c = workspace.clientList(); print("probe active " + (a ? a.caption : ""));
for (var i in c) { if (!c[i].skipTaskbar) print("probe listed " + c[i].pid);
  if (c[i].pid == $pid && (c[i].moveable || c[i].moveableAcrossScreens)) print("probe movable"); }
print("probe done");
JS
  kwin() { "${E2E_AS[@]}" gdbus call -e -d org.kde.KWin -o "$@"; }
  n=$(kwin /Scripting -m org.kde.kwin.Scripting.loadScript "$f" probe | tr -dc 0-9) && kwin "/$n" -m org.kde.kwin.Script.run >/dev/null || true
  probe() { grep -qx "js: probe $1" "$E2E_TMP/wm.log"; }  # a line the script printed
  e2e_poll 5 probe done || true
  e2e_check "the user's window keeps the focus" probe "active user" && e2e_cell "never focused"
  e2e_check "no window of the notice among those a taskbar lists" eval 'probe done && ! probe "listed $pid"' && e2e_cell "no taskbar entry"
  e2e_check "KWin offers no move of it" eval 'probe done && ! probe movable' && e2e_cell "a compositor's move" refused movable
fi
typed() { "${E2E_TYPE[@]}" abc && e2e_poll 5 eval '[[ $(tr -d "\n" <"$E2E_TMP/run/keys") == abc ]]'; }
e2e_check "keys typed meanwhile all reach the user's window" typed && e2e_cell "keys typed arrive"

# --- after a second: over a newer window that covers the corner, and on another workspace
sleep 1 && e2e_wayland_window cover /dev/null
! on_sway || e2e_poll 5 eval '[[ $(tree -r ".. | objects | select(.focused?) | .app_id") == cover ]]' || sleep 1
# On sway also once that window is fullscreen, which only the overlay layer is drawn above.
full() { ! on_sway || { swaymsg "[app_id=cover] fullscreen enable" >/dev/null && sleep 0.3 && at "$card"; }; }
sleep 0.3 && e2e_check "over a newer window, floating or fullscreen" eval 'at "$card" && full' && e2e_cell "above a newer window"
if on_sway; then swaymsg workspace 2 >/dev/null; else "${E2E_AS[@]}" gdbus call -e -d org.kde.KWin -o /KWin -m org.kde.KWin.setCurrentDesktop 2 >/dev/null; fi
sleep 0.3 && e2e_check "on another workspace" at "$card" && e2e_cell "every workspace"
# The second one starts while that window is still fullscreen: it must still come above it.
! on_sway || swaymsg workspace 1 >/dev/null

# --- a second notice goes below the first, not over it
launch "$E2E_TMP/root2" && pid2=$E2E_PID
below() { shot two && read -r _ h2 x2 y2 <<<"$(box two)" && ((h2 >= 2 * ch && x2 == cx)); }
e2e_check "a second one below the first, not overlapping" eval 'e2e_poll 8 below && at "$card" && at "${cw}x$ch+$cx+$((y2 + h2 - ch))"'
e2e_cell "two at once"

# --- the end of the run and its log, as on X11
e2e_wait_exit "$pid" 25
e2e_check "exit status 0 (got $E2E_STATUS), nothing on standard error" test "$E2E_STATUS" = 0 -a ! -s "$root/stderr"
gap=$(awk -v a="$(stamp 'Showing Notification')" -v b="$(stamp 'Log close:Brevinor')" 'BEGIN {printf "%.1f", b - a}')
e2e_check "closes about 15 s after showing (${gap} s)" awk -v g="$gap" 'BEGIN {exit !(g >= 14.9 && g < 15.9)}'
e2e_cell "status 0 after 15 s"
e2e_check "the normal path's messages, in order" test "$(e2e_messages <"$(e2e_logfile "$root")")" = "$(e2e_normal_messages "$bin" "$pid")"
e2e_cell "log as on X11"
e2e_wait_exit "$pid2" 25

[[ -z $rowfile ]] || { mkdir -p "$(dirname "$rowfile")" && printf '%s\n%s\n' "$header" "$row" >"$rowfile"; }
printf '%s\n%s\n' "$header" "$row"
e2e_finish "$root"
