#!/usr/bin/env bash
# Runs every test from a fresh checkout: installs what is needed, builds, runs the unit and
# end-to-end tests side by side, then builds the Debian package, checks it (lintian, hardening),
# installs it and runs the installed program once. Usage (as root on Debian 12): scripts/test.sh
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
# The Debian package as a user gets it: apt resolves its Depends from Debian's archive, and
# --reinstall replaces a copy left by an earlier run. Then one notice from the installed program.
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package"
debs=("$(realpath "$build")"/package/brevinor_*.deb)
bash "$repo/scripts/check-package.sh" "${debs[0]}"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "${debs[0]}" >"$build/package/apt.log" 2>&1 ||
  { cat "$build/package/apt.log" >&2; exit 1; }
bash "$repo/tests/e2e/installed_test.sh" /usr/bin/brevinor
bash "$repo/scripts/sanitize.sh"
bash "$repo/scripts/fuzz.sh" 60
