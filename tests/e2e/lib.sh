# Shared pieces of the end-to-end tests and the demo: a private X display with a
# window manager, a private PulseAudio with a null sink, a throwaway agent install,
# and small helpers to run the program and read the notice window's state.
# Source it from a bash script running with `set -euo pipefail`; call e2e_setup first.
# Everything a test starts lives in its own temp dir, display and socket, so tests
# can run side by side.

E2E_PIDS=()
E2E_PASSED=0
E2E_FAILED=0

# --- lifetime and assertions ----------------------------------------------------

e2e_setup() {
  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/brevinor-e2e.XXXXXX")
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
}

e2e_cleanup() {
  local i
  # Newest first: clients go before the servers they talk to.
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do kill "${E2E_PIDS[i]}" 2>/dev/null || true; done
  for i in "${E2E_PIDS[@]}"; do wait "$i" 2>/dev/null || true; done
  [[ -n ${E2E_KEEP_TMP:-} ]] || rm -rf "$E2E_TMP"
}

# Remembers a background child so the cleanup ends it.
e2e_track() { E2E_PIDS+=("$1"); }

# Polls a command until it succeeds: e2e_poll SECONDS CMD...
e2e_poll() {
  local limit=$1 start=$SECONDS
  shift
  until "$@"; do
    ((SECONDS - start < limit)) || return 1
    sleep 0.02
  done
}

# e2e_check DESCRIPTION CMD...: passes when CMD succeeds; E2E_OK tells which it was.
e2e_check() {
  if "${@:2}"; then
    echo "PASS: $1"
    ((++E2E_PASSED)); E2E_OK=1
  else
    echo "FAIL: $1"
    ((++E2E_FAILED)); E2E_OK=0
  fi
}

e2e_not() { ! "$@"; }

# e2e_finish [ROOT...]: ends the script with the tally the test runner reads,
# after the logs of the runs on these installs when a check failed.
e2e_finish() {
  local r
  if ((E2E_FAILED)); then for r; do echo "--- log of the run on $r:"; e2e_run_log "$r"; done; fi
  echo "$E2E_PASSED passed, $E2E_FAILED failed"
  exit $((E2E_FAILED > 0))
}

# --- X display and window manager ---------------------------------------------

# e2e_wm_command MANAGER: the command line that runs MANAGER on $DISPLAY, with its settings under
# $E2E_TMP (HOME and XDG folders are the test's own, so no user's settings apply).
e2e_wm_command() {
  case $1 in
    openbox) echo openbox --sm-disable ;;
    xfwm4) echo xfwm4 --replace --compositor=off ;;
    metacity | marco) echo "$1" --replace --sm-disable ;;
    mutter) echo mutter --x11 --replace --sm-disable ;;
    kwin_x11) echo env QT_QPA_PLATFORM=xcb kwin_x11 --replace ;;
    fluxbox) echo fluxbox ;;
    icewm) echo icewm ;;
    mutter-wayland) echo mutter --wayland --headless --virtual-monitor 1280x800 --sm-disable ;;
    i3)
      # i3 refuses a config that does not begin with this line. The tests' plain windows float,
      # as the notice does, so that they can be moved alike.
      printf '# i3 config file (v4)\nfloating_modifier Mod1\nfor_window [class="Xmessage"] floating enable\n' \
        >"$E2E_TMP/i3.conf"
      echo i3 -c "$E2E_TMP/i3.conf"
      ;;
    *) return 1 ;;
  esac
}

# e2e_move_modifier MANAGER: the key that, held with button 1, drags a window under MANAGER.
e2e_move_modifier() { case $1 in mutter* | metacity | kwin_x11) echo super ;; *) echo alt ;; esac; }

# e2e_start_x [MANAGER]: starts Xvfb on a free display and MANAGER (openbox by default) on it;
# exports DISPLAY. Managers other than openbox get a session bus of the test's own. MANAGER
# mutter-wayland is mutter as a headless Wayland compositor with its own XWayland instead of Xvfb.
e2e_start_x() {
  local manager=${1:-openbox} cmd
  cmd=$(e2e_wm_command "$manager") || { echo "unknown window manager $manager" >&2; return 1; }
  # A private home keeps every manager away from the user's settings; openbox's system-wide
  # rc.xml (with the Alt+drag move binding) still applies.
  mkdir -p "$E2E_TMP/home" "$E2E_TMP/xdg-config" "$E2E_TMP/xdg-cache" "$E2E_TMP/xdg-runtime"
  chmod 700 "$E2E_TMP/xdg-runtime"
  local -a wmenv=(HOME="$E2E_TMP/home" XDG_CONFIG_HOME="$E2E_TMP/xdg-config"
    XDG_CACHE_HOME="$E2E_TMP/xdg-cache" XDG_RUNTIME_DIR="$E2E_TMP/xdg-runtime")
  if [[ $manager != openbox ]]; then
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile) || return 1
    e2e_track "$(sed -n 2p <<<"$bus")"
    wmenv+=(DBUS_SESSION_BUS_ADDRESS="$(head -n1 <<<"$bus")")
  fi
  if [[ $manager != mutter-wayland ]]; then e2e_xvfb && export DISPLAY=$E2E_DISPLAY || return 1; fi
  local wm tries
  for tries in 1 2 3; do
    # shellcheck disable=SC2086 # the command is several words
    env "${wmenv[@]}" $cmd >"$E2E_TMP/wm.log" 2>&1 &
    wm=$!
    [[ $manager != mutter-wayland ]] || e2e_use_xwayland "$wm" || return 1
    # Ready once it advertises itself on the root window. With tests side by side on two cores,
    # a manager now and then fails to connect to a server that answers other clients; once more
    # then.
    e2e_poll 30 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" ||
      ! kill -0 $wm 2>/dev/null' && kill -0 "$wm" 2>/dev/null && break
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
  done
  e2e_track "$wm"
  kill -0 "$wm" 2>/dev/null || { cat "$E2E_TMP/wm.log" >&2; return 1; }
}

# e2e_xvfb [USER AUTHORITY]: starts Xvfb on a free display and sets E2E_DISPLAY. Given a user,
# the server runs as that user and admits only clients holding the cookie that this writes into
# the X authority file AUTHORITY, which the user owns.
e2e_xvfb() {
  local numfile=$E2E_TMP/display-${1:-own} n pid tries as=() auth=()
  [[ -z ${1:-} ]] || as=(setpriv --reuid="$1" --regid="$(id -g "$1")" --init-groups) auth=(-auth "$2")
  # Each test asks for a display number of its own and takes the first one whose lock it gets:
  # the lock file is taken atomically, so tests started side by side never share a server. Letting
  # the server pick (-displayfd alone) takes no lock, and two servers started in the same instant
  # then both answered on one number.
  for ((n = 100 + RANDOM % 800, tries = 0; tries < 50; n++, tries++)); do
    : >"$numfile"
    if ((${#auth[@]})); then
      : >"$2"
      xauth -q -f "$2" add ":$n" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
      chown "$1:" "$2"
    fi
    "${as[@]}" Xvfb ":$n" "${auth[@]}" -displayfd 3 -screen 0 1280x800x24 -nolisten tcp \
      3>"$numfile" >"$E2E_TMP/xvfb-${1:-own}.log" 2>&1 &
    pid=$!
    # Ready once it writes its number; gone at once when the number is taken.
    e2e_poll 15 eval '[[ -s $numfile ]] || ! kill -0 $pid 2>/dev/null' || break
    [[ -s $numfile ]] && break
    wait "$pid" 2>/dev/null || true
  done
  e2e_track "$pid"
  [[ -s $numfile ]] || { cat "$E2E_TMP/xvfb-${1:-own}.log" >&2; return 1; }
  E2E_DISPLAY=":$n"
}

# e2e_use_xwayland MUTTER_PID: waits for the XWayland that mutter starts and exports DISPLAY and
# XAUTHORITY for it.
e2e_use_xwayland() {
  local auth mutter=$1
  e2e_poll 30 eval 'grep -q "Using public X11 display" "$E2E_TMP/wm.log" || ! kill -0 $mutter 2>/dev/null'
  export DISPLAY
  DISPLAY=$(sed -nE 's/.*Using public X11 display (:[0-9]+).*/\1/p' "$E2E_TMP/wm.log" | head -n1)
  auth=$(find "$E2E_TMP/xdg-runtime" -maxdepth 1 -name '.mutter-Xwaylandauth.*' | head -n1)
  [[ -n $DISPLAY && -n $auth ]] || { cat "$E2E_TMP/wm.log" >&2; return 1; }
  export XAUTHORITY=$auth
}

# e2e_find_window PID [SECONDS]: prints the id of PID's mapped window.
# GTK also tags an unmapped leader window with the pid, hence --onlyvisible.
e2e_find_window() {
  local start=$SECONDS w
  until w=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n1) && [[ -n $w ]]; do
    ((SECONDS - start < ${2:-15})) && kill -0 "$1" 2>/dev/null || return 1
    sleep 0.02
  done
  echo "$w"
}

# e2e_prop WIN PROPERTY: the property's value as xprop prints it, or empty.
e2e_prop() { xprop -id "$1" "$2" 2>/dev/null | grep -v 'not found' | sed -E 's/^[^=]*= ?//' || true; }

# e2e_geometry WIN: prints "X Y WIDTH HEIGHT" of the window in root coordinates.
e2e_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF} END {print x, y, w, h}'
}

# e2e_desktop_table DIR MANAGER...: the rows the window test wrote to DIR/MANAGER.md, as one
# table (also saved as DIR/table.md); fails when a manager's row is missing.
e2e_desktop_table() {
  local dir=$1 m missing=0
  shift
  {
    head -n1 "$dir/$1.md" 2>/dev/null && head -n1 "$dir/$1.md" | sed -E 's/[^|]+/---/g'
    for m; do tail -n1 "$dir/$m.md" 2>/dev/null || { echo "| $m | no result |"; missing=1; }; done
  } >"$dir/table.md"
  cat "$dir/table.md"
  return "$missing"
}

# --- sound ----------------------------------------------------------------------

# e2e_start_pulse TAG: a PulseAudio of this test only, with a null sink "t".
# Sets E2E_PULSE_SERVER to the value clients need in PULSE_SERVER.
e2e_start_pulse() {
  local d=$E2E_TMP/pulse-$1
  mkdir -p "$d/runtime" "$d/home"
  XDG_RUNTIME_DIR=$d/runtime HOME=$d/home \
    pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n \
    --load="module-native-protocol-unix socket=$d/pulse.sock auth-anonymous=1" \
    --load="module-null-sink sink_name=t" >"$d/log" 2>&1 &
  e2e_track $!
  E2E_PULSE_SERVER=unix:$d/pulse.sock
  e2e_poll 15 env PULSE_SERVER="$E2E_PULSE_SERVER" pactl info >/dev/null 2>&1 \
    || { cat "$d/log" >&2; return 1; }
}

# e2e_record_start SERVER FILE: captures what the null sink plays, as raw
# 16-bit stereo at 44.1 kHz. Sets E2E_RECORD_PID.
e2e_record_start() {
  PULSE_SERVER=$1 parec --latency-msec=20 -d t.monitor --raw \
    --format=s16le --rate=44100 --channels=2 >"$2" 2>>"$E2E_TMP/parec.log" &
  E2E_RECORD_PID=$!
  e2e_track $!
}

# e2e_rms FILE: the loudest RMS amplitude (0..1) over half-second stretches of
# a capture, so a short sound is not averaged away by the silence around it.
e2e_rms() {
  [[ -s $1 ]] || { echo 0; return; }
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$1" -t dat - | awk '
    /^;/ {next}
    {sum += ($2 * $2 + $3 * $3) / 2; if (++n == 22050) {r = sqrt(sum / n); if (r > best) best = r; sum = n = 0}}
    END {if (n) {r = sqrt(sum / n); if (r > best) best = r} printf "%.4f\n", best}'
}

# --- the agent install and a run on it ------------------------------------------

e2e_xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' <<<"$1"; }

# e2e_plist FILE ENTRIES: an XML property list whose root dictionary holds ENTRIES.
e2e_plist() { printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>%s</dict></plist>\n' "$2" >"$1"; }

# e2e_launcher_ppid: sets E2E_LAUNCHER_PPID to what `ps -o ppid=` prints for a
# child of the calling shell (column padding and final newline included). The
# program looks itself up the same way, so launch it from this same shell,
# not from a subshell or $(...).
e2e_launcher_ppid() {
  sleep 30 &
  E2E_LAUNCHER_PPID=$(ps -o ppid= $!)$'\n'
  kill $!
  wait $! 2>/dev/null || true
}

# e2e_agent_install ROOT APP_NAME LAUNCHER_PPID_TEXT: an agent install under ROOT,
# not rebranded, that lets the notice through for APP_NAME.
e2e_agent_install() {
  local agent=$1/Library/Orrinwell/Tarnis_Agent
  mkdir -p "$agent/bin" "$agent/data" "$agent/SystemData" "$agent/images" "$agent/logs/UserLogs"
  : >"$agent/bin/ztagentservice"
  chmod +x "$agent/bin/ztagentservice"
  e2e_plist "$agent/data/ztpatch_data.plist" '<key>ApplicationRunningPrompt</key><true/>'
  # The launcher's pid text goes in verbatim, its final newline included.
  e2e_plist "$agent/data/ApplicationRunningPromptData.plist" "<key>Lunmark</key><dict>
<key>$(e2e_xml_escape "$2")</key><string>$(e2e_xml_escape "$3")
</string></dict>"
}

# e2e_launch ROOT CMD...: starts CMD (the program, maybe behind env) in the background
# on the install at ROOT, standard error to ROOT/stderr; sets E2E_PID.
e2e_launch() {
  BREVINOR_ROOT=$1 NO_AT_BRIDGE=1 "${@:2}" 2>"$1/stderr" &
  E2E_PID=$!
  e2e_track $!
}

# e2e_wait_exit PID SECONDS: waits for a child with a bound; sets E2E_STATUS
# (124 when it had to be killed).
e2e_wait_exit() {
  E2E_STATUS=0
  if e2e_poll "$2" e2e_not kill -0 "$1" 2>/dev/null; then
    wait "$1" || E2E_STATUS=$?
  else
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
    E2E_STATUS=124
  fi
}

# e2e_logfile ROOT: the per-user log file of the install at ROOT.
e2e_logfile() { echo "$1/Library/Orrinwell/Tarnis_Agent/logs/UserLogs/Lunmark_$(id -un)0.log"; }

# e2e_run_log ROOT [STDERR_FILE]: the whole log of a run, the per-user log file
# before what was captured on standard error (ROOT/stderr by default).
e2e_run_log() { cat "$(e2e_logfile "$1")" "${2:-$1/stderr}" 2>/dev/null || true; }

# e2e_messages: log lines on stdin, messages (prefix stripped) on stdout; lines
# without the prefix are dropped, so stray library warnings never match.
e2e_messages() {
  sed -nE 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} Brevinor\[[0-9]+:[0-9]+\] //p'
}

# --- the desktop's notification service -----------------------------------------

# e2e_bus_address TAG: the address of the session bus that e2e_start_bus TAG started.
e2e_bus_address() { echo "unix:path=$E2E_TMP/bus-$1/socket"; }

# e2e_start_bus TAG: a session bus of this test's own that starts no service on demand, so a
# name is there only when the test's own process takes it. Sets E2E_BUS_PID.
e2e_start_bus() {
  local d=$E2E_TMP/bus-$1
  mkdir -p "$d"
  cat >"$d/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$d/socket</listen>
  <policy context="default"><allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy>
</busconfig>
CONF
  dbus-daemon --nofork --config-file="$d/bus.conf" --print-address=3 3>"$d/address" 2>"$d/log" &
  E2E_BUS_PID=$!
  e2e_track $!
  e2e_poll 10 test -s "$d/address" || { cat "$d/log" >&2; return 1; }
}

# e2e_start_dunst TAG [SETTING...]: dunst, with these settings, as the notification service on
# the bus of e2e_start_bus TAG, drawing on DISPLAY. The calls it gets are written to
# $E2E_TMP/bus-TAG/calls.
e2e_start_dunst() {
  local d=$E2E_TMP/bus-$1 bus
  bus=$(e2e_bus_address "$1")
  printf '[global]\n' >"$d/dunstrc"
  printf '    %s\n' "${@:2}" >>"$d/dunstrc"
  dbus-monitor --address "$bus" "interface='org.freedesktop.Notifications'" >"$d/calls" 2>&1 &
  e2e_track $!
  DBUS_SESSION_BUS_ADDRESS=$bus dunst -config "$d/dunstrc" >"$d/dunst.log" 2>&1 &
  e2e_track $!
  # Ready once it answers on the bus, and once the monitor has joined it.
  if ! e2e_poll 15 env DBUS_SESSION_BUS_ADDRESS="$bus" dunstctl is-paused >/dev/null 2>&1 ||
    ! e2e_poll 5 grep -q NameLost "$d/calls"; then
    cat "$d/dunst.log" "$d/calls" >&2
    return 1
  fi
}
