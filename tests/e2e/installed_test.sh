#!/usr/bin/env bash
# An installed program (the Debian package's, or a `cmake --install` tree) shows the notice with the
# module and resources of its own prefix for its 15 s, its package depends on procps (without ps the
# second gate always says no), and its manual page is where man looks.
# Usage: installed_test.sh PATH_TO_INSTALLED_BREVINOR   (e.g. /usr/bin/brevinor)
set -euo pipefail
bin=$(realpath "${1:?usage: installed_test.sh PATH_TO_INSTALLED_BREVINOR}")
prefix=$(dirname "$(dirname "$bin")")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_start_x
e2e_launcher_ppid
e2e_agent_install "$E2E_TMP" Editor "$E2E_LAUNCHER_PPID"
started=$SECONDS
e2e_launch "$E2E_TMP" env PULSE_SERVER=unix:$E2E_TMP/no-sound "$bin" Editor
e2e_check "the installed program maps its notice window" eval 'e2e_find_window "$E2E_PID" 10 >/dev/null'
e2e_wait_exit "$E2E_PID" 25
e2e_check "exit status 0 (got $E2E_STATUS) after about 15 s ($((SECONDS - started)) s)" test "$E2E_STATUS" = 0 -a $((SECONDS - started)) -ge 14
e2e_check "the icon comes from $prefix/share/brevinor" \
  grep -qxF "Initially setting default image for appIcon :$prefix/share/brevinor/AppIcon.icns" <(e2e_run_log "$E2E_TMP" | e2e_messages)
if owner=$(dpkg-query -S "$bin" 2>/dev/null); then
  e2e_check "package ${owner%%:*} depends on procps and lists the manual page" eval \
    '[[ $(dpkg-query -W -f="\${Depends}" "${owner%%:*}") =~ (^|, )procps($|[ ,]) ]] && dpkg -L "${owner%%:*}" | grep -qE "^$prefix/share/man/man1/brevinor\.1(\.gz)?$"'
fi
[[ $prefix == /usr ]] || export MANPATH=$prefix/share/man
e2e_check "man -w brevinor finds the installed page" eval 'man -w brevinor 2>/dev/null | grep -qE "^$prefix/share/man/man1/brevinor\.1(\.gz)?$"'
e2e_finish "$E2E_TMP"
