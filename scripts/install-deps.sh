#!/usr/bin/env bash
# Installs, from Debian's packages, what building, testing and showing the notice needs, on
# Debian 12 or 13. Usage: scripts/install-deps.sh [GROUP...]   (default: every group)
#   package  what builds the program and its Debian package and checks it (lintian, hardening)
#   fuzz     clang with libFuzzer and its sanitizer runtimes, and the seeds' plistutil
#   tests    the rest: the tests' displays, window managers, sound and buses, the demo, and
#            mmdebstrap for the per-release packages (scripts/build-packages.sh)
#   try      only what the installed package's test needs beside the package (a display, a
#            window manager, a session bus, X tools, man): its chroot has nothing else
set -euo pipefail
groups=(package fuzz tests)
(($# == 0)) || groups=("$@")

package=(
  build-essential cmake ninja-build pkg-config
  libgtk-3-dev libcanberra-dev libplist-dev
  libgtk-layer-shell-dev libwayland-dev  # the card as a layer surface on Wayland compositors that offer one
  plasma-wayland-protocols  # KWin's blur behind the card on Wayland (its protocol, made into code at build time)
  scdoc man-db groff-base dpkg-dev  # the manual page, its check (man -l), the package's dpkg-shlibdeps
  lintian devscripts  # the package's checks: lintian, and hardening-check from devscripts
)
# The sanitizer and libFuzzer runtimes are versioned like the release's default clang
# (14 on Debian 12, 19 on Debian 13): ask apt which clang that is.
fuzz=(cmake ninja-build pkg-config libplist-dev clang libplist-utils)
try=(xvfb xauth openbox xdotool x11-utils dbus-daemon man-db)
tests=(
  clang-format libgtest-dev libgmock-dev
  # run: image loaders (ICNS is among the extra ones), sound through PulseAudio
  libgdk-pixbuf-2.0-0 libcanberra-pulse
  procps  # ps for the launching-process check; pgrep for the tests' own users
  # the desktop's light or dark preference (its settings schema; dconf reads the stored value)
  gsettings-desktop-schemas dconf-gsettings-backend
  # end-to-end tests and the demo: a virtual display, a window manager, X tools, sound capture
  xvfb xauth openbox xdotool x11-utils imagemagick sox libsox-fmt-all pulseaudio pulseaudio-utils
  # session buses: a user's, for the notice started by root into a user's session, and one of the
  # test's own with a notification service; dunstctl reads its history through busctl (systemd,
  # which dunst depends on), as JSON
  dbus-daemon dbus-bin dunst systemd jq
  # the desktop table: the window test under other window managers (marco aborts without the MATE
  # settings schemas), mutter as a Wayland compositor with XWayland, a pager's move (wmctrl), a
  # taskbar's requests (python3's ctypes with libX11) and the keys a window gets (xev, x11-utils);
  # openbox under two compositors that draw shadows, one reading frame extents and one not
  xfwm4 metacity marco mate-settings-daemon-common mutter kwin-x11 fluxbox icewm i3-wm xwayland
  wmctrl dbus python3 picom xcompmgr
  # the same on Wayland compositors with layer surfaces: sway with its screenshots (grim) and typing
  # (wtype), kwin, and native windows of the tests' own (python3-gi with GTK's introspection data)
  sway grim wtype kwin-wayland python3-gi gir1.2-gtk-3.0
  # hostile-input tests: chattr makes files and folders nobody may change, not even root
  e2fsprogs
  # making the resources
  librsvg2-bin icnsutils
  mmdebstrap  # a clean chroot of each release for its package
)

export DEBIAN_FRONTEND=noninteractive
clang_version() { apt-cache depends clang 2>/dev/null | sed -nE 's/^ *Depends: clang-([0-9]+)$/\1/p' | head -n1; }
wanted=()
for group in "${groups[@]}"; do
  case $group in
    package) wanted+=("${package[@]}") ;;
    fuzz)
      [[ -n $(clang_version) ]] || apt-get update -qq
      wanted+=("${fuzz[@]}" "libclang-rt-$(clang_version)-dev") ;;
    tests) wanted+=("${tests[@]}") ;;
    try) wanted+=("${try[@]}") ;;
    *) echo "unknown group $group (package, fuzz, tests, try)" >&2 && exit 2 ;;
  esac
done
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
