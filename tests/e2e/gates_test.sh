#!/usr/bin/env bash
# The agent's files decide: a disabled setting or another launcher turns the notice away before
# any window system is touched; a rebranded install with an administrator's message shows both.
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
e2e_start_x
shown=$E2E_TMP/root-shown
e2e_agent_install "$shown" Editor "$E2E_LAUNCHER_PPID"
logo=$shown/$agent/images/rebranded-agent-logo.png
convert -size 128x128 xc:'#ff0000' "$logo"
e2e_plist "$shown/$agent/SystemData/rebrand.plist" '<key>IS_REBRANDED</key><string>TRUE</string>'
e2e_plist "$shown/$agent/data/ApplicationRunningPromptCustomization.plist" \
  '<key>failureNotificationMessage</key><string>could not be updated &lt;b&gt;now&lt;/b&gt; 100%</string>'
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
e2e_finish "$E2E_TMP"/root-*
