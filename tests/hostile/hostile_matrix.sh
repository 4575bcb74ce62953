#!/usr/bin/env bash
# Hostile input against the real program: what sits at the log's path and rotation targets, what
# the agent's property lists hold, how the program is started, what the name and message carry,
# and how the run is cut short. One line per case with its expected outcome, then the tally.
# Usage: hostile_matrix.sh PATH_TO_BREVINOR PATH_TO_NO_FLOCK_PRELOAD
set -euo pipefail
bin=$(realpath "${1:?usage: hostile_matrix.sh PATH_TO_BREVINOR PATH_TO_NO_FLOCK_PRELOAD}")
no_flock=$(realpath "${2:?usage: hostile_matrix.sh PATH_TO_BREVINOR PATH_TO_NO_FLOCK_PRELOAD}")
source "$(dirname "$0")/../e2e/lib.sh"

e2e_setup
immutable=()  # undone before the temp folder is removed, or it could not be
trap 'for f in "${immutable[@]}"; do chattr -i "$f" 2>/dev/null || true; done; e2e_cleanup' EXIT
chmod 755 "$E2E_TMP"  # runs as user nobody walk into it
e2e_launcher_ppid
export PULSE_SERVER=unix:$E2E_TMP/no-sound  # never the machine's speakers
agent=Library/Orrinwell/Tarnis_Agent
prefix='^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} Brevinor\[[0-9]+:[0-9]+\] '
off_lines=$'Log Open:Brevinor\nGiven App Name Optional("Editor")\nInside checkIfApplicationRunningPromptEnabled
checkIfApplicationRunningPromptEnabled : Tavisend disabled\nNot showing Brevinor'
no_value=$'checkIfApplicationRunningPromptEnabled : Cannot Get ApplicationRunningPrompt value\nNot showing Brevinor'
declare -A P  # install -> pid of its run

# mk CASE [APP]: a fresh install for one case; sets R (root), L (user logs), D (data).
mk() {
  R=$E2E_TMP/$1 L=$E2E_TMP/$1/$agent/logs/UserLogs D=$E2E_TMP/$1/$agent/data
  e2e_agent_install "$R" "${2:-Editor}" "$E2E_LAUNCHER_PPID"
}
off() { sed -i 's|<true/>|<false/>|' "$D/ztpatch_data.plist"; }  # the first gate says no
# run CMD...: starts CMD on the install R from this very shell, so the recorded launcher matches.
run() {
  if [[ -n ${CLOSED_STDIN:-} ]]; then
    BREVINOR_ROOT=$R NO_AT_BRIDGE=1 "$@" 2>"$R/stderr" <&- &
  else
    BREVINOR_ROOT=$R NO_AT_BRIDGE=1 "$@" 2>"$R/stderr" </dev/null &
  fi
  e2e_track $!
  P[$R]=$!
}
# ended CASE DEADLINE: waits until SECONDS reaches DEADLINE; sets ST (124: still running).
ended() { e2e_wait_exit "${P[$E2E_TMP/$1]}" $(($2 > SECONDS ? $2 - SECONDS : 0)); ST=$E2E_STATUS; }
# msgs CASE: every message of the run, current log file(s) first, then its standard error.
msgs() {
  local f
  for f in "$E2E_TMP/$1/$agent"/logs/UserLogs/Lunmark_*0.log "$E2E_TMP/$1/stderr"; do
    [[ ! -f $f || -L $f ]] || e2e_messages <"$f"
  done
}
# whole FILE: every line carries the prefix and the last one is complete.
whole() { [[ -s $1 && -z $(tail -c1 "$1") ]] && ! grep -qvE "$prefix" "$1"; }
# row CASE EXPECTED CMD...: one matrix line; the run's messages when it fails.
row() {
  e2e_check "$1: $2" "${@:3}"
  ((E2E_FAILED == ${fails:-0})) || { echo "  status $ST; messages:"; msgs "$1" | cut -c1-300 | sed 's/^/  | /'; }
  fails=$E2E_FAILED
}
same() { test "$1" = "$2"; }
# card_of_at_most_four_lines "W H" "W_REF H_REF": as wide as the reference card (three lines of
# text), and at most the few pixels taller that a fourth line adds; a fifth would add a whole line.
card_of_at_most_four_lines() {
  local w h rw rh
  read -r w h <<<"$1" && read -r rw rh <<<"$2"
  ((w == rw && h >= rh && h < rh + 10))
}
all() { local c; for c; do eval "$c" || return 1; done; }
sum() { md5sum <"$1"; }

# bplist MODE: a binary property list whose root dictionary maps the setting to a structure that
# must never be expanded: shared (14 references per level, 10 levels), deep (600 levels), cycle.
bplist() {
  perl -e '
    my $mode = shift; my @o = ("\xD1" . pack("n2", 1, 2), "\x5F\x10\x18ApplicationRunningPrompt");
    if ($mode eq "shared") { push @o, "\xAE" . pack("n*", (3 + $_) x 14) for 0 .. 9; push @o, "\x09" }
    if ($mode eq "deep") { push @o, "\xA1" . pack("n", 3 + $_) for 0 .. 599; push @o, "\x09" }
    if ($mode eq "cycle") { push @o, "\xA1" . pack("n", 2) }
    my ($out, @at) = ("bplist00");
    for (@o) { push @at, length $out; $out .= $_ }
    my $table = length $out;
    print $out, pack("N*", @at), "\0" x 6, pack("CCQ>Q>Q>", 4, 2, scalar @o, 0, $table);' "$1"
}

# === quick cases: all started at once, turned away at a gate, none needs a display ============
quick=()
q() { quick+=("$1"); }  # CASE: remember for the waits

# --- the log's path and folder (setting off: five lines, and where they land)
mk link && off && echo keep >"$E2E_TMP/users-file" && ln -s "$E2E_TMP/users-file" "$L/Lunmark_root0.log" && q link
mk hardlink && off && echo keep >"$L/../hard" && ln "$L/../hard" "$L/Lunmark_root0.log" && q hardlink
mk others && off && echo theirs >"$L/Lunmark_root0.log" && chown 65534:65534 "$L/Lunmark_root0.log" && q others
mk fifo && off && mkfifo "$L/Lunmark_root0.log" && q fifo
mk dir && off && mkdir "$L/Lunmark_root0.log" && q dir
mk missing && off && rm -r "$L" && q missing
mk immutable && off
if chattr +i "$L" 2>/dev/null; then immutable+=("$L") && q immutable; else echo "note: chattr +i unsupported here, read-only folder as root skipped"; fi
mk readonly && off && q readonly  # run as nobody in root's 0755 folder
mk open && off && chmod 0777 "$L" && q open  # world-writable, no sticky bit, run as nobody
{ head -c 2097152 /dev/zero | tr '\0' x; echo; } >"$E2E_TMP/big"  # one byte over the rotation threshold
big() { cp "$E2E_TMP/big" "$1"; }
mk rot-dir && off && big "$L/Lunmark_root0.log" && mkdir "$L/Lunmark_root1.log" && echo sq >"$L/Lunmark_root1.log/inside" &&
  chown -R 65534:65534 "$L/Lunmark_root1.log" && q rot-dir
mk rot-link && off && big "$L/Lunmark_root0.log" && echo outside >"$E2E_TMP/outside" &&
  ln -s "$E2E_TMP/outside" "$L/Lunmark_root1.log" && q rot-link
mk rot-stuck && off && big "$L/Lunmark_root0.log"
for i in {1..10}; do echo "old $i" >"$L/Lunmark_root$i.log"; done
chown 65534:65534 "$L/Lunmark_root10.log"
if chattr +i "$L/Lunmark_root10.log" 2>/dev/null; then immutable+=("$L/Lunmark_root10.log") && q rot-stuck; else echo "note: chattr +i unsupported here, undeletable index 10 skipped"; fi
# Three users of the test's own, as uids without an account or a process, so that no other run
# counts against their process limit: one whose log rotates, one who locks the shared folder, one
# at the process limit.
unused() { ! getent passwd "$1" >/dev/null && ! pgrep -U "$1" >/dev/null; }
for ((user = 20000 + RANDOM % 40000; ; user += 3)); do
  unused $user && unused $((user + 1)) && unused $((user + 2)) && break
done
holder=$((user + 1)) limited=$((user + 2))
# The user's own over-limit log in a folder that users write but may not list, with another user
# holding a lock on the folder and on the log (left readable to all), and on a file system
# without locks: it rotates all the same.
own_big() { big "$L/Lunmark_${user}0.log" && chown $user "$L/Lunmark_${user}0.log" && chmod 600 "$L/Lunmark_${user}0.log"; }
mk rot-1733 && off && chmod 1733 "$L" && own_big && q rot-1733
mk rot-0733 && off && chmod 0733 "$L" && own_big && q rot-0733
mk rot-held && off && chmod 1777 "$L" && own_big && chmod 644 "$L/Lunmark_${user}0.log" && q rot-held
setpriv --reuid=$holder --regid=$holder --clear-groups perl -MFcntl=:flock -e '
  for (@ARGV) { open my $f, "<", $_ or die; flock $f, LOCK_EX or die; push @held, $f } sleep 60' \
  "$L" "$L/Lunmark_${user}0.log" &
e2e_track $!
e2e_poll 10 e2e_not flock -n "$L/Lunmark_${user}0.log" true
mk rot-nolock && off && chmod 1777 "$L" && own_big && q rot-nolock
# No thread and no child to be had; a standard error with no reader while the log is unusable.
mk nproc && chmod 1777 "$L" && q nproc
mk broken-stderr && off && rm -r "$L" && q broken-stderr
for c in rot-dir rot-link rot-stuck; do [[ -d $E2E_TMP/$c ]] && (cd "$E2E_TMP/$c/$agent/logs/UserLogs" && md5sum -- * 2>/dev/null >"$E2E_TMP/$c/before" || true); done

# --- the settings file: guard cases, unreadable files, wrong shapes and types
settings() {  # CASE: an install whose settings file is what the caller then writes at $S
  mk "$1" && S=$D/ztpatch_data.plist && rm "$S" && q "$1"
}
for m in shared deep cycle; do settings "bin-$m" && bplist "$m" >"$S"; done
settings nul-key && printf '<plist><dict><key>Application\0RunningPrompt</key><true/></dict></plist>' >"$S"
settings over-1mib && { e2e_plist "$S" '<key>ApplicationRunningPrompt</key><true/>'; head -c 1048576 /dev/zero | tr '\0' ' ' >>"$S"; }
settings fifo-plist && mkfifo "$S"
settings dev-zero && ln -s /dev/zero "$S"
settings sparse && truncate -s 100M "$S"
settings bad-utf8 && e2e_plist "$S" $'<key>ApplicationRunningPrompt</key><string>\xff\xfe\xc3</string>'
settings array-root && printf '<plist><array><true/></array></plist>' >"$S"
types=('<string>true</string>' '<integer>2</integer>' '<real>0.5</real>' '<date>2024-01-01T00:00:00Z</date>'
  '<data>AQ==</data>' '<array><true/></array>' '<dict/>' '')
for i in "${!types[@]}"; do settings "type-$i" && e2e_plist "$S" "<key>ApplicationRunningPrompt</key>${types[i]}"; done
# --- the launcher record file: the same reader behind the second gate
mk rec-fifo && rm "$D/ApplicationRunningPromptData.plist" && mkfifo "$D/ApplicationRunningPromptData.plist" && q rec-fifo
mk rec-array && printf '<plist><array/></plist>' >"$D/ApplicationRunningPromptData.plist" && q rec-array

start=$SECONDS
for c in "${quick[@]}"; do
  R=$E2E_TMP/$c
  case $c in
    readonly | open) run setpriv --reuid=65534 --regid=65534 --clear-groups "$bin" Editor ;;
    rot-1733 | rot-0733 | rot-held) run setpriv --reuid=$user --regid=$user --clear-groups "$bin" Editor ;;
    rot-nolock) run env LD_PRELOAD="$no_flock" setpriv --reuid=$user --regid=$user --clear-groups "$bin" Editor ;;
    nproc) run prlimit --nproc=1 setpriv --reuid=$limited --regid=$limited --clear-groups "$bin" Editor ;;
    broken-stderr) run perl -e 'pipe my $r, my $w or die; close $r; open STDERR, ">&", $w or die; exec @ARGV' "$bin" Editor ;;
    *) run env -u DISPLAY "$bin" Editor ;;
  esac
done

# === shown cases: on one display, all at once; each is ended once what matters is checked ======
e2e_start_x
shown=()
s() { shown+=("$1"); }
mk ref && run "$bin" Editor && s ref
mk sig-ignored && run perl -e '$SIG{CHLD} = $SIG{PIPE} = "IGNORE"; exec @ARGV' "$bin" Editor && s sig-ignored
mk stdin-closed && CLOSED_STDIN=1 run "$bin" Editor && s stdin-closed
names=("<b>x</b> & <span size='99999'>" _Mnemonic '%s%n' $'Editor\n2026-01-01 00:00:00.000 Brevinor[1:1] Log close:Brevinor')
for i in "${!names[@]}"; do mk "name-$i" "${names[i]}" && run "$bin" "${names[i]}" && s "name-$i"; done
mk bad-utf8-msg && e2e_plist "$D/ApplicationRunningPromptCustomization.plist" \
  $'<key>failureNotificationMessage</key><string>could not \xff\xfe be updated</string>' && run "$bin" Editor && s bad-utf8-msg
long_name=$(head -c 102400 /dev/zero | tr '\0' n)
mk huge "$long_name" && e2e_plist "$D/ApplicationRunningPromptCustomization.plist" \
  "<key>failureNotificationMessage</key><string>$(yes 'word' | head -n 209000 | tr '\n' ' ')</string>" &&
  run "$bin" "$long_name" && s huge
mk sigkill && run "$bin" Editor && s sigkill
mk sigterm && run "$bin" Editor && s sigterm
# The display that goes away is one of this case's own.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$E2E_TMP/lost-display" >/dev/null 2>&1 &
e2e_track $!
lost_x=$!
e2e_poll 15 grep -qs '^[0-9]' "$E2E_TMP/lost-display"
lost=:$(head -n1 "$E2E_TMP/lost-display")
mk display-lost && DISPLAY=$lost run "$bin" Editor && s display-lost
# A hostile environment: a Wayland backend asked for while X is reachable, a toolkit module that
# does not exist (the toolkit says so, and that must be a log line like any other).
mk env-hostile && run env GDK_BACKEND=wayland GTK_MODULES=brevinor-missing "$bin" Editor && s env-hostile
mk bad-logo && echo 'not a picture' >"$R/$agent/images/rebranded-agent-logo.png" &&
  e2e_plist "$R/$agent/SystemData/rebrand.plist" '<key>IS_REBRANDED</key><string>TRUE</string>' &&
  run "$bin" Editor && s bad-logo
# The session bus of this case's own ends under the shown notice.
e2e_start_bus lost
mk bus-lost && DBUS_SESSION_BUS_ADDRESS=$(e2e_bus_address lost) run "$bin" Editor
{ e2e_poll 10 grep -qs 'Showing Notification' "$R/$agent/logs/UserLogs/Lunmark_root0.log"; kill "$E2E_BUS_PID"; } &
e2e_track $!

# --- the shown cases' outcomes
logof() { echo "$E2E_TMP/$1/$agent/logs/UserLogs/Lunmark_root0.log"; }
said() { msgs "$1" | grep -qxF -- "$2"; }  # CASE MESSAGE: the run logged exactly this message
quiet() { ! cat "$(logof "$1")" "$E2E_TMP/$1/stderr" 2>/dev/null | grep -qE 'WARNING|CRITICAL|Gdk-|Gtk-|Pango-'; }
tail_text=' update failed. You can now use the application. Patching will be attempted again shortly.'
for c in "${shown[@]}"; do
  [[ $c != display-lost ]] || continue
  pid=${P[$E2E_TMP/$c]}
  W=$(e2e_find_window "$pid" 40) || W=
  G=$([[ -z $W ]] || e2e_geometry "$W" | cut -d' ' -f3,4)
  I=$([[ -z $W ]] || xprop -id "$W" _NET_WM_ICON | md5sum)
  sig=TERM
  case $c in
    ref) ref_geometry=$G ref_icon=$I ;;
    sigkill) sig=KILL ;;
  esac
  # Killed once the notice is up and its lines are written; the fault cases are about exactly that.
  e2e_poll 10 grep -q 'Showing Notification' "$(logof "$c")" || true
  kill -"$sig" "$pid" 2>/dev/null || true
  ended "$c" $((SECONDS + 10))
  ok="test -n \"$W\" && quiet $c && whole $(logof "$c")"
  case $c in
    ref) row "$c" "Editor: shown (${G/ /x}), no toolkit warnings" all "$ok" ;;
    sig-ignored | stdin-closed) row "$c" "${c/sig-ignored/SIGCHLD and SIGPIPE ignored}: the launcher check still matches, notice shown" \
      all "$ok" "msgs $c | grep -q '^current and previousParentPid are same -> true'" ;;
    name-*) n=${names[${c#name-}]} n=${n//$'\n'/\\n}
      row "$c" "name '$n': shown, logged verbatim on one line, no forged line" \
        all "$ok" "said $c \"Printing the ballon text \$n\$tail_text\"" "! msgs $c | grep -qx 'Log close:Brevinor'" \
        "! grep -q '^2026-01-01' $(logof "$c")" ;;
    bad-utf8-msg) row "$c" "invalid UTF-8 in the message: shown with replacement characters, no toolkit warnings" \
      all "$ok" "msgs $c | grep 'Printing the ballon text' | grep -q $'\\xef\\xbf\\xbd'" ;;
    huge) row "$c" "100 KiB name, message near the 1 MiB cap: Editor's width, four lines at most (${G/ /x}), log keeps both whole" \
      all "$ok" "card_of_at_most_four_lines \"$G\" \"$ref_geometry\"" "said $c \"Given App Name Optional(\\\"\$long_name\\\")\"" \
      "msgs $c | grep '^Printing the ballon text' | awk '{exit !(length > 102400 + 209000 * 5)}'" ;;
    env-hostile) row "$c" "GDK_BACKEND=wayland and a missing GTK module: shown on X, the toolkit's message one prefixed line" \
      all "test -n \"$W\"" "whole $(logof "$c")" "said $c 'Gtk-Message: Failed to load module \"brevinor-missing\"'" ;;
    bad-logo) row "$c" "rebranded logo that is no picture: no icon of ours on the window, no toolkit warnings" \
      all "$ok" "said $c \"Using Rebranded AppIcon $E2E_TMP/$c/$agent/images/rebranded-agent-logo.png\"" \
      "test '$I' != \"\$ref_icon\"" ;;
    sigkill | sigterm) row "$c" "SIG${sig} mid-run: status $((128 + $(kill -l "$sig"))), every line before it in the file, none torn" \
      all "same \$ST $((128 + $(kill -l "$sig")))" "whole $(logof "$c")" "said $c 'Showing Notification and Playing Sound'" \
      "same \"\$(msgs $c | head -n1)\" 'Log Open:Brevinor'" ;;
  esac
done

# --- the display goes away under the shown notice
pid=${P[$E2E_TMP/display-lost]}
W=$(DISPLAY=$lost e2e_find_window "$pid" 40) || W=
e2e_poll 10 grep -q 'Showing Notification' "$(logof display-lost)" || true
kill "$lost_x"
t0=$EPOCHREALTIME
ended display-lost $((SECONDS + 10))
gone=$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.2f", b - a}')
row display-lost "display killed while shown: ends at once ($gone s) with status 1 and one line" \
  all "test -n \"$W\"" "same \$ST 1" "awk -v g=$gone 'BEGIN {exit !(g < 5)}'" "whole $(logof display-lost)" \
  "same \"\$(msgs display-lost | grep -c 'Display closed')\" 1" "same \"\$(msgs display-lost | tail -n1)\" 'Display closed, Brevinor ended'"

# --- the session bus went away under the shown notice: it still runs its 15 s
ended bus-lost $((SECONDS + 20))
row bus-lost "session bus ended while shown: the notice closes after its 15 s with status 0" \
  all "same \$ST 0" "same \"\$(msgs bus-lost | tail -n1)\" 'Log close:Brevinor'"

# --- the quick cases' outcomes, once the shown ones are judged: those last only 15 s (all quick
# cases must have ended 15 s after they started)
for c in "${quick[@]}"; do
  ended "$c" $((start + 15))
  L=$E2E_TMP/$c/$agent/logs/UserLogs
  on_stderr="same \"\$(e2e_messages <$E2E_TMP/$c/stderr)\" \"\$off_lines\" && ! ls $L/Lunmark_root0.log 2>/dev/null | grep -q ."
  ok="same \$ST 0 && same \"\$(msgs $c)\" \"\$off_lines\""
  refused="same \$ST 0 && same \"\$(msgs $c | tail -n2)\" 'checkIfApplicationRunningPromptEnabled : Cannot Convert plist to Dict
Not showing Brevinor'"
  case $c in
    link) row "$c" "symlink at the log path: status 0, target byte-identical, lines on stderr" \
      all "$ok" "same \"\$(cat $E2E_TMP/users-file)\" keep" "test -L $L/Lunmark_root0.log" "same \"\$(e2e_messages <$E2E_TMP/$c/stderr)\" \"\$off_lines\"" ;;
    hardlink) row "$c" "hard-linked log file: status 0, file untouched, lines on stderr" \
      all "$ok" "same \"\$(cat $L/../hard)\" keep" "same \"\$(e2e_messages <$E2E_TMP/$c/stderr)\" \"\$off_lines\"" ;;
    others) row "$c" "another user's log file: status 0, file untouched, lines on stderr" \
      all "$ok" "same \"\$(cat $L/Lunmark_root0.log)\" theirs" "same \"\$(e2e_messages <$E2E_TMP/$c/stderr)\" \"\$off_lines\"" ;;
    fifo) row "$c" "FIFO at the log path: no hang, status 0, lines on stderr" \
      all "$ok" "test -p $L/Lunmark_root0.log" "same \"\$(e2e_messages <$E2E_TMP/$c/stderr)\" \"\$off_lines\"" ;;
    dir) row "$c" "directory at the log path: status 0, left empty, lines on stderr" \
      all "$ok" "test -z \"\$(ls -A $L/Lunmark_root0.log)\"" "same \"\$(e2e_messages <$E2E_TMP/$c/stderr)\" \"\$off_lines\"" ;;
    missing) row "$c" "log folder missing: status 0, not created, lines on stderr" all "$ok" "test ! -e $L" "$on_stderr" ;;
    immutable) row "$c" "log folder nobody can create in (chattr +i): status 0, lines on stderr" all "$ok" "$on_stderr" ;;
    readonly) row "$c" "log folder read-only for the user (nobody in root's 0755): status 0, lines on stderr" \
      all "$ok" "test -z \"\$(ls -A $L)\"" ;;
    open) row "$c" "world-writable log folder without sticky bit: status 0, lines in the user's own 0600 file" \
      all "$ok" "same \"\$(stat -c %u:%a:%h $L/Lunmark_nobody0.log)\" 65534:600:1" "test ! -s $E2E_TMP/$c/stderr" ;;
    rot-dir) row "$c" "directory squatting rotation index 1: status 0, old current kept whole, squatter's files intact" \
      all "$ok" "whole $L/Lunmark_root0.log" "grep -q \"\$(grep Lunmark_root0.log $E2E_TMP/$c/before | cut -d' ' -f1)\" <(md5sum $L/Lunmark_root[1-9].log 2>/dev/null)" \
      "same \"\$(cat $L/Lunmark_root*.log/inside)\" sq" ;;
    rot-link) row "$c" "symlink at rotation index 1 to a file outside: status 0, outside untouched, old current kept" \
      all "$ok" "same \"\$(cat $E2E_TMP/outside)\" outside" "whole $L/Lunmark_root0.log" \
      "grep -q \"\$(grep Lunmark_root0.log $E2E_TMP/$c/before | cut -d' ' -f1)\" <(md5sum $L/Lunmark_root[1-9].log 2>/dev/null)" ;;
    rot-stuck) row "$c" "undeletable index 10: status 0, no file moved or deleted, lines appended to the current file" \
      all "$ok" "same \"\$(cd $L && md5sum -- * | grep -v root0.log)\" \"\$(grep -v root0.log $E2E_TMP/$c/before)\"" \
      "cmp -s -n 2097153 $L/Lunmark_root0.log $E2E_TMP/big" "test ! -s $E2E_TMP/$c/stderr" ;;
    rot-1733 | rot-0733 | rot-held | rot-nolock) row "$c" "over-limit log of an unprivileged user, ${c#rot-}: rotated, a new current file" \
      all "$ok" "cmp -s $L/Lunmark_${user}1.log $E2E_TMP/big" "same \"\$(stat -c %u:%a $L/Lunmark_${user}0.log)\" $user:600" ;;
    nproc) row "$c" "no thread or child to be had (nproc 1): the second gate is asked, ps printed nothing, status 0" \
      all "same \$ST 0" "msgs $c | grep -qE '^child process ID [0-9]+ : parent process id \$'" \
      "same \"\$(msgs $c | tail -n1)\" 'Brevinor: The Application is not running while patching, hence lunmark not shown'" \
      "whole $L/Lunmark_${limited}0.log" ;;
    broken-stderr) row "$c" "log unusable, standard error a pipe nobody reads: status 0, not SIGPIPE" all "same \$ST 0" ;;
    bin-* | nul-key | over-1mib | fifo-plist | dev-zero | sparse | array-root)
      row "$c" "settings file $c: turned away as not a property list dictionary, status 0" all "$refused" ;;
    bad-utf8) row "$c" "setting as a string of invalid UTF-8: turned away as no usable value, status 0" \
      all "same \$ST 0" "same \"\$(msgs $c | tail -n2)\" \"\$no_value\"" ;;
    type-*) row "$c" "setting as ${types[${c#type-}]:-missing}: turned away as no usable value, status 0" \
      all "same \$ST 0" "same \"\$(msgs $c | tail -n2)\" \"\$no_value\"" ;;
    rec-*) row "$c" "launcher record ${c#rec-}: turned away as not a dictionary, status 0" \
      all "same \$ST 0" "msgs $c | grep -q 'ApplicationRunningPromptData.plist : Cannot Convert plist to Dict\$'" \
      "same \"\$(msgs $c | tail -n1)\" 'Brevinor: The Application is not running while patching, hence lunmark not shown'" ;;
  esac
done
echo "quick cases: ${#quick[@]}"

echo "matrix took $((SECONDS - start)) s"
e2e_finish
