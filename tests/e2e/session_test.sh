#!/usr/bin/env bash
# The agent as a system service: root shows the notice in a logged-in user's session by the
# README's recipe. Two throwaway users, each with a display of their own that only their X
# authority cookie opens and a session bus under /run/user/UID; the agent reads the session's
# values from the environment of a process of that session, records the process that will run
# runuser as the launcher, and starts the notice through runuser. Each notice shows on its
# user's display and logs to its user's own file, in a UserLogs folder shared by mode 1777 and,
# at the same time on a second install, 1733. Usage (as root): session_test.sh PATH_TO_BREVINOR
set -euo pipefail
bin=$(realpath "${1:?usage: session_test.sh PATH_TO_BREVINOR}")
source "$(dirname "$0")/lib.sh"
((EUID == 0)) || { echo "needs root to add users: skipped"; exit 77; }

USERS=()
session_cleanup() {
  local u
  e2e_cleanup
  for u in "${USERS[@]}"; do
    # runuser ends its command when it is ended; what is left would keep userdel from working.
    e2e_poll 5 e2e_not pgrep -u "$u" >/dev/null || kill -9 $(pgrep -u "$u") 2>/dev/null || true
    rm -rf "/run/user/$(id -u "$u")"
    userdel "$u" 2>/dev/null || true
  done
}
e2e_setup
trap session_cleanup EXIT
chmod 755 "$E2E_TMP"  # the users reach the agent install inside
mkdir -p /tmp/.X11-unix /run/user && chmod 1777 /tmp/.X11-unix

# --- two users, each logged in: a display and a session bus of their own
declare -A DISPLAYS SESSION
for tag in a b; do
  u=brv$$$tag$RANDOM
  useradd --no-create-home --shell /usr/sbin/nologin "$u"
  USERS+=("$u")
  uid=$(id -u "$u")
  install -d -o "$u" -g "$(id -g "$u")" -m 700 "/run/user/$uid" "$E2E_TMP/home-$u"
  e2e_xvfb "$u" "$E2E_TMP/home-$u/Xauthority"
  DISPLAYS[$u]=$E2E_DISPLAY
  # The bus holds the session's environment, as a desktop session's processes do.
  setpriv --reuid="$u" --regid="$(id -g "$u")" --init-groups env -i DISPLAY="$E2E_DISPLAY" \
    XAUTHORITY="$E2E_TMP/home-$u/Xauthority" XDG_RUNTIME_DIR="/run/user/$uid" \
    dbus-daemon --session --nofork --address="unix:path=/run/user/$uid/bus" >/dev/null 2>&1 &
  e2e_track $!
  SESSION[$u]=$!
  e2e_poll 10 test -S "/run/user/$uid/bus"
done
a=${USERS[0]} b=${USERS[1]}
as_root_on() { DISPLAY=${DISPLAYS[$1]} XAUTHORITY=$E2E_TMP/home-$1/Xauthority "${@:2}"; }
e2e_check "a display opens only with its user's cookie" \
  e2e_not eval 'DISPLAY=${DISPLAYS[$a]} XAUTHORITY=/dev/null xdpyinfo >/dev/null 2>&1'

# --- the agent's side of the recipe, on two installs whose UserLogs are shared by mode 1777 and
# by mode 1733; each user's notice for Editor (a) or Viewer (b) runs on both at once.
modes=(1777 1733)
app() { [[ $1 == "$a" ]] && echo Editor || echo Viewer; }
agent() { echo "$E2E_TMP/root-$1/Library/Orrinwell/Tarnis_Agent"; }
for m in "${modes[@]}"; do
  e2e_agent_install "$E2E_TMP/root-$m" unused unused
  rmdir "$(agent "$m")/logs/UserLogs" && mkdir -m "$m" "$(agent "$m")/logs/UserLogs"
done
# session_value USER NAME: NAME from the environment of a process of USER's session.
session_value() { tr '\0' '\n' <"/proc/${SESSION[$1]}/environ" | sed -n "s/^$2=//p"; }
# notice USER MODE: starts USER's notice on the install of MODE. runuser stays as the parent of
# what it runs, so the launcher the notice finds is the process that runs runuser: it starts
# first, held on a FIFO until the agent has recorded it. Sets LAUNCHER[USER/MODE].
declare -A LAUNCHER
notice() {
  local uid xauthority
  uid=$(id -u "$1") xauthority=$(session_value "$1" XAUTHORITY)
  mkfifo "$E2E_TMP/go-$1-$2"
  (
    read -r _ <"$E2E_TMP/go-$1-$2"
    exec runuser -u "$1" -- env DISPLAY="$(session_value "$1" DISPLAY)" \
      ${xauthority:+"XAUTHORITY=$xauthority"} \
      DBUS_SESSION_BUS_ADDRESS="unix:path=/run/user/$uid/bus" XDG_RUNTIME_DIR="/run/user/$uid" \
      BREVINOR_ROOT="$E2E_TMP/root-$2" NO_AT_BRIDGE=1 "$bin" "$(app "$1")"
  ) 2>"$E2E_TMP/stderr-$1-$2" &
  e2e_track $!
  LAUNCHER[$1/$2]=$!
}
for m in "${modes[@]}"; do
  notice "$a" "$m"
  notice "$b" "$m"
  # The recorded launcher in the form ps prints it (padding and final line break included).
  entries=
  for u in "$a" "$b"; do
    entries+="<key>$(app "$u")</key><string>$(ps -o pid= -p "${LAUNCHER[$u/$m]}")
</string>"
  done
  e2e_plist "$(agent "$m")/data/ApplicationRunningPromptData.plist" "<key>Lunmark</key><dict>$entries</dict>"
done
for go in "$E2E_TMP"/go-*; do echo go >"$go"; done

for m in "${modes[@]}"; do
  for u in "$a" "$b"; do
    pid=
    e2e_poll 10 eval 'pid=$(pgrep -P "${LAUNCHER[$u/$m]}" -x brevinor)' || true
    win=$(as_root_on "$u" e2e_find_window "${pid:-0}" 15) || win=
    e2e_check "$m: $u's notice (pid ${pid:-none}, run as $(ps -o user= -p "${pid:-0}" || echo none, gone)) is on $u's display" \
      test -n "$win" -a "$(ps -o user= -p "${pid:-0}")" = "$u"
  done
done
reads() { runuser -u "$1" -- cat "$2" >/dev/null 2>&1; }  # USER FILE
for m in "${modes[@]}"; do
  logs=$(agent "$m")/logs/UserLogs
  for u in "$a" "$b"; do
    e2e_wait_exit "${LAUNCHER[$u/$m]}" 30
    e2e_check "$m: $u's notice ends with status 0 (got $E2E_STATUS)" test "$E2E_STATUS" = 0
    file=$logs/Lunmark_${u}0.log
    e2e_check "$m: $u's log is $(basename "$file"), $(stat -c '%U %a' "$file" 2>/dev/null || echo missing)" \
      test "$(stat -c '%U %a' "$file" 2>/dev/null)" = "$u 600"
    e2e_check "$m: $u's log shows the recorded launcher and the whole run" \
      test "$(e2e_messages <"$file" | grep -cE '^(Log Open|current and previousParentPid are same|Log close)')" = 3
  done
  e2e_check "$m: one file per user and nothing else ($(ls "$logs" | tr '\n' ' '))" \
    test "$(LC_ALL=C ls "$logs")" = "$(printf 'Lunmark_%s0.log\n' "$a" "$b" | LC_ALL=C sort)"
  e2e_check "$m: neither user can read the other's log" \
    e2e_not eval 'reads "$a" "$logs/Lunmark_${b}0.log" || reads "$b" "$logs/Lunmark_${a}0.log"'
done
((E2E_FAILED == 0)) || tail -n +1 "$E2E_TMP"/root-*/Library/*/*/logs/UserLogs/* "$E2E_TMP"/stderr-* 2>/dev/null || true
e2e_finish
