#!/usr/bin/env bash
# Hostile surroundings for the real program: what sits at the log's path and rotation targets,
# which user runs it and under what limits, what the settings file is, what the name and message
# carry, and how the run is cut short. One line per case with its expected outcome, then the tally.
# Usage: hostile_matrix.sh PATH_TO_BREVINOR PATH_TO_NO_FLOCK_PRELOAD
set -euo pipefail
usage="usage: hostile_matrix.sh PATH_TO_BREVINOR PATH_TO_NO_FLOCK_PRELOAD"
bin=$(realpath "${1:?$usage}") no_flock=$(realpath "${2:?$usage}")
source "$(dirname "$0")/../e2e/lib.sh"

e2e_setup
chmod 755 "$E2E_TMP"  # unprivileged runs walk into it
e2e_launcher_ppid
export PULSE_SERVER=unix:$E2E_TMP/no-sound  # never the machine's speakers
# A sound server or session bus that accepts and never answers: every connection is held, unread.
perl -MIO::Socket::UNIX -e '$s = IO::Socket::UNIX->new(Local => shift, Listen => 64) or die; while (accept(my $c, $s)) { push @c, $c }' "$E2E_TMP/silent" &
e2e_track $! && e2e_poll 5 test -S "$E2E_TMP/silent"
off_lines=$'Log Open:Brevinor\nGiven App Name Optional("Editor")\nInside checkIfApplicationRunningPromptEnabled
checkIfApplicationRunningPromptEnabled : Tavisend disabled\nNot showing Brevinor'
refused=$'checkIfApplicationRunningPromptEnabled : Cannot Convert plist to Dict\nNot showing Brevinor'
declare -A P WHY CHECKS  # case -> pid of its run, what it shows, its checks (one per line)

# mk CASE [APP]: a fresh install for one case; sets C, R (root), L (user logs), D (data).
mk() { C=$1 R=$E2E_TMP/$1 L=$E2E_TMP/$1/$E2E_AGENT/logs/UserLogs D=$E2E_TMP/$1/$E2E_AGENT/data && e2e_agent_install "$R" "${2:-Editor}" "$E2E_LAUNCHER_PPID"; }
# expect DESCRIPTION CHECK...: what case C must show.
expect() { WHY[$C]=$1 && CHECKS[$C]=$(printf '%s\n' "${@:2}"); }
# run CMD...: starts CMD on the install R from this very shell, so the recorded launcher matches.
run() {
  if [[ -n ${CLOSED:-} ]]; then BREVINOR_ROOT=$R NO_AT_BRIDGE=1 "$@" <&- >&- 2>&- & else BREVINOR_ROOT=$R NO_AT_BRIDGE=1 "$@" 2>"$R/stderr" </dev/null & fi
  e2e_track $! && P[$C]=$!
}
as() { setpriv --reuid="$1" --regid="$1" --clear-groups "${@:2}"; }  # UID CMD...
msgs() {  # CASE: every message of the run, current log file(s) first, then its standard error
  local f && for f in "$E2E_TMP/$1/$E2E_AGENT"/logs/UserLogs/Lunmark_*0.log "$E2E_TMP/$1/stderr"; do [[ ! -f $f || -L $f ]] || e2e_messages <"$f"; done
}
same() { test "$1" = "$2"; }
# spans FIRST LAST MIN MAX: case C logged FIRST and LAST once each, MIN to under MAX s apart by their time stamps
spans() { grep -E " ($1|$2)\$" "$(e2e_logfile "$R")" | cut -c1-23 | date -f - +%s.%N | awk "NR == 1 {s = \$1} END {exit !(NR == 2 && \$1 - s >= $3 && \$1 - s < $4)}"; }
said() { msgs "$C" | grep -qxF -- "$1"; }  # MESSAGE: the run logged exactly this
stderr_only() { same "$(e2e_messages <"$R/stderr")" "$off_lines"; }
judge() {  # CASE STATUS: the case's row; its messages when it fails
  local c=$1 check ok=1
  C=$c R=$E2E_TMP/$c L=$E2E_TMP/$c/$E2E_AGENT/logs/UserLogs ST=$2
  while IFS= read -r check; do eval "$check" || { ok=0 && break; }; done <<<"${CHECKS[$c]}"
  e2e_check "$c: ${WHY[$c]}" test "$ok" = 1
  ((ok)) || { echo "  status $ST, failed: $check; messages:" && msgs "$c" | cut -c1-300 | sed 's/^/  | /'; }
}

# === quick cases, turned away at a gate: all started at once, none needs a display ==============
ok='same $ST 0 && same "$(msgs $C)" "$off_lines"'
{ head -c 2097152 /dev/zero | tr '\0' x; echo; } >"$E2E_TMP/big"  # one byte over the rotation threshold
mk link && e2e_disable "$R" && echo keep >"$E2E_TMP/users-file" && ln -s "$E2E_TMP/users-file" "$L/Lunmark_root0.log" &&
  expect "symlink at the log path: its target untouched, lines on stderr" "$ok" 'same "$(cat $E2E_TMP/users-file)" keep' stderr_only
mk hardlink && e2e_disable "$R" && echo keep >"$L/../hard" && ln "$L/../hard" "$L/Lunmark_root0.log" &&
  expect "hard-linked log file: untouched, lines on stderr" "$ok" 'same "$(cat $L/../hard)" keep' stderr_only
mk others && e2e_disable "$R" && echo theirs >"$L/Lunmark_root0.log" && chown 65534:65534 "$L/Lunmark_root0.log" &&
  expect "another user's log file: untouched, lines on stderr" "$ok" 'same "$(cat $L/Lunmark_root0.log)" theirs' stderr_only
mk fifo && e2e_disable "$R" && mkfifo "$L/Lunmark_root0.log" && expect "FIFO at the log path: no hang, lines on stderr" "$ok" stderr_only
mk dir && e2e_disable "$R" && mkdir "$L/Lunmark_root0.log" && expect "directory at the log path: left empty, lines on stderr" \
  "$ok" 'test -z "$(ls -A $L/Lunmark_root0.log)"' stderr_only
mk missing && e2e_disable "$R" && rm -r "$L" && expect "log folder missing: not created, lines on stderr" "$ok" 'test ! -e $L' stderr_only
mk readonly && e2e_disable "$R" && expect "log folder read-only for the user (nobody in root's 0755): nothing created" "$ok" 'test -z "$(ls -A $L)"'
mk open && e2e_disable "$R" && chmod 0777 "$L" && expect "world-writable log folder without sticky bit: lines in the user's own 0600 file" \
  "$ok" 'same "$(stat -c %u:%a:%h $L/Lunmark_nobody0.log)" 65534:600:1' 'test ! -s $R/stderr'
# Squatters at the rotation targets: stepped over, never moved or replaced; the old current file kept whole.
kept='grep -q "$(md5sum <$E2E_TMP/big | cut -d" " -f1)" <(md5sum $L/Lunmark_root[1-9].log 2>/dev/null)'
mk rot-dir && e2e_disable "$R" && cp "$E2E_TMP/big" "$L/Lunmark_root0.log" && mkdir "$L/Lunmark_root1.log" && echo sq >"$L/Lunmark_root1.log/inside" &&
  chown -R 65534:65534 "$L/Lunmark_root1.log" && expect "directory squatting rotation index 1: its files intact, old current kept" \
  "$ok" "$kept" 'same "$(cat $L/Lunmark_root1.log/inside)" sq' 'e2e_whole $L/Lunmark_root0.log'
mk rot-link && e2e_disable "$R" && cp "$E2E_TMP/big" "$L/Lunmark_root0.log" && echo outside >"$E2E_TMP/outside" && ln -s "$E2E_TMP/outside" "$L/Lunmark_root1.log" &&
  expect "symlink at rotation index 1 to a file outside: outside untouched, old current kept" "$ok" "$kept" 'test -L $L/Lunmark_root1.log && same "$(cat $E2E_TMP/outside)" outside'
mk rot-10 && e2e_disable "$R" && cp "$E2E_TMP/big" "$L/Lunmark_root0.log" && for i in {1..10}; do echo "old $i" >"$L/Lunmark_root$i.log"; done &&
  chown 65534 "$L/Lunmark_root10.log" && expect "another user's file at index 10 (as login root1's current file): kept; the user's own 1-9 shift, its oldest deleted" \
  "$ok" 'same "$(cat $L/Lunmark_root{2..10}.log)" "$(printf "old %s\n" {1..8} 10)"' 'cmp -s $L/Lunmark_root1.log $E2E_TMP/big'
# Another run of the user holds the lock and rotates within this run's patience (started below): this
# one waits and appends to the holder's new file, also when the log was left open to others.
for m in 600 644; do
  mk rot-busy-$m && e2e_disable "$R" && cp "$E2E_TMP/big" "$L/Lunmark_root0.log" && chmod $m "$L/Lunmark_root0.log" &&
    expect "the user's own rotation under way elsewhere, $m: waited for, not repeated, left 0600" "$ok" \
      'cmp -s $L/Lunmark_root1.log $E2E_TMP/big' 'same "$(stat -c %a $L/Lunmark_root1.log) $(head -n1 $L/Lunmark_root0.log)" "600 new"'
done
# Users of the test's own, as uids without an account or a process, so that no other run counts
# against their process limit: one whose log rotates, one who holds locks, one at the limit.
# (The users from user + 3 on are at the process limits 6 to 12 below.)
unused() { local u && for u in "$@"; do ! getent passwd "$u" >/dev/null && ! pgrep -U "$u" >/dev/null || return 1; done; }
for ((user = 20000 + RANDOM % 40000; ; user += 10)); do unused $(seq $user $((user + 9))) && break; done
holder=$((user + 1)) limited=$((user + 2))
# The user's own over-limit log in a folder users write but may not list, with another user holding
# locks on the folder and the log (left readable to all), without locks at all, and with another user's file
# at index 1: it rotates (past that file).
for c in user-1733 user-held user-nolock user-squatted-1; do
  mk $c && e2e_disable "$R" && chmod "$([[ $c == user-1733 ]] && echo 1733 || echo 1777)" "$L" && cp "$E2E_TMP/big" "$L/Lunmark_${user}0.log" &&
    chown $user "$L/Lunmark_${user}0.log" && chmod "$([[ $c == user-held ]] && echo 644 || echo 600)" "$L/Lunmark_${user}0.log"
  n=1 && [[ $c != user-squatted-1 ]] || { n=2 && echo theirs >"$L/Lunmark_${user}1.log" && chown $holder "$L/Lunmark_${user}1.log"; }
  expect "over-limit log of an unprivileged user, ${c#user-}: rotated, a new current file" \
    "$ok" "cmp -s \$L/Lunmark_${user}$n.log $E2E_TMP/big" "same \"\$(stat -c %u:%a \$L/Lunmark_${user}0.log)\" $user:600"
done
as $holder perl -MFcntl=:flock -e 'for (@ARGV) { open my $f, "<", $_ or die; flock $f, LOCK_EX or die; push @h, $f } sleep 60' \
  "$E2E_TMP/user-held/$E2E_AGENT/logs/UserLogs"{,/Lunmark_${user}0.log} &
e2e_track $!
e2e_poll 10 e2e_not flock -n "$E2E_TMP/user-held/$E2E_AGENT/logs/UserLogs/Lunmark_${user}0.log" true
mk nproc && chmod 1777 "$L" && expect "no thread or child to be had (nproc 1): the second gate is asked, ps printed nothing" \
  'same $ST 0' "msgs \$C | grep -qE '^child process ID [0-9]+ : parent process id \$'" \
  "same \"\$(msgs \$C | tail -n1)\" 'Brevinor: The Application is not running while patching, hence lunmark not shown'" \
  "e2e_whole \$L/Lunmark_${limited}0.log"
mk silent-bus-no-x && expect "no X display, a session bus that never answers: given up within 5 s, status 1" 'same $ST 1' \
  'spans "Log Open:Brevinor" "Cannot open display, Brevinor not shown" 0 5'
mk broken-stderr && e2e_disable "$R" && rm -r "$L" && expect "log unusable, standard error a pipe nobody reads: status 0, not SIGPIPE" 'same $ST 0'
# The settings file is no file to read, or too large: turned away at once.
for c in 'fifo:mkfifo $S' 'dev-zero:ln -s /dev/zero $S' 'sparse:truncate -s 100M $S' \
  'over-1mib:e2e_plist $S "<key>ApplicationRunningPrompt</key><true/>" && head -c 1048576 /dev/zero | tr "\0" " " >>$S'; do
  mk "settings-${c%%:*}" && S=$D/ztpatch_data.plist && rm "$S" && eval "${c#*:}"
  expect "settings file ${c%%:*}: turned away as not a property list dictionary" 'same $ST 0' 'same "$(msgs $C | tail -n2)" "$refused"'
done

start=$SECONDS
quick=("${!CHECKS[@]}")
for C in "${quick[@]}"; do
  R=$E2E_TMP/$C
  case $C in
    readonly | open) run as 65534 "$bin" Editor ;;
    user-*) LD_PRELOAD=$([[ $C != user-nolock ]] || echo "$no_flock") run as $user "$bin" Editor ;;
    nproc) run prlimit --nproc=1 setpriv --reuid=$limited --regid=$limited --clear-groups "$bin" Editor ;;
    silent-bus-no-x) run env -u DISPLAY DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_TMP/silent" "$bin" Editor ;;
    broken-stderr) run perl -e 'pipe my $r, my $w or die; close $r; open STDERR, ">&", $w or die; exec @ARGV' "$bin" Editor ;;
    rot-busy-*) f=$(e2e_logfile "$R")  # the holder rotates half a second after this run starts
      flock "$f" sh -c 'sleep 0.5; mv -n "$0" "${0%0.log}1.log"; echo new >>"$0"' "$f" &
      e2e_track $! && e2e_poll 10 e2e_not flock -n "$f" true && run env -u DISPLAY "$bin" Editor ;;
    *) run env -u DISPLAY "$bin" Editor ;;
  esac
done

# === shown cases: on one display, all at once; each is ended once what matters is checked =======
e2e_start_x
# Turned away by a launching-process check that takes a second (a slow ps), on a display: nothing
# beside the check may end the run or write on its own, at any process limit, on a display whose
# cookie the run lacks (Xlib), with a broken user fonts.conf (fontconfig). Judged with the quick ones.
slow() { BREVINOR_TEST_SLOW_PS=1 LD_PRELOAD=$no_flock run "$@"; }
xauth -f "$E2E_TMP/cookie" add :0 . "$(mcookie)" 2>/dev/null && e2e_xvfb -auth "$E2E_TMP/cookie" && locked=$E2E_DISPLAY
gate2=$'Log Open:Brevinor\nGiven App Name Optional("Editor")\nInside checkIfApplicationRunningPromptEnabled
checkIfApplicationRunningPromptEnabled : Showing Brevinor\nchild process ID N : parent process id N
current and previousParentPid are different -> false :N\nBrevinor: The Application is not running while patching, hence lunmark not shown'
for c in {6..12} xauth fonts; do
  mk slow-$c && e2e_agent_install "$R" Editor 1 && chmod 1777 "$L" && mkdir -p "$R/cfg/fontconfig" && echo '<fontconfig><x' >"$R/cfg/fontconfig/fonts.conf"
  expect "launching-process check of a second, then turned away ($c): status 0, its lines only" 'same $ST 0' \
    'same "$(cat $L/*0.log $R/stderr | sed -E "s/^$E2E_PREFIX//; s/[0-9]+/N/g; s/ +N/ N/g")" "$gate2"'
  quick+=("$C")
  case $c in
    xauth) DISPLAY=$locked XAUTHORITY=$R/none slow "$bin" Editor ;;
    fonts) XDG_CONFIG_HOME=$R/cfg slow "$bin" Editor ;;
    *) slow prlimit --nproc="$c" setpriv --reuid=$((user + c - 3)) --regid=$((user + c - 3)) --clear-groups "$bin" Editor ;;
  esac
done
# A line held back until the notice is wanted keeps the time it was said.
mk held && LC_ALL=xx_XX.UTF-8 slow "$bin" Editor
expect "unknown locale, a check of a second: shown, the held toolkit warning stamped before the check's end" 'test -n "$W"' \
  't() { grep -F "$1" $(e2e_logfile $R) | cut -c1-23; } && [[ $(t "Locale not supported") < $(t "child process ID") ]]'
shown='test -n "$W" && e2e_whole $(e2e_logfile $R) && ! grep -qE "WARNING|CRITICAL|Gdk-|Gtk-|Pango-" $(e2e_logfile $R) $R/stderr'
mk ref && run "$bin" Editor && expect "Editor: shown, no toolkit warnings, then SIGTERM: status 143, every line whole" "$shown" 'same $ST 143' \
  'ref_geometry=$G ref_icon=$I'
mk closed && CLOSED=1 run "$bin" Editor && expect "standard input, output and error closed: shown, every line in its log" "$shown" "said 'Showing Notification and Playing Sound'"
tail_text=' update failed. You can now use the application. Patching will be attempted again shortly.'
names=("<b>x</b> & <span size='99999'>" _Mnemonic '%s%n' $'Editor\n2026-01-01 00:00:00.000 Brevinor[1:1] Log close:Brevinor')
for i in "${!names[@]}"; do
  n=${names[i]} && mk "name-$i" "$n" && run "$bin" "$n"
  expect "name '${n//$'\n'/\\n}': shown, logged verbatim on one line, no forged line" "$shown" \
    "said $(printf %q "Printing the ballon text ${n//$'\n'/\\n}$tail_text")" "! msgs \$C | grep -qx 'Log close:Brevinor'"
done
mk bad-utf8-msg && e2e_plist "$D/ApplicationRunningPromptCustomization.plist" \
  $'<key>failureNotificationMessage</key><string>could not \xff\xfe be updated</string>' && run "$bin" Editor &&
  expect "invalid UTF-8 in the message: shown with replacement characters" "$shown" "msgs \$C | grep 'Printing the ballon' | grep -q $'\\xef\\xbf\\xbd'"
long_name=$(head -c 102400 /dev/zero | tr '\0' n)
mk huge "$long_name" && e2e_plist "$D/ApplicationRunningPromptCustomization.plist" \
  "<key>failureNotificationMessage</key><string>$(yes word | head -n 209000 | tr '\n' ' ')</string>" && run "$bin" "$long_name"
# As wide as the reference card, and at most the few pixels taller that a fourth line adds.
expect "100 KiB name, message near the 1 MiB cap: Editor's width, four lines at most, both logged whole" "$shown" \
  'read -r w h <<<"$G" && read -r rw rh <<<"$ref_geometry" && ((w == rw && h >= rh && h < rh + 10))' \
  "said \"Given App Name Optional(\\\"$long_name\\\")\"" "msgs \$C | grep '^Printing the ballon' | awk '{exit !(length > 102400 + 209000 * 5)}'"
mk sigKILL && run "$bin" Editor && expect "SIGKILL mid-run: status 137, every line before it whole" 'same $ST 137' \
  '[[ -n $W ]] && e2e_whole $(e2e_logfile $R)' "said 'Showing Notification and Playing Sound'"
# A Wayland backend asked for while X is reachable; a toolkit module that does not exist (the toolkit
# says so, and that must be a log line like any other).
mk env-hostile && run env GDK_BACKEND=wayland GTK_MODULES=brevinor-missing "$bin" Editor &&
  expect "GDK_BACKEND=wayland and a missing GTK module: shown on X, the toolkit's message one prefixed line" \
    'test -n "$W" && e2e_whole $(e2e_logfile $R)' "said 'Gtk-Message: Failed to load module \"brevinor-missing\"'"
mk bad-logo && echo 'not a picture' >"$R/$E2E_AGENT/images/rebranded-agent-logo.png" &&
  e2e_plist "$R/$E2E_AGENT/SystemData/rebrand.plist" '<key>IS_REBRANDED</key><string>TRUE</string>' && run "$bin" Editor &&
  expect "rebranded logo that is no picture: no icon of ours on the window, no toolkit warnings" "$shown" \
    "said 'Using Rebranded AppIcon $R/$E2E_AGENT/images/rebranded-agent-logo.png'" 'test "$I" != "$ref_icon"'
# The card shows within moments and ends 15 s later, by the log's own time stamps, whatever holds up
# the sound server, the session bus or the desktop's settings (dconf's database a FIFO) meanwhile.
ended=$'same $ST 0\nspans "Log Open:Brevinor" "Showing Notification and Playing Sound" 0 5
spans "Showing Notification and Playing Sound" "Log close:Brevinor" 15 16'
mkdir -p "$E2E_TMP/stuck/dconf" && mkfifo "$E2E_TMP/stuck/dconf/user"
for v in PULSE_SERVER=unix:$E2E_TMP/silent DBUS_SESSION_BUS_ADDRESS=unix:path=$E2E_TMP/silent XDG_CONFIG_HOME=$E2E_TMP/stuck; do
  mk "stuck-${v%%_*}" && run env "$v" "$bin" Editor && expect "${v%%=*} held up (a silent socket, a FIFO): shown at once, ends 15 s later, status 0" "$ended"
done
for c in ref closed name-{0..3} bad-utf8-msg huge sigKILL env-hostile bad-logo held; do
  W=$(e2e_find_window "${P[$c]}" 40) || W=
  G=$([[ -z $W ]] || e2e_geometry "$W" | cut -d' ' -f3,4) I=$([[ -z $W ]] || xprop -id "$W" _NET_WM_ICON | md5sum)
  e2e_poll 10 grep -q 'Showing Notification' "$(e2e_logfile "$E2E_TMP/$c")" || true
  kill -"$([[ $c == sigKILL ]] && echo KILL || echo TERM)" "${P[$c]}" 2>/dev/null || true
  e2e_wait_exit "${P[$c]}" 10 && judge "$c" "$E2E_STATUS"
done

# The display of the case's own goes away under the shown notice: it ends at once, with one line.
e2e_xvfb && lost=$E2E_DISPLAY lost_x=${E2E_PIDS[-1]}
mk display-lost && DISPLAY=$lost run "$bin" Editor
DISPLAY=$lost e2e_find_window "${P[$C]}" 40 >/dev/null && e2e_poll 10 grep -q 'Showing Notification' "$(e2e_logfile "$R")" || true
kill "$lost_x" && e2e_wait_exit "${P[$C]}" 5
expect "display killed while shown: ends at once with status 1 and one line" 'same $ST 1' 'e2e_whole $(e2e_logfile $R)' \
  'same "$(msgs $C | grep -c "Display closed")" 1' 'same "$(msgs $C | tail -n1)" "Display closed, Brevinor ended"'
judge "$C" "$E2E_STATUS"
# The session bus of the case's own ends under the shown notice: it still runs its 15 s.
e2e_start_bus lost
mk bus-lost && DBUS_SESSION_BUS_ADDRESS=$(e2e_bus_address lost) run "$bin" Editor
e2e_poll 10 grep -q 'Showing Notification' "$(e2e_logfile "$R")" || true
kill "$E2E_BUS_PID" && expect "session bus ended while shown: closes after its 15 s with status 0" "$ended"
for c in bus-lost stuck-{PULSE,DBUS,XDG}; do e2e_wait_exit "${P[$c]}" 20 && judge "$c" "$E2E_STATUS"; done

# --- the quick cases' outcomes, once the shown ones are judged (each must have ended 15 s after it started)
for c in "${quick[@]}"; do
  e2e_wait_exit "${P[$c]}" $((start + 15 > SECONDS ? start + 15 - SECONDS : 0)) && judge "$c" "$E2E_STATUS"
done
echo "matrix took $((SECONDS - start)) s"
e2e_finish
