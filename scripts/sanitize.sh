#!/usr/bin/env bash
# Builds the whole program with AddressSanitizer and UBSan (any report ends the process), runs
# the unit tests and the window's widget tests under it with leak detection, and the end-to-end
# window test once against the sanitized program with its GTK module. Sanitizer reports go to
# files of their own and fail the script, so none can hide in a test's log.
# Usage (as root on Debian 12): scripts/sanitize.sh
# BREVINOR_ASAN_BUILD_DIR picks another build folder than ./build-asan.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVINOR_ASAN_BUILD_DIR:-$repo/build-asan}
sanitizers="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
# Under the sanitizers GCC 12 wrongly finds std::function inside libstdc++'s <regex> "maybe
# uninitialized"; -Werror would stop the build on that alone.
warnings="-Wno-maybe-uninitialized"

bash "$repo/scripts/install-deps.sh"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$sanitizers $warnings" -DCMAKE_C_FLAGS="$sanitizers" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
# Only what is run here; the program's target brings its window module.
cmake --build "$build" -j2 --target brevinor brevinor_unit_tests brevinor_window_tests

reports=$(mktemp -d "${TMPDIR:-/tmp}/brevinor-sanitize.XXXXXX")
trap 'rm -rf "$reports"' EXIT
export UBSAN_OPTIONS="print_stacktrace=1:log_path=$reports/ubsan"
failed=()
check_reports() { # NAME: fails NAME when any sanitizer wrote a report
  if compgen -G "$reports/*san.*" >/dev/null; then
    failed+=("$1")
    echo "--- sanitizer reports of $1:"
    cat "$reports/"*san.*
    rm -f "$reports/"*san.*
  fi
}

ASAN_OPTIONS="detect_leaks=1:log_path=$reports/asan" \
  BREVINOR_ROOT="$build/no-agent-install" "$build/bin/brevinor_unit_tests" --gtest_brief=1 || failed+=(unit)
check_reports unit

# Leak detection stays on for the window too, except for what fontconfig allocates: measuring the
# text fills pango's font map with fontconfig patterns that live as long as the process and are
# never freed (a few hundred blocks, every one allocated inside fontconfig). Nothing else leaks.
printf 'leak:libfontconfig.so\n' >"$reports/window.supp"
ASAN_OPTIONS="detect_leaks=1:log_path=$reports/asan" \
  LSAN_OPTIONS="suppressions=$reports/window.supp:print_suppressions=0" \
  NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory xvfb-run -a "$build/bin/brevinor_window_tests" --gtest_brief=1 ||
  failed+=(window)
check_reports window
ASAN_OPTIONS="detect_leaks=1:log_path=$reports/asan" \
  LSAN_OPTIONS="suppressions=$reports/window.supp:print_suppressions=0" \
  bash "$repo/tests/e2e/window_test.sh" "$build/bin/brevinor" || failed+=(e2e.window)
check_reports e2e.window

if ((${#failed[@]})); then
  echo "sanitized runs failed: ${failed[*]}"
  exit 1
fi
echo "sanitized runs passed: unit tests, window widget tests and e2e window test, leak detection on"
