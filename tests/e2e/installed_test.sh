#!/usr/bin/env bash
# An installed program (the Debian package's, or a `cmake --install` tree) shows the notice with
# the module and resources of its own prefix, and its manual page is where man looks.
# Usage: installed_test.sh PATH_TO_INSTALLED_BREVINOR   (e.g. /usr/bin/brevinor)
set -euo pipefail
bin=$(realpath "${1:?usage: installed_test.sh PATH_TO_INSTALLED_BREVINOR}")
prefix=$(dirname "$(dirname "$bin")")
source "$(dirname "$0")/lib.sh"

e2e_setup
e2e_start_x
e2e_start_pulse i
root=$E2E_TMP/root
e2e_launcher_ppid
e2e_agent_install "$root" Editor "$E2E_LAUNCHER_PPID"

started=$SECONDS
e2e_launch "$root" env PULSE_SERVER="$E2E_PULSE_SERVER" "$bin" Editor
pid=$E2E_PID
win=$(e2e_find_window "$pid" 10) || win=
e2e_check "the installed program maps its notice window" test -n "$win"
e2e_wait_exit "$pid" 25
took=$((SECONDS - started))
e2e_check "exit status 0 (got $E2E_STATUS) after about 15 s (${took} s)" \
  test "$E2E_STATUS" = 0 -a "$took" -ge 14 -a "$took" -le 20
e2e_check "the icon comes from $prefix/share/brevinor" grep -qxF \
  "Initially setting default image for appIcon :$prefix/share/brevinor/AppIcon.icns" \
  <<<"$(e2e_messages <"$(e2e_logfile "$root")")"

# The manual page: listed by the package that owns the program, and found by man itself.
if owner=$(dpkg-query -S "$bin" 2>/dev/null); then
  # Without ps the second gate always says no.
  e2e_check "package ${owner%%:*} depends on procps" \
    grep -qE '(^|, )procps($|[ ,])' <<<"$(dpkg-query -W -f='${Depends}' "${owner%%:*}")"
  e2e_check "package ${owner%%:*} lists the manual page" \
    grep -qE "^$prefix/share/man/man1/brevinor\.1(\.gz)?$" <<<"$(dpkg -L "${owner%%:*}")"
fi
[[ $prefix == /usr ]] || export MANPATH=$prefix/share/man
page=$(man -w brevinor 2>/dev/null) || page=
e2e_check "man -w brevinor finds the installed page (${page:-nothing})" \
  grep -qE "^$prefix/share/man/man1/brevinor\.1(\.gz)?$" <<<"$page"

e2e_finish "$root"
