#!/usr/bin/env bash
# The agent as a system service: root shows the notice in a logged-in user's session by the
# README's recipe. Two throwaway users, each with a display that only their X authority cookie
# opens and a session bus under /run/user/UID; the agent reads the session's values from the
# environment of a process of that session, records the process that will run runuser as the
# launcher (runuser stays the notice's parent), and starts the notice through runuser. Each notice
# shows on its user's display and logs to its user's own file, in a UserLogs folder shared by mode
# 1777 and, at the same time on a second install, 1733. Usage (as root): session_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: session_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"
((EUID == 0)) || { echo "needs root to add users: skipped" && exit 77; }

users=()
e2e_setup
trap 'e2e_cleanup; for u in "${users[@]}"; do pkill -9 -u "$u"; rm -rf "/run/user/$(id -u "$u")"; userdel "$u"; done 2>/dev/null || true' EXIT
chmod 755 "$E2E_TMP" && mkdir -p -m 1777 /tmp/.X11-unix /run/user
declare -A DISPLAYS SESSION LAUNCHER
for tag in a b; do
  u=brv$$$tag$RANDOM && useradd --no-create-home --shell /usr/sbin/nologin "$u" && users+=("$u")
  uid=$(id -u "$u") auth=$E2E_TMP/home-$u/Xauthority
  install -d -o "$u" -g "$(id -g "$u")" -m 700 "/run/user/$uid" "$E2E_TMP/home-$u"
  e2e_xvfb "$u" "$auth" && DISPLAYS[$u]=$E2E_DISPLAY
  # The bus holds the session's environment, as a desktop session's processes do.
  setpriv --reuid="$u" --regid="$(id -g "$u")" --init-groups env -i DISPLAY="$E2E_DISPLAY" XAUTHORITY="$auth" \
    XDG_RUNTIME_DIR="/run/user/$uid" dbus-daemon --session --nofork --address="unix:path=/run/user/$uid/bus" >/dev/null 2>&1 &
  e2e_track $! && SESSION[$u]=$!
  e2e_poll 10 test -S "/run/user/$uid/bus"
done
a=${users[0]} b=${users[1]}
e2e_check "a display opens only with its user's cookie" e2e_not eval 'DISPLAY=${DISPLAYS[$a]} XAUTHORITY=/dev/null xdpyinfo >/dev/null 2>&1'

app() { [[ $1 == "$a" ]] && echo Editor || echo Viewer; }
logs() { echo "$E2E_TMP/root-$1/$E2E_AGENT/logs/UserLogs"; }
session_value() { tr '\0' '\n' <"/proc/${SESSION[$1]}/environ" | sed -n "s/^$2=//p"; }  # USER NAME
# notice USER MODE: the launcher, held on a FIFO until the agent has recorded it, runs USER's notice
# through runuser on the install of MODE.
notice() {
  local uid xauthority
  uid=$(id -u "$1") xauthority=$(session_value "$1" XAUTHORITY)
  mkfifo "$E2E_TMP/go-$1-$2"
  (
    read -r _ <"$E2E_TMP/go-$1-$2"
    exec runuser -u "$1" -- env DISPLAY="$(session_value "$1" DISPLAY)" ${xauthority:+"XAUTHORITY=$xauthority"} \
      DBUS_SESSION_BUS_ADDRESS="unix:path=/run/user/$uid/bus" XDG_RUNTIME_DIR="/run/user/$uid" \
      BREVINOR_ROOT="$E2E_TMP/root-$2" NO_AT_BRIDGE=1 "$bin" "$(app "$1")"
  ) 2>/dev/null &
  e2e_track $! && LAUNCHER[$1/$2]=$!
}
for m in 1777 1733; do
  e2e_agent_install "$E2E_TMP/root-$m" unused unused && chmod "$m" "$(logs $m)"
  notice "$a" $m && notice "$b" $m
  # The recorded launcher as ps prints it, padding and final line break included.
  entries=$(for u in "$a" "$b"; do printf '<key>%s</key><string>%s\n</string>' "$(app "$u")" "$(ps -o pid= -p "${LAUNCHER[$u/$m]}")"; done)
  e2e_plist "$E2E_TMP/root-$m/$E2E_AGENT/data/ApplicationRunningPromptData.plist" "<key>Lunmark</key><dict>$entries</dict>"
done
for go in "$E2E_TMP"/go-*; do echo go >"$go"; done

reads() { runuser -u "$1" -- cat "$2" >/dev/null 2>&1; }  # USER FILE
for m in 1777 1733; do
  for u in "$a" "$b"; do
    pid= && e2e_poll 10 eval 'pid=$(pgrep -P "${LAUNCHER[$u/$m]}" -x brevinor)' || true
    win=$(DISPLAY=${DISPLAYS[$u]} XAUTHORITY=$E2E_TMP/home-$u/Xauthority e2e_find_window "${pid:-0}" 15) || win=
    e2e_check "$m: $u's notice is on $u's display, run as $u" test -n "$win" -a "$(ps -o user= -p "${pid:-0}")" = "$u"
  done
done
for m in 1777 1733; do
  for u in "$a" "$b"; do
    e2e_wait_exit "${LAUNCHER[$u/$m]}" 30
    file=$(e2e_logfile "$E2E_TMP/root-$m" "$u")
    e2e_check "$m: $u's notice ends with status 0 (got $E2E_STATUS); $(basename "$file") is $u's, mode 600, with the whole run" \
      test "$E2E_STATUS/$(stat -c '%U %a' "$file")/$(e2e_messages <"$file" | grep -cE '^(Log Open|current and previousParentPid are same|Log close)')" = "0/$u 600/3"
  done
  e2e_check "$m: one file per user and nothing else, neither readable by the other user" eval \
    '[[ $(LC_ALL=C ls "$(logs $m)") == "$(printf "Lunmark_%s0.log\n" "$a" "$b" | LC_ALL=C sort)" ]] &&
     ! reads "$a" "$(logs $m)/Lunmark_${b}0.log" && ! reads "$b" "$(logs $m)/Lunmark_${a}0.log"'
done
e2e_finish "$E2E_TMP"/root-*
