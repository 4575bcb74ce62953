#!/usr/bin/env bash
# Installs, from Debian's packages, everything that building, testing and showing the notice needs.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config clang-format
  libgtk-3-dev libcanberra-dev libplist-dev libgtest-dev libgmock-dev
  # run: image loaders (ICNS is among the extra ones), sound through PulseAudio
  libgdk-pixbuf-2.0-0 libcanberra0 libcanberra-pulse
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
  # taskbar's requests (python3's ctypes with libX11) and the keys a window gets (xev, x11-utils)
  xfwm4 metacity marco mate-settings-daemon-common mutter kwin-x11 fluxbox icewm i3-wm xwayland
  wmctrl dbus python3
  # hostile-input tests: chattr makes files and folders nobody may change, not even root
  e2fsprogs
  # making the resources
  librsvg2-bin icnsutils
  scdoc man-db groff-base dpkg-dev  # the manual page, its check (man -l), the package's dpkg-shlibdeps
  lintian devscripts  # the package's checks: lintian, and hardening-check from devscripts
  # fuzzing (clang with libFuzzer and its sanitizer runtimes) and its binary seed property lists
  clang libclang-rt-14-dev libplist-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
