#!/usr/bin/env bash
# Runs every test from a fresh checkout: installs what is needed, builds, runs the unit and
# end-to-end tests side by side. Usage (as root on Debian 12): scripts/test.sh
# BREVINOR_BUILD_DIR picks another build folder than ./build.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVINOR_BUILD_DIR:-$repo/build}

bash "$repo/scripts/install-deps.sh"
cmake -S "$repo" -B "$build" -G Ninja
cmake --build "$build"
# The end-to-end runs mostly wait out the notice's 15 seconds, so more of them than cores fit.
ctest --test-dir "$build" --output-on-failure --parallel 6
bash "$repo/scripts/sanitize.sh"
bash "$repo/scripts/fuzz.sh" 60
