# The one harness of the end-to-end, hostile and load tests, the demo and the benchmark: a private
# X display with a window manager, sound server and session bus, a throwaway agent install, runs
# of the program on it, and checks that tally. Source it from bash under `set -euo pipefail` and
# call e2e_setup first. Everything lives in its own temp dir, display and socket, so tests can
# run side by side.

E2E_PIDS=() E2E_PASSED=0 E2E_FAILED=0
E2E_AGENT=Library/Orrinwell/Tarnis_Agent

e2e_setup() {
  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/brevinor-e2e.XXXXXX")
  trap e2e_cleanup EXIT && trap 'exit 130' INT TERM
}
e2e_cleanup() {
  local i
  # Newest first: clients go before the servers they talk to.
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do kill "${E2E_PIDS[i]}" 2>/dev/null || true; done
  for i in "${E2E_PIDS[@]}"; do wait "$i" 2>/dev/null || true; done
  [[ -n ${E2E_KEEP_TMP:-} ]] || rm -rf "$E2E_TMP"
}
e2e_track() { E2E_PIDS+=("$1"); }  # PID: ended by the cleanup
e2e_not() { ! "$@"; }
# e2e_poll SECONDS CMD...: polls CMD until it succeeds.
e2e_poll() {
  local limit=$1 start=$SECONDS
  until "${@:2}"; do ((SECONDS - start < limit)) || return 1; sleep 0.02; done
}
# e2e_check DESCRIPTION CMD...: one check; E2E_OK tells how it went.
e2e_check() {
  if "${@:2}"; then echo "PASS: $1" && E2E_OK=1 && ((++E2E_PASSED)); else echo "FAIL: $1" && E2E_OK=0 && ((++E2E_FAILED)); fi
}
# e2e_finish [ROOT...]: the tally the test runner reads, after these installs' logs when a check failed.
e2e_finish() {
  local r
  if ((E2E_FAILED)); then for r; do echo "--- log of the run on $r:" && e2e_run_log "$r"; done; fi
  echo "$E2E_PASSED passed, $E2E_FAILED failed"
  exit $((E2E_FAILED > 0))
}

# --- X display, window manager, sound, session bus ---------------------------------------------

# e2e_start_x [MANAGER]: Xvfb on a free display and MANAGER (openbox by default) on it, with a
# home, settings and session bus of the test's own; exports DISPLAY. mutter-wayland is a headless
# Wayland compositor whose own XWayland takes Xvfb's place.
e2e_start_x() {
  local manager=${1:-openbox} cmd wm tries
  case $manager in
    openbox | metacity | marco) cmd="$manager --replace --sm-disable" ;;
    # openbox under a compositor of its own: picom shadowing as its sample configuration does
    # (not windows that declare frame extents), xcompmgr every window's rectangle
    picom | xcompmgr) cmd="openbox --replace --sm-disable" ;;
    xfwm4) cmd="xfwm4 --replace --compositor=off" ;;
    mutter) cmd="mutter --x11 --replace --sm-disable" ;;
    mutter-wayland) cmd="mutter --wayland --headless --virtual-monitor 1280x800 --sm-disable" ;;
    # its blur, off by default where OpenGL is drawn in software (Xvfb's)
    kwin_x11) cmd="env QT_QPA_PLATFORM=xcb kwin_x11 --replace" && mkdir -p "$E2E_TMP/xdg-config" && printf '[Plugins]\nblurEnabled=true\n' >"$E2E_TMP/xdg-config/kwinrc" ;;
    fluxbox | icewm) cmd=$manager ;;
    # i3 wants this first line; the tests' plain windows float as the notice does.
    i3) cmd="i3 -c $E2E_TMP/i3.conf" && printf '# i3 config file (v4)\nfloating_modifier Mod1\nfor_window [class="Xmessage"] floating enable\n' >"$E2E_TMP/i3.conf" ;;
    *) echo "unknown window manager $manager" >&2 && return 1 ;;
  esac
  mkdir -p "$E2E_TMP"/{home,xdg-config,xdg-cache} && mkdir -m 700 -p "$E2E_TMP/xdg-runtime" && e2e_start_bus wm
  local -a wmenv=(HOME="$E2E_TMP/home" XDG_CONFIG_HOME="$E2E_TMP/xdg-config" XDG_CACHE_HOME="$E2E_TMP/xdg-cache"
    XDG_RUNTIME_DIR="$E2E_TMP/xdg-runtime" DBUS_SESSION_BUS_ADDRESS="$(e2e_bus_address wm)")
  if [[ $manager != mutter-wayland ]]; then e2e_xvfb && export DISPLAY=$E2E_DISPLAY || return 1; fi
  # On a busy machine a manager now and then fails to connect to a server that answers others.
  for tries in 1 2 3; do
    # shellcheck disable=SC2086 # the command is several words
    env "${wmenv[@]}" $cmd >"$E2E_TMP/wm.log" 2>&1 &
    wm=$!
    if [[ $manager == mutter-wayland ]]; then  # the display and cookie of its XWayland
      e2e_poll 30 eval 'grep -q "Using public X11 display" "$E2E_TMP/wm.log" || ! kill -0 $wm 2>/dev/null'
      export DISPLAY XAUTHORITY
      DISPLAY=$(sed -nE 's/.*Using public X11 display (:[0-9]+).*/\1/p' "$E2E_TMP/wm.log" | head -n1)
      XAUTHORITY=$(find "$E2E_TMP/xdg-runtime" -maxdepth 1 -name '.mutter-Xwaylandauth.*' | head -n1)
      export XDG_RUNTIME_DIR=$E2E_TMP/xdg-runtime WAYLAND_DISPLAY=wayland-0  # no layer surfaces: the X11 card it is
    fi
    e2e_poll 30 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" || ! kill -0 $wm 2>/dev/null' &&
      kill -0 "$wm" 2>/dev/null && break
    kill "$wm" 2>/dev/null || true
  done
  e2e_track "$wm"
  kill -0 "$wm" 2>/dev/null || { cat "$E2E_TMP/wm.log" >&2 && return 1; }
  case $manager in
    picom) printf 'backend = "xrender";\nshadow = true;\nshadow-exclude = [ "_GTK_FRAME_EXTENTS@:c" ];\n' >"$E2E_TMP/picom.conf" &&
      picom --config "$E2E_TMP/picom.conf" >>"$E2E_TMP/wm.log" 2>&1 & ;;
    xcompmgr) xcompmgr -c >>"$E2E_TMP/wm.log" 2>&1 & ;;
    *) return 0 ;;
  esac
  e2e_track $! && e2e_poll 10 eval 'xwininfo -root -children | grep -q "\"$manager\""'  # its window names it
}

# e2e_xvfb [XVFB_ARG...]: Xvfb on a free display, as the user E2E_XVFB_AS when set; sets
# E2E_DISPLAY. Each takes a number whose lock it gets: servers picking one themselves (-displayfd
# alone) take no lock, and two started in the same instant then shared a number.
e2e_xvfb() {
  local numfile=$E2E_TMP/display-$RANDOM n pid tries
  for ((n = 100 + RANDOM % 800, tries = 0; tries < 50; n++, tries++)); do
    : >"$numfile"
    ${E2E_XVFB_AS:+runuser -u "$E2E_XVFB_AS" --} Xvfb ":$n" "$@" -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
    pid=$!
    e2e_poll 15 eval '[[ -s $numfile ]] || ! kill -0 $pid 2>/dev/null' && [[ -s $numfile ]] && break
  done
  e2e_track "$pid"
  [[ -s $numfile ]] && E2E_DISPLAY=":$n"
}

# e2e_find_window PID [SECONDS]: the id of PID's mapped window (GTK also tags an unmapped leader).
e2e_find_window() {
  local w pid=$1
  e2e_poll "${2:-15}" eval 'w=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -n1) && [[ -n $w ]] || ! kill -0 $pid 2>/dev/null'
  [[ -n $w ]] && echo "$w"
}
# WIN PROPERTY: its value, nothing when the window lacks it (or nobody ever named it)
e2e_prop() { xprop -id "$1" "$2" 2>/dev/null | grep -vE 'not found|no such atom' | sed -E 's/^[^=]*= ?//' || true; }
e2e_geometry() {  # WIN: "X Y WIDTH HEIGHT" in root coordinates of what shows, without the shadow it declares
  xwininfo -id "$1" | awk -v e="$(e2e_prop "$1" _GTK_FRAME_EXTENTS | tr -d ,)" 'BEGIN {split(e " 0 0 0 0", m, " ")}
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /^ *Width:/ {w=$NF} /^ *Height:/ {h=$NF}
    END {print x + m[1], y + m[3], w - m[1] - m[2], h - m[3] - m[4]}'
}
e2e_red_pixels() { import -window root -crop "$1" +repage png:- | convert - -fill black +opaque '#ff0000' -fill white -opaque '#ff0000' -format '%[fx:round(mean*w*h)]' info:; }  # CROP

# e2e_start_pulse TAG: a PulseAudio of its own with a null sink "t"; sets E2E_PULSE_SERVER.
e2e_start_pulse() {
  local d=$E2E_TMP/pulse-$1
  mkdir -p "$d/runtime" "$d/home"
  XDG_RUNTIME_DIR=$d/runtime HOME=$d/home pulseaudio --daemonize=no --exit-idle-time=-1 -n \
    --load="module-native-protocol-unix socket=$d/sock auth-anonymous=1" --load="module-null-sink sink_name=t" >"$d/log" 2>&1 &
  e2e_track $!
  E2E_PULSE_SERVER=unix:$d/sock
  e2e_poll 15 env PULSE_SERVER="$E2E_PULSE_SERVER" pactl info >/dev/null 2>&1 || { cat "$d/log" >&2; return 1; }
}
# e2e_record_start SERVER FILE: captures the null sink as raw 16-bit stereo at 44.1 kHz; sets E2E_RECORD_PID.
e2e_record_start() {
  PULSE_SERVER=$1 parec --latency-msec=20 -d t.monitor --raw --format=s16le --rate=44100 --channels=2 >"$2" 2>/dev/null &
  E2E_RECORD_PID=$! && e2e_track $!
}
# e2e_peak FILE: the capture's peak amplitude (0..1).
e2e_peak() { sox -t raw -r 44100 -e signed -b 16 -c 2 "$1" -n stat 2>&1 | awk '/^Maximum amplitude/ {print $3}' | grep . || echo 0; }

# e2e_start_bus TAG: a session bus of its own that starts no service on demand; sets E2E_BUS_PID.
e2e_bus_address() { echo "unix:path=$E2E_TMP/bus-$1/socket"; }
e2e_start_bus() {
  local d=$E2E_TMP/bus-$1 && mkdir -p "$E2E_TMP/bus-$1"
  printf '<busconfig><type>session</type><listen>unix:path=%s/socket</listen><policy context="default">
<allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/></policy></busconfig>\n' "$d" >"$d/bus.conf"
  dbus-daemon --nofork --config-file="$d/bus.conf" --print-address=3 3>"$d/address" 2>"$d/log" &
  E2E_BUS_PID=$! && e2e_track $!
  e2e_poll 10 test -s "$d/address" || { cat "$d/log" >&2; return 1; }
}
# e2e_start_dunst TAG [SETTING...]: dunst with these settings as the notification service on the bus
# TAG, drawing on DISPLAY; the calls it gets go to $E2E_TMP/bus-TAG/calls.
e2e_start_dunst() {
  local d=$E2E_TMP/bus-$1 bus && bus=$(e2e_bus_address "$1")
  printf '[global]\n' >"$d/dunstrc" && printf '    %s\n' "${@:2}" >>"$d/dunstrc"
  dbus-monitor --address "$bus" "interface='org.freedesktop.Notifications'" >"$d/calls" 2>&1 &
  e2e_track $!
  DBUS_SESSION_BUS_ADDRESS=$bus dunst -config "$d/dunstrc" >"$d/dunst.log" 2>&1 &
  e2e_track $!
  e2e_poll 15 env DBUS_SESSION_BUS_ADDRESS="$bus" dunstctl is-paused >/dev/null 2>&1 && e2e_poll 5 grep -q NameLost "$d/calls"
}

# --- Wayland compositors that offer layer surfaces --------------------------------------------

# e2e_start_wayland sway|kwin-wayland: the compositor headless with one 1280x800 output and
# XWayland, as the throwaway user E2E_USER (neither runs as root) with a runtime folder of its own;
# exports WAYLAND_DISPLAY, DISPLAY (its XWayland) and SWAYSOCK or its session bus. E2E_AS runs a
# command as that user, whose log e2e_logfile then names; E2E_TYPE WORD types on its keyboard, into
# windows of E2E_WINDOWS (through XWayland where only an X11 client can type).
E2E_USER=brevinor-e2e-wl
e2e_start_wayland() {
  local run=$E2E_TMP/run
  id -u "$E2E_USER" >/dev/null 2>&1 || useradd -M -d /nonexistent -s /usr/sbin/nologin "$E2E_USER"
  chmod 755 "$E2E_TMP" && install -d -m 700 -o "$E2E_USER" "$run" && install -d -m 1777 /tmp/.X11-unix
  E2E_RUN_AS=$E2E_USER E2E_AS=(setpriv --reuid="$E2E_USER" --regid="$E2E_USER" --clear-groups env HOME="$run" XDG_RUNTIME_DIR="$run")
  if [[ $1 == sway ]]; then
    E2E_BG='#3f3f3f' E2E_WINDOWS=wayland E2E_TYPE=(wtype -s 150 -d 30)  # the colour sway clears to
    printf '%s\n' 'xwayland enable' 'output HEADLESS-1 resolution 1280x800' 'default_border none' 'default_floating_border none' \
      'for_window [app_id="cover"] floating enable, resize set 500 300, move position 780 0' "exec env >$run/env" >"$E2E_TMP/sway.conf"
    "${E2E_AS[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway -c "$E2E_TMP/sway.conf" >"$E2E_TMP/wm.log" 2>&1 &
  else  # a copy: the capability the package gives kwin_wayland is one this container may not grant
    E2E_BG='#000000' E2E_WINDOWS=x11 E2E_TYPE=("${E2E_AS[@]}" xdotool type --delay 30)  # kwin lacks wtype's virtual keyboard
    cp /usr/bin/kwin_wayland "$E2E_TMP/" && "${E2E_AS[@]}" mkdir "$run/.config"
    printf '[Desktops]\nNumber=2\n' >"$run/.config/kwinrc"
    "${E2E_AS[@]}" dbus-daemon --session --nofork --address="unix:path=$run/bus" >/dev/null 2>&1 &
    e2e_track $! && e2e_poll 10 test -S "$run/bus"
    "${E2E_AS[@]}" DBUS_SESSION_BUS_ADDRESS="unix:path=$run/bus" KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "$E2E_TMP/kwin_wayland" \
      --virtual --width 1280 --height 800 --xwayland --socket wayland-e2e "sh -c 'env >$run/env'" >"$E2E_TMP/wm.log" 2>&1 &
  fi
  e2e_track $!
  e2e_poll 60 test -s "$run/env" || { cat "$E2E_TMP/wm.log" >&2 && return 1; }
  export XDG_RUNTIME_DIR=$run $(grep -E '^(WAYLAND_DISPLAY|DISPLAY|XAUTHORITY|SWAYSOCK|DBUS_SESSION_BUS_ADDRESS)=' "$run/env")
}
# e2e_shot FILE: a PNG screenshot of the whole output (kwin's own interface hands raw BGRA to a pipe).
e2e_shot() {
  [[ -z ${SWAYSOCK:-} ]] || { grim "$1" && return; }
  "${E2E_AS[@]}" python3 -c 'import os, gi; from gi.repository import Gio, GLib; r, w = os.pipe(); fds = Gio.UnixFDList(); fds.append(w)
os.close(w); Gio.bus_get_sync(Gio.BusType.SESSION).call_with_unix_fd_list_sync("org.kde.KWin", "/org/kde/KWin/ScreenShot2",
  "org.kde.KWin.ScreenShot2", "CaptureScreen", GLib.Variant("(sa{sv}h)", ("Virtual-0", {}, 0)), None, 0, 5000, fds)
del fds; os.write(1, b"".join(iter(lambda: os.read(r, 65536), b"")))' |
    convert -size 1280x800 -depth 8 bgra:- -alpha off "$1"
}
# e2e_wayland_window NAME KEYS: a window as large as the output, of its empty background's
# colour (a translucent card looks the same over either), noting each key it gets in KEYS.
e2e_wayland_window() {
  "${E2E_AS[@]}" GDK_BACKEND=$E2E_WINDOWS python3 -c 'import sys, gi; gi.require_version("Gtk", "3.0"); from gi.repository import GLib, Gtk, Gdk
GLib.set_prgname(sys.argv[1]); w = Gtk.Window(title=sys.argv[1]); w.set_decorated(False); w.set_default_size(1280, 800)
c = Gtk.CssProvider(); c.load_from_data(b"window {background: %s}" % sys.argv[3].encode()); Gtk.StyleContext.add_provider_for_screen(Gdk.Screen.get_default(), c, 600)
k = open(sys.argv[2], "a", buffering=1); w.connect("key-press-event", lambda _, e: k.write(Gdk.keyval_name(e.keyval) + "\n")); w.show_all(); Gtk.main()' "$@" "$E2E_BG" &
  e2e_track $!
}

# --- the agent install and runs on it ------------------------------------------------------------

e2e_xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' <<<"$1"; }
# e2e_plist FILE ENTRIES: an XML property list whose root dictionary holds ENTRIES.
e2e_plist() { printf '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>%s</dict></plist>\n' "$2" >"$1"; }
# e2e_launcher_ppid: sets E2E_LAUNCHER_PPID to what `ps -o ppid=` prints for a child of this shell,
# padding and final line break included. Launch the program from this same shell, not a subshell.
e2e_launcher_ppid() {
  sleep 30 &
  E2E_LAUNCHER_PPID=$(ps -o ppid= $!)$'\n'
  kill $! && wait $! 2>/dev/null || true
}
# e2e_agent_install ROOT APP_NAME LAUNCHER_TEXT: an install under ROOT, not rebranded, that lets the
# notice through for APP_NAME launched by LAUNCHER_TEXT (written verbatim).
e2e_agent_install() {
  local agent=$1/$E2E_AGENT
  mkdir -p "$agent"/{bin,data,SystemData,images,logs/UserLogs}
  install -m 755 /dev/null "$agent/bin/ztagentservice"
  e2e_plist "$agent/data/ztpatch_data.plist" '<key>ApplicationRunningPrompt</key><true/>'
  e2e_plist "$agent/data/ApplicationRunningPromptData.plist" "<key>Lunmark</key><dict>
<key>$(e2e_xml_escape "$2")</key><string>$(e2e_xml_escape "$3")
</string></dict>"
}
e2e_disable() { sed -i 's|<true/>|<false/>|' "$1/$E2E_AGENT/data/ztpatch_data.plist"; }  # ROOT

# e2e_launch ROOT CMD...: starts CMD in the background on the install at ROOT, standard error to
# ROOT/stderr; sets E2E_PID.
e2e_launch() {
  BREVINOR_ROOT=$1 NO_AT_BRIDGE=1 "${@:2}" 2>"$1/stderr" </dev/null &
  E2E_PID=$! && e2e_track $!
}
# e2e_wait_exit PID SECONDS: waits with a bound; sets E2E_STATUS (124 when it had to be killed).
e2e_wait_exit() {
  local status
  E2E_STATUS=0
  e2e_poll "$2" e2e_not kill -0 "$1" 2>/dev/null || { kill -9 "$1" 2>/dev/null && E2E_STATUS=124; }
  wait "$1" 2>/dev/null || status=$? && ((E2E_STATUS)) || E2E_STATUS=${status:-0}
}
e2e_logfile() { echo "$1/$E2E_AGENT/logs/UserLogs/Lunmark_${2:-${E2E_RUN_AS:-$(id -un)}}0.log"; }  # ROOT [USER]
# e2e_run_log ROOT: the whole log of a run, the per-user file before what reached standard error.
e2e_run_log() { cat "$(e2e_logfile "$1")" "$1/stderr" 2>/dev/null || true; }
# e2e_messages: log lines in, messages out; lines without the prefix are dropped.
E2E_PREFIX='[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3} Brevinor\[[0-9]+:[0-9]+\] '
e2e_messages() { sed -nE "s/^$E2E_PREFIX//p"; }
# e2e_whole FILE: not empty, every line carries the prefix and the last one is complete.
e2e_whole() { [[ -s $1 && -z $(tail -c1 "$1") ]] && ! grep -qvE "^$E2E_PREFIX" "$1"; }

# The desktop table's row: header and row gather each column's outcome. e2e_cell COLUMN [GOOD BAD]:
# the last check's; e2e_skipped COLUMN WHY: a check the desktop makes pointless.
e2e_cell() { header+=" $1 |" row+=" $( ((E2E_OK)) && echo "${2:-yes}" || echo "**${3:-no}**") |"; }
e2e_skipped() { header+=" $1 |" row+=" $2 |" && echo "SKIP: $1: $2"; }
# e2e_normal_messages BIN PID: the messages of a notice shown for Editor by PID, launched from this shell.
e2e_normal_messages() {
  local launcher=${E2E_LAUNCHER_PPID%$'\n'}
  printf '%s\n' 'Log Open:Brevinor' 'Given App Name Optional("Editor")' 'Inside checkIfApplicationRunningPromptEnabled' \
    'checkIfApplicationRunningPromptEnabled : Showing Brevinor' "child process ID $2 : parent process id $launcher" \
    "current and previousParentPid are same -> true :$launcher" \
    "Initially setting default image for appIcon :$(dirname "$(dirname "$1")")/share/brevinor/AppIcon.icns" 'Rebrand Changes not available' \
    'Printing the ballon text Editor update failed. You can now use the application. Patching will be attempted again shortly.' \
    'Showing Notification and Playing Sound' 'Log close:Brevinor'
}
# e2e_desktop_table DIR MANAGER...: the window tests' rows DIR/MANAGER.md as tables, one more where
# the columns change (the Wayland rows'), also saved as DIR/table.md; fails when a row is missing.
e2e_desktop_table() {
  local m h last=
  for m in "${@:2}"; do
    h=$(head -n1 "$1/$m.md" 2>/dev/null) || h=$last
    [[ $h == "$last" ]] || { [[ -z $last ]] || echo && sed -E 'p; s/[^|]+/---/g' <<<"$h" && last=$h; }
    tail -n1 "$1/$m.md" 2>/dev/null || echo "| $m | no result |"
  done >"$1/table.md"
  cat "$1/table.md" && ! grep -q '| no result |' "$1/table.md"
}
