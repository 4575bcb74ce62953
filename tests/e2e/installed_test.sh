#!/usr/bin/env bash
# The Debian package as an administrator meets it, in a throwaway system of its release: apt
# installs it with what it depends on; root shows the notice in a user's session the way the
# README's "From a system service" recipe does (the user's own display, X authority and session
# bus; runuser as the launching process the agent records); a run the enablement check turns away;
# the manual page; then apt purges it and nothing it installed is left.
# Usage (as root, in a chroot made for it: scripts/build-packages.sh --try): installed_test.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "${1:?usage: installed_test.sh PACKAGE.deb}")
source "$(dirname "$0")/lib.sh"

e2e_setup
apt-get install -y -qq "$deb" >"$E2E_TMP/apt.log" 2>&1 || { cat "$E2E_TMP/apt.log" >&2 && exit 1; }
package=$(dpkg-deb -f "$deb" Package) && files=$(dpkg -L "$package")
# The user's session: their display with its own X authority, a window manager whose environment
# holds it (the session's leader), and their bus in their runtime folder.
user=brevinor-e2e-$$ && useradd -m "$user" && uid=$(id -u "$user") && chmod 755 "$E2E_TMP"
trap 'e2e_cleanup; userdel -r "$user" 2>/dev/null || true' EXIT
# The X authority is where a display manager keeps it, not in ~/.Xauthority, so only the recipe's
# XAUTHORITY lets the notice reach the display. The server takes every cookie of its file, a
# client the one of its display's number.
install -d -m 1777 /tmp/.X11-unix && install -d -m 700 -o "$user" "/run/user/$uid"
xauthority=/run/user/$uid/Xauthority cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
runuser -u "$user" -- xauth -q -f "$xauthority" add :0 . "$cookie" 2>/dev/null
E2E_XVFB_AS=$user e2e_xvfb -auth "$xauthority" && display=$E2E_DISPLAY
runuser -u "$user" -- xauth -f "$xauthority" add "$display" . "$cookie"
export DISPLAY=$display XAUTHORITY=$xauthority
runuser -u "$user" -- dbus-daemon --session --nofork --address="unix:path=/run/user/$uid/bus" >"$E2E_TMP/bus.log" 2>&1 &
e2e_track $!
runuser -u "$user" -- env DISPLAY="$display" XAUTHORITY="$xauthority" openbox --sm-disable >"$E2E_TMP/wm.log" 2>&1 &
e2e_track $!
e2e_poll 15 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' && leader=$(pgrep -u "$user" -x openbox)

# recipe CASE: the recipe's last lines on an agent install of its own, which records runuser's
# pid as ps prints it before runuser starts; sets E2E_PID (runuser's), E2E_STATUS, E2E_SECONDS,
# and log and msgs to the user's log file and its messages.
recipe() {
  local go=$E2E_TMP/go-$1 root=$E2E_TMP/$1 xauthority started=$SECONDS
  xauthority=$(tr '\0' '\n' <"/proc/$leader/environ" | sed -n 's/^XAUTHORITY=//p')
  mkfifo "$go" && mkdir -p "$root"
  e2e_launch "$root" env -u DISPLAY -u XAUTHORITY PULSE_SERVER=none bash -c 'read -r _ <"$0" && exec "$@"' "$go" \
    runuser -u "$user" -- env DISPLAY="$display" ${xauthority:+"XAUTHORITY=$xauthority"} \
    DBUS_SESSION_BUS_ADDRESS="unix:path=/run/user/$uid/bus" XDG_RUNTIME_DIR="/run/user/$uid" \
    brevinor "Text Editor"
  e2e_agent_install "$root" "Text Editor" "$(ps -o pid= -p "$E2E_PID")"
  [[ $1 == shown ]] || e2e_disable "$root"
  chmod 1777 "$root/$E2E_AGENT/logs/UserLogs" && echo >"$go"
  if [[ $1 == shown ]]; then
    e2e_check "the notice is mapped on the user's display" eval 'win=$(e2e_find_window "$(e2e_poll 10 pgrep -P "$E2E_PID")" 10)'
    read -r wx wy ww _ <<<"$( ((E2E_OK)) && e2e_geometry "$win" || echo -1 -1 0)"
    right=$(($(xwininfo -root | awk '/^ *Width:/ {print $NF}') - wx - ww))
    e2e_check "top right (at $wx,$wy, $right px from the right edge)" test "$right" -ge 0 -a "$right" -le 60 -a "$wy" -ge 0 -a "$wy" -le 60
  fi
  e2e_wait_exit "$E2E_PID" 25 && E2E_SECONDS=$((SECONDS - started))
  log=$(e2e_logfile "$root" "$user") && msgs=$(e2e_messages <"$log")
}
recipe shown
e2e_check "status 0 (got $E2E_STATUS) after about 15 s ($E2E_SECONDS s)" test "$E2E_STATUS" = 0 -a "$E2E_SECONDS" -ge 14
e2e_check "the user's own log, mode 600 ($(stat -c '%U %a' "$log"))" test "$(stat -c '%U %a' "$log")" = "$user 600"
e2e_check "it logs the notice with the package's icon, and its end" eval 'grep -qxF "Log Open:Brevinor" <<<"$msgs" &&
  grep -qxF "Initially setting default image for appIcon :/usr/share/brevinor/AppIcon.icns" <<<"$msgs" && grep -qxF "Log close:Brevinor" <<<"$msgs"'
recipe off
e2e_check "turned away: status 0 (got $E2E_STATUS) at once ($E2E_SECONDS s), no notice" eval \
  '((E2E_STATUS == 0 && E2E_SECONDS < 10)) && grep -qxF "Not showing Brevinor" <<<"$msgs" && ! grep -q appIcon <<<"$msgs"'
e2e_check "$package depends on procps" eval '[[ $(dpkg-deb -f "$deb" Depends) =~ (^|, )procps($|[ ,]) ]]'
e2e_check "man brevinor shows its page" eval 'MANWIDTH=80 man brevinor 2>/dev/null | grep -q "^brevinor(1) .*General Commands Manual"'
apt-get purge -y -qq "$package" >>"$E2E_TMP/apt.log" 2>&1
left=$(while read -r f; do [[ ! -e $f || (-d $f && $f != *brevinor*) ]] || echo "$f"; done <<<"$files")
e2e_check "purged, nothing of its $(wc -l <<<"$files") paths left${left:+: $left}" eval '[[ -z $left ]] && ! dpkg -s "$package" >/dev/null 2>&1'
((!E2E_FAILED)) || tail -n +1 "$E2E_TMP"/*/"$E2E_AGENT"/logs/UserLogs/*.log "$E2E_TMP"/*/stderr
e2e_finish
