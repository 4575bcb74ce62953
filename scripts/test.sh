#!/usr/bin/env bash
# Runs every test from a fresh checkout: installs what is needed, builds, runs the unit and
# end-to-end tests side by side, then builds the Debian package of Debian 12 and 13 each in a
# chroot of its release, checks it (lintian, hardening), installs it in another and runs the
# installed program there. Usage (as root on Debian 12): scripts/test.sh
# BREVINOR_BUILD_DIR picks another build folder than ./build.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVINOR_BUILD_DIR:-$repo/build}

bash "$repo/scripts/install-deps.sh"
cmake -S "$repo" -B "$build" -G Ninja
cmake --build "$build"
# The end-to-end runs mostly wait out the notice's 15 seconds, so more of them than cores fit.
ctest --test-dir "$build" --output-on-failure --parallel 6
# What holds on each desktop, as the window tests found it under each window manager.
cat "$build/tests/e2e/desktops/table.md"
# The Debian package of each release, built and checked in a clean chroot of that release, then
# installed by apt in another, run as a system service would run it, and purged.
bash "$repo/scripts/build-packages.sh" --try bookworm trixie
bash "$repo/scripts/sanitize.sh"
bash "$repo/scripts/fuzz.sh" 60
