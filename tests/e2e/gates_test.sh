#!/usr/bin/env bash
# The agent's files decide: a disabled setting or another launcher turns the notice away before
# any window system is touched; a rebranded install with an administrator's message shows both, on
# the card and, where no X display can be opened, through the desktop's notification service.
# Usage: gates_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: gates_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_launcher_ppid
agent=Library/Orrinwell/Tarnis_Agent
# A copy of the program without its window module: a run turned away must not need it.
mkdir -p "$E2E_TMP/no-module/bin"
cp "$bin" "$E2E_TMP/no-module/bin/"

turned_away() {  # DESCRIPTION ROOT EXPECTED-LAST-MESSAGE
  e2e_launch "$2" env -u DISPLAY "$E2E_TMP/no-module/bin/$(basename "$bin")" Editor
  e2e_wait_exit "$E2E_PID" 15
  e2e_check "$1: status 0 without display or window module (got $E2E_STATUS)" test "$E2E_STATUS" = 0
  e2e_check "$1: ends with \"$3\"" test "$(e2e_run_log "$2" | e2e_messages | tail -n1)" = "$3"
}

e2e_agent_install "$E2E_TMP/root-disabled" Editor "$E2E_LAUNCHER_PPID"
sed -i 's|<true/>|<false/>|' "$E2E_TMP/root-disabled/$agent/data/ztpatch_data.plist"
turned_away "setting disabled" "$E2E_TMP/root-disabled" "Not showing Brevinor"
e2e_agent_install "$E2E_TMP/root-other" Editor "  999999"$'\n'
turned_away "recorded for another launcher" "$E2E_TMP/root-other" \
  "Brevinor: The Application is not running while patching, hence lunmark not shown"

# --- shown: the rebranded logo (solid red) and the administrator's text
rebranded_install() {  # ROOT
  e2e_agent_install "$1" Editor "$E2E_LAUNCHER_PPID"
  convert -size 128x128 xc:'#ff0000' "$1/$agent/images/rebranded-agent-logo.png"
  e2e_plist "$1/$agent/SystemData/rebrand.plist" '<key>IS_REBRANDED</key><string>TRUE</string>'
  e2e_plist "$1/$agent/data/ApplicationRunningPromptCustomization.plist" \
    '<key>failureNotificationMessage</key><string>could not be updated &lt;b&gt;now&lt;/b&gt; 100%</string>'
}
e2e_start_x
# Without an X display the same notice goes to the desktop's notification service: dunst on this
# display, once reading markup and once not (that one shows text as sent), both clear of the card.
declare -A service=([markup]=$'markup = full\norigin = bottom-right' [plain]=$'markup = no\norigin = bottom-left')
declare -A service_pid
for kind in markup plain; do
  rebranded_install "$E2E_TMP/root-service-$kind"
  e2e_start_bus "$kind"
  mapfile -t settings <<<"${service[$kind]}"
  e2e_start_dunst "$kind" "${settings[@]}"
  e2e_launch "$E2E_TMP/root-service-$kind" env -u DISPLAY -u WAYLAND_DISPLAY \
    DBUS_SESSION_BUS_ADDRESS="$(e2e_bus_address "$kind")" "$bin" Editor
  service_pid[$kind]=$E2E_PID
done

shown=$E2E_TMP/root-shown
rebranded_install "$shown"
logo=$shown/$agent/images/rebranded-agent-logo.png
e2e_launch "$shown" "$bin" Editor
win=$(e2e_find_window "$E2E_PID" 10) || win=
e2e_check "the rebranded notice is mapped" test -n "$win"
if [[ -n $win ]]; then
  sleep 0.5
  read -r wx wy ww wh <<<"$(e2e_geometry "$win")"
  red=$(import -window root -crop "${ww}x$wh+$wx+$wy" +repage png:- |
    convert - -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' -format '%[fx:round(mean*w*h)]' info:)
  e2e_check "the banner shows the rebranded logo ($red red pixels)" test "$red" -gt 3000
  # Opaque red, 0xffff0000, as _NET_WM_ICON's ARGB cardinals.
  icon_red=$(xprop -id "$win" -f _NET_WM_ICON 32c ' = $0+\n' _NET_WM_ICON | tr ',' '\n' | grep -cx ' *4294901760' || true)
  e2e_check "the window's icon is the logo ($icon_red red pixels)" test "$icon_red" -gt 3000
fi
kill "$E2E_PID" 2>/dev/null || true
e2e_wait_exit "$E2E_PID" 10
said="Using Rebranded AppIcon $logo"$'\nPrinting the ballon text Editor could not be updated <b>now</b> 100%'
e2e_check "the log names the logo, then the administrator's text as typed" \
  test "$(e2e_run_log "$shown" | e2e_messages | grep -xF "$said")" = "$said"

# --- the notices through the service: shown with the logo, sent as the card's text, closed at the
# end of a run that ends as the window's does
dunst_ctl() { DBUS_SESSION_BUS_ADDRESS=$(e2e_bus_address "$1") dunstctl "${@:2}"; }
service_red() {  # the red pixels in the markup service's corner of the screen, the bottom right
  red=$(import -window root -crop 640x400+640+400 +repage png:- |
    convert - -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' -format '%[fx:round(mean*w*h)]' info:)
  ((red > 500))
}
e2e_poll 10 service_red || true
e2e_check "the service shows the rebranded logo ($red red pixels)" test "$red" -gt 500
# The card's text behind the marks that keep a name in another script in its place.
name=$'\xe2\x80\x8e\xe2\x81\xa8Editor\xe2\x81\xa9'
declare -A body=([markup]="$name could not be updated &lt;b&gt;now&lt;/b&gt; 100%"
  [plain]="$name could not be updated <b>now</b> 100%")
for kind in markup plain; do
  root=$E2E_TMP/root-service-$kind
  e2e_wait_exit "${service_pid[$kind]}" 25
  e2e_check "$kind service: status 0 (got $E2E_STATUS)" test "$E2E_STATUS" = 0
  msgs=$(e2e_run_log "$root" | e2e_messages | sed -n '/^No X display, Brevinor shown as a desktop notification$/,$p')
  e2e_check "$kind service: the log names the path, then the usual lines to \"Log close\"" \
    test "$(grep -x -e 'No X.*' -e 'Showing Notification and Playing Sound' -e 'Log close:Brevinor' <<<"$msgs")" \
    = $'No X display, Brevinor shown as a desktop notification\nShowing Notification and Playing Sound\nLog close:Brevinor'
  # A widget call without an initialised GTK would leave its warning there.
  e2e_check "$kind service: nothing but the program's own lines in the log" \
    test "$(e2e_run_log "$root" | wc -l)" = "$(e2e_run_log "$root" | e2e_messages | wc -l)"
  got=$(dunst_ctl "$kind" history | jq -r '.data[0][] | [.summary.data, .body.data, .timeout.data, .id.data] | @json')
  e2e_check "$kind service: got \"Brevinor\", the card's text, 15 s ($got)" \
    test "$(jq -r '.[0:3] | @json' <<<"${got:-[]}")" = "$(jq -nc --arg b "${body[$kind]}" '["Brevinor", $b, 15000000]')"
  closed=$(grep -A1 'member=CloseNotification' "$E2E_TMP/bus-$kind/calls" | grep -o 'uint32 [0-9]*' || true)
  e2e_check "$kind service: the notification is closed at the end ($closed)" \
    test "$closed" = "uint32 $(jq '.[3]' <<<"${got:-[0,0,0,0]}")"
done
e2e_finish "$E2E_TMP"/root-*
