#!/usr/bin/env bash
# The agent's files decide: a disabled setting or another launcher turns the notice away before
# any window system is touched; a rebranded install with an administrator's message shows both.
# Usage: gates_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: gates_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_launcher_ppid
agent() { echo "$1/Library/Orrinwell/Tarnis_Agent"; }

# A copy of the program without its window module: a run turned away must not need it.
mkdir -p "$E2E_TMP/no-module/bin"
cp "$bin" "$E2E_TMP/no-module/bin/"

turned_away() {  # DESCRIPTION ROOT EXPECTED-LAST-MESSAGE
  local err=$E2E_TMP/stderr-$RANDOM pid msgs
  env -u DISPLAY BREVINOR_ROOT="$2" "$E2E_TMP/no-module/bin/$(basename "$bin")" Editor 2>"$err" &
  pid=$!
  e2e_track "$pid"
  e2e_wait_exit "$pid" 15
  e2e_check "$1: status 0 without display or window module (got $E2E_STATUS)" test "$E2E_STATUS" = 0
  msgs=$(e2e_run_log "$2" "$err" | e2e_messages)
  e2e_check "$1: ends with \"$3\"" test "$(tail -n1 <<<"$msgs")" = "$3"
  [[ $E2E_FAILED == 0 ]] || printf -- '--- log:\n%s\n' "$msgs"
}

disabled=$E2E_TMP/disabled
e2e_agent_install "$disabled" Editor "$E2E_LAUNCHER_PPID"
sed -i 's|<true/>|<false/>|' "$(agent "$disabled")/data/ztpatch_data.plist"
turned_away "setting disabled" "$disabled" "Not showing Brevinor"

other=$E2E_TMP/other-launcher
e2e_agent_install "$other" Editor "  999999"$'\n'
turned_away "recorded for another launcher" "$other" \
  "Brevinor: The Application is not running while patching, hence lunmark not shown"

# --- shown: the rebranded logo (solid red) and the administrator's text
e2e_start_x
shown=$E2E_TMP/shown
e2e_agent_install "$shown" Editor "$E2E_LAUNCHER_PPID"
convert -size 128x128 xc:'#ff0000' "$(agent "$shown")/images/rebranded-agent-logo.png"
cat >"$(agent "$shown")/SystemData/rebrand.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>IS_REBRANDED</key><string>TRUE</string></dict></plist>
PLIST
cat >"$(agent "$shown")/data/ApplicationRunningPromptCustomization.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>failureNotificationMessage</key><string>could not be updated &lt;b&gt;now&lt;/b&gt; 100%</string>
</dict></plist>
PLIST
err=$E2E_TMP/stderr-shown
BREVINOR_ROOT=$shown NO_AT_BRIDGE=1 "$bin" Editor 2>"$err" &
pid=$!
e2e_track "$pid"
if win=$(e2e_find_window "$pid" 10); then
  sleep 0.5
  read -r wx wy ww wh <<<"$(e2e_geometry "$win")"
  import -window root -crop "${ww}x$wh+$wx+$wy" +repage "$E2E_TMP/shown.png"
  red=$(convert "$E2E_TMP/shown.png" -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' \
    -format '%[fx:round(mean*w*h)]' info:)
  e2e_check "the banner shows the rebranded logo ($red red pixels)" test "$red" -gt 3000
  # Opaque red, 0xffff0000, as _NET_WM_ICON's ARGB cardinals.
  icon_red=$(xprop -id "$win" -f _NET_WM_ICON 32c ' = $0+\n' _NET_WM_ICON | tr ',' '\n' |
    grep -cx ' *4294901760' || true)
  e2e_check "the window's icon is the logo ($icon_red red pixels)" test "$icon_red" -gt 3000
  kill "$pid"
else
  e2e_fail "the rebranded notice is mapped"
fi
e2e_wait_exit "$pid" 10
msgs=$(e2e_run_log "$shown" "$err" | e2e_messages)
e2e_check "the log names the logo" \
  grep -qx "Using Rebranded AppIcon $(agent "$shown")/images/rebranded-agent-logo.png" <<<"$msgs"
e2e_check "the administrator's text follows the name, as typed" grep -qxF \
  'Printing the ballon text Editor could not be updated <b>now</b> 100%' <<<"$msgs"
[[ $E2E_FAILED == 0 ]] || printf -- '--- log:\n%s\n' "$msgs"

e2e_finish
