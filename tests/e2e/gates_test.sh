#!/usr/bin/env bash
# What decides whether and how the notice shows, end to end: no name, a disabled setting or another
# launcher end the run before any window system or the window module is needed; a rebranded
# install with an administrator's message shows both, with the sound, or silently when the sound
# file is gone; without an X display the desktop's notification service shows it, and without
# that too the run fails with one line.
# Usage: gates_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: gates_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_launcher_ppid
# Copies of the build: the program alone (no window module, no resources), and all but the sound.
build=$(dirname "$(dirname "$bin")")
mkdir -p "$E2E_TMP/bare/bin" "$E2E_TMP/mute" && cp "$bin" "$E2E_TMP/bare/bin/"
cp -r "$build/bin" "$build/lib" "$build/share" "$E2E_TMP/mute/" && rm "$E2E_TMP/mute/share/brevinor/Purr.oga"
bare=$E2E_TMP/bare/bin/$(basename "$bin") mute=$E2E_TMP/mute/bin/$(basename "$bin")
e2e_start_bus none  # no notification service on it, nor one to be started
declare -A P
# run CASE PROGRAM [ARG...]: on a fresh install of its own, without a display unless DISPLAY is set.
run() {
  e2e_agent_install "$E2E_TMP/$1" Editor "$([[ $1 == other* ]] && echo 999999 || echo "$E2E_LAUNCHER_PPID")"
  [[ $1 != off ]] || e2e_disable "$E2E_TMP/$1"
  [[ $1 != rebranded* ]] || rebrand "$E2E_TMP/$1/$E2E_AGENT"
  e2e_launch "$E2E_TMP/$1" env -u WAYLAND_DISPLAY ${NO_X:+-u DISPLAY} PULSE_SERVER="${PULSE:-none}" \
    DBUS_SESSION_BUS_ADDRESS="${BUS:-$(e2e_bus_address none)}" "${@:2}"
  P[$1]=$E2E_PID
}
rebrand() {  # AGENT: the logo (solid red) and the administrator's message
  convert -size 128x128 xc:'#ff0000' "$1/images/rebranded-agent-logo.png"
  e2e_plist "$1/SystemData/rebrand.plist" '<key>IS_REBRANDED</key><string>TRUE</string>'
  e2e_plist "$1/data/ApplicationRunningPromptCustomization.plist" \
    '<key>failureNotificationMessage</key><string>could not be updated &lt;b&gt;now&lt;/b&gt; 100%</string>'
}
# ended CASE: waits for the run; sets msgs to its messages and lines to its line count.
ended() { e2e_wait_exit "${P[$1]}" 25 && msgs=$(e2e_run_log "$E2E_TMP/$1" | e2e_messages) lines=$(e2e_run_log "$E2E_TMP/$1" | wc -l); }

unset DISPLAY
run no-name "$bin" && run no-name-bare "$bare" && run off "$bare" Editor && run other "$bare" Editor && run no-display "$bin" Editor
# Turned away at the launching-process check while the window is being made ready on a display at
# hand (no manager: every map reaches the root window): nothing is mapped.
e2e_xvfb
xev -display "$E2E_DISPLAY" -root -event substructure >"$E2E_TMP/maps" 2>&1 &
e2e_track $! && sleep 0.5  # connected by then
DISPLAY=$E2E_DISPLAY run other-x "$bin" Editor
e2e_start_x
for kind in markup plain; do  # dunst reading markup, and not (it shows text as sent), clear of the card
  e2e_start_bus "$kind"
  [[ $kind == markup ]] && e2e_start_dunst "$kind" 'markup = full' 'origin = bottom-right' || e2e_start_dunst "$kind" 'markup = no' 'origin = bottom-left'
  NO_X=1 BUS=$(e2e_bus_address "$kind") run "rebranded-$kind" "$bin" Editor
done
recorders=()
for c in mute rebranded; do
  e2e_start_pulse "$c" && e2e_record_start "$E2E_PULSE_SERVER" "$E2E_TMP/$c.raw" && recorders+=("$E2E_RECORD_PID")
  PULSE=$E2E_PULSE_SERVER run "$c" "$([[ $c == mute ]] && echo "$mute" || echo "$bin")" Editor
done

# CASE|STATUS|LAST MESSAGE, the program alone doing as well as the build where it runs.
for c in 'no-name|1|Arguments are low, No App name is given' 'no-name-bare|1|Arguments are low, No App name is given' \
  'off|0|Not showing Brevinor' 'other|0|Brevinor: The Application is not running while patching, hence lunmark not shown' \
  'other-x|0|Brevinor: The Application is not running while patching, hence lunmark not shown' \
  'no-display|1|Cannot open display, Brevinor not shown'; do
  IFS='|' read -r name status last <<<"$c" && ended "$name"
  e2e_check "$name: status $status (got $E2E_STATUS), \"Log Open\" to \"$last\", only the program's lines" \
    test "$E2E_STATUS/$(sed -n '1p;$p' <<<"$msgs")/$lines" = "$status/Log Open:Brevinor"$'\n'"$last/$(wc -l <<<"$msgs")"
done

e2e_check "other-x: no window mapped" e2e_not grep -q MapNotify "$E2E_TMP/maps"

# --- shown on the card: the rebranded logo, as the banner's image and the window's icon
win=$(e2e_find_window "${P[rebranded]}" 10) && sleep 0.5 && read -r wx wy ww wh <<<"$(e2e_geometry "$win")" || win=
e2e_check "the banner shows the rebranded logo" eval '[[ -n $win ]] && (($(e2e_red_pixels "${ww}x$wh+$wx+$wy") > 3000))'
# Opaque red, 0xffff0000, as _NET_WM_ICON's ARGB cardinals.
e2e_check "the window's icon is the logo" eval '[[ -n $win ]] &&
  (($(xprop -id "$win" -f _NET_WM_ICON 32c " = \$0+\n" _NET_WM_ICON | tr , "\n" | grep -cx " *4294901760") > 3000))'
e2e_check "the service shows the rebranded logo" e2e_poll 10 eval '(($(e2e_red_pixels 640x400+640+400) > 500))'
text='Editor could not be updated <b>now</b> 100%'
for c in mute rebranded; do
  ended "$c" && e2e_check "$c: status 0 (got $E2E_STATUS), shown and closed 15 s on, nothing but the program's lines" \
    test "$E2E_STATUS/$lines/$(grep -cE '^(Showing Notification and Playing Sound|Log close:Brevinor)$' <<<"$msgs")" = "0/$(wc -l <<<"$msgs")/2"
done
said="Using Rebranded AppIcon $E2E_TMP/rebranded/$E2E_AGENT/images/rebranded-agent-logo.png"$'\n'"Printing the ballon text $text"
e2e_check "the log names the logo, then the administrator's text as typed" test "$(grep -xF "$said" <<<"$msgs")" = "$said"
sleep 0.3 && kill "${recorders[@]}"  # the captures, once the last buffers are in
loud=$(e2e_peak "$E2E_TMP/rebranded.raw") silent=$(e2e_peak "$E2E_TMP/mute.raw")
e2e_check "the sound is clearly heard (peak $loud), the copy without it silent (peak $silent)" awk "BEGIN {exit !($loud > 0.1 && $silent <= 0.01)}"

# --- through the service: sent as the card's text (behind the marks that keep a name in another
# script in its place), 15 s, closed at the end of a run that ends as the window's does
name=$'\xe2\x80\x8e\xe2\x81\xa8Editor\xe2\x81\xa9'
declare -A body=([markup]="$name could not be updated &lt;b&gt;now&lt;/b&gt; 100%" [plain]="$name could not be updated <b>now</b> 100%")
for kind in markup plain; do
  ended "rebranded-$kind"
  e2e_check "$kind service: status 0 (got $E2E_STATUS), the path named before the usual lines, nothing else" \
    test "$E2E_STATUS/$lines/$(grep -x -e 'No X.*' -e 'Showing Notification and Playing Sound' -e 'Log close:Brevinor' <<<"$msgs")" \
    = "0/$(wc -l <<<"$msgs")/"$'No X display, Brevinor shown as a desktop notification\nShowing Notification and Playing Sound\nLog close:Brevinor'
  got=$(DBUS_SESSION_BUS_ADDRESS=$(e2e_bus_address "$kind") dunstctl history | jq -c '.data[0][0] | [.summary.data, .body.data, .timeout.data, .id.data]')
  closed=$(grep -A1 'member=CloseNotification' "$E2E_TMP/bus-$kind/calls" | grep -o 'uint32 [0-9]*' | cut -d' ' -f2 || true)
  e2e_check "$kind service: got \"Brevinor\", the card's text, 15 s, then closed ($got, closed ${closed:-never})" \
    test "$got" = "$(jq -nc --arg b "${body[$kind]}" --argjson id "${closed:-0}" '["Brevinor", $b, 15000000, $id]')"
done
e2e_finish "$E2E_TMP"/{no-*,off,other*,rebranded*,mute}
