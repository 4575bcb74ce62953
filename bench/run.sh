#!/usr/bin/env bash
# The benchmark: builds what it needs and prints one table. Every figure is a median over RUNS
# runs (default 20) with min and max; compared commands run in turn in the same session.
# Usage (as root on Debian 12): bench/run.sh [RUNS]
set -euo pipefail
runs=${1:-20}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$repo/build-bench

bash "$repo/scripts/install-deps.sh"
# The peers the notice is measured against.
dpkg-query -W yad zenity >/dev/null 2>&1 ||
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends yad zenity; }
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVINOR_BENCH=ON >/dev/null
cmake --build "$build" >/dev/null
bin=$build/bin

source "$repo/tests/e2e/lib.sh"
e2e_setup
agent() { echo "$E2E_TMP/$1/Library/Orrinwell/Tarnis_Agent"; }
# Turned away at the enablement gate, and at the launching-process gate (another launcher).
e2e_agent_install "$E2E_TMP/off" Editor "  1"$'\n'
sed -i 's|<true/>|<false/>|' "$(agent off)/data/ztpatch_data.plist"
e2e_agent_install "$E2E_TMP/other" Editor "  1"$'\n'
# Shown: the timing tool writes the launcher record naming itself.
e2e_agent_install "$E2E_TMP/shown" Editor "  1"$'\n'
settings=$(agent other)/data/ztpatch_data.plist
text="Editor update failed. You can now use the application. Patching will be attempted again shortly."

echo "== Turned away (process start to end; $(nproc) cores)"
"$bin/bench_interleave" "$runs" \
  "floor: read one plist=exec $bin/bench_floor $settings" \
  "brevinor, setting off=BREVINOR_ROOT=$E2E_TMP/off exec $bin/brevinor Editor"
"$bin/bench_interleave" "$runs" \
  "floor + ps=$bin/bench_floor $settings; exec /bin/sh -c '/bin/ps -o ppid= \$\$'" \
  "brevinor, other launcher=BREVINOR_ROOT=$E2E_TMP/other exec $bin/brevinor Editor"

echo "== Start to window mapped, and peak memory while shown (Xvfb + openbox)"
e2e_start_x
BENCH_RECORD=$(agent shown)/data/ApplicationRunningPromptData.plist BENCH_RECORD_NAME=Editor \
  "$bin/bench_time_to_window" "$runs" \
  "brevinor=env BREVINOR_ROOT=$E2E_TMP/shown $bin/brevinor Editor" \
  "yad=yad --text '$text' --undecorated --on-top --sticky --skip-taskbar" \
  "zenity=zenity --info --text '$text' --timeout 15"

echo "== The launching-process check's record, read and looked up (no ps)"
"$bin/bench_record_lookup"
