#!/usr/bin/env bash
# Builds the Debian package of each release inside a clean chroot of that release (mmdebstrap from
# Debian's archive), so that its Depends are what that release's dpkg-shlibdeps computes, and checks
# it there with that release's lintian and hardening-check (scripts/check-package.sh).
#   --try            then installs each package in a second clean chroot of its release, with only
#                    what apt installs for it and the test's own tools, and runs
#                    tests/e2e/installed_test.sh there (the notice through a system service, purge)
#   --fuzz SECONDS   also runs scripts/fuzz.sh and bench_record_lookup in the build chroot, with
#                    that release's libplist
# Usage (as root): scripts/build-packages.sh [--try] [--fuzz SECONDS] [bookworm|trixie]...
# (default: both). The packages land in build/packages/; the chroots' tarballs are kept in
# build/chroots/ (delete them to start from Debian's archive again). BREVINOR_BUILD_DIR picks
# another build folder than ./build.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${BREVINOR_BUILD_DIR:-$repo/build}" && cd "${BREVINOR_BUILD_DIR:-$repo/build}" && pwd)
try=0 fuzz=0 releases=()
while (($#)); do
  case $1 in
    --try) try=1 ;;
    --fuzz) fuzz=${2:?--fuzz SECONDS} && shift ;;
    bookworm | trixie) releases+=("$1") ;;
    *) echo "usage: build-packages.sh [--try] [--fuzz SECONDS] [bookworm|trixie]..." >&2 && exit 2 ;;
  esac
  shift
done
((${#releases[@]})) || releases=(bookworm trixie)
command -v mmdebstrap >/dev/null || bash "$repo/scripts/install-deps.sh" tests
cache=$build/chroots
work=$(mktemp -d "$build/chroot-work.XXXXXX")
trap 'rm -rf --one-file-system "$work"' EXIT
mkdir -p "$cache" "$build/packages"

# in_chroot DIR CMD...: CMD as root in DIR with the host's /dev and a /proc and /tmp of its own,
# in mount and process namespaces of its own: whatever way it ends, its mounts and processes end
# with it, and nothing is left mounted under the build folder.
in_chroot() {
  cp /etc/resolv.conf "$1/etc/resolv.conf"
  unshare --mount --propagation private --pid --fork --kill-child -- bash -c '
    mount --rbind /dev "$1/dev" && mount -t proc proc "$1/proc" && mount -t tmpfs tmpfs "$1/tmp" &&
      exec chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "${@:2}"' in_chroot "$@"
}
# chroot_from RELEASE NAME DIR [GROUP...]: DIR made from the release's cached tarball NAME, which is
# made first when missing: mmdebstrap's base (the release with its updates and security fixes),
# then these groups of scripts/install-deps.sh on it. Its apt lists are always fresh.
chroot_from() {
  # A change of the install script makes a new tarball.
  local release=$1 tar=$cache/$1-$2-$(sha1sum <"$repo/scripts/install-deps.sh" | cut -c1-8).tar dir=$3
  if [[ ! -s $cache/$release-base.tar ]]; then
    echo "== $release: a base chroot from Debian's archive"
    mmdebstrap --quiet --variant=apt --format=tar "$release" "$cache/$release-base.tar.new" \
      "deb http://deb.debian.org/debian $release main" "deb http://deb.debian.org/debian $release-updates main" \
      "deb http://deb.debian.org/debian-security $release-security main"
    mv "$cache/$release-base.tar.new" "$cache/$release-base.tar"
  fi
  mkdir -p "$dir"
  local from=$tar && [[ -s $tar ]] || from=$cache/$release-base.tar
  tar -C "$dir" --numeric-owner -xf "$from"
  in_chroot "$dir" apt-get update -qq
  if [[ ! -s $tar ]]; then
    echo "== $release: the chroot's packages ($2)"
    cp "$repo/scripts/install-deps.sh" "$dir/tmp-install-deps.sh"
    in_chroot "$dir" bash /tmp-install-deps.sh "${@:4}" >"$work/$release-$2-apt.log" 2>&1 ||
      { tail -n 40 "$work/$release-$2-apt.log" >&2 && return 1; }
    rm "$dir/tmp-install-deps.sh" && in_chroot "$dir" apt-get clean
    tar -C "$dir" --numeric-owner -cf "$tar.new" . && mv "$tar.new" "$tar"
  fi
}

for release in "${releases[@]}"; do
  start=$SECONDS
  groups=(package) && ((fuzz == 0)) || groups+=(fuzz)
  dir=$work/$release-build
  chroot_from "$release" "$(IFS=-; echo "${groups[*]}")" "$dir" "${groups[@]}"
  echo "== $release: building and checking the package"
  mkdir "$dir/src" && tar -C "$repo" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | tar -C "$dir/src" -xf -
  in_chroot "$dir" bash -euo pipefail -c 'cmake -S /src -B /build -G Ninja -DBREVINOR_TESTS=OFF >/dev/null
    cmake --build /build -j"$(nproc)" >/build.log 2>&1 || { tail -n 40 /build.log; exit 1; }
    cpack --config /build/CPackConfig.cmake -B /build/package >/dev/null
    bash /src/scripts/check-package.sh /build/package/brevinor_*.deb'
  rm -rf "$build/packages/$release" && mkdir -p "$build/packages/$release"
  cp "$dir"/build/package/brevinor_*.deb "$build/packages/$release/"
  echo "== $release: $(cd "$build/packages/$release" && ls) in $((SECONDS - start)) s"
  if ((fuzz)); then
    echo "== $release: fuzzing and the record benchmark with libplist $(in_chroot "$dir" pkg-config --modversion libplist-2.0)"
    # The chroot goes; what the fuzzers found is kept in the build folder.
    in_chroot "$dir" bash -euo pipefail -c "BREVINOR_FUZZ_BUILD_DIR=/build-fuzz bash /src/scripts/fuzz.sh $fuzz
      cmake -S /src -B /build -DBREVINOR_BENCH=ON >/dev/null
      cmake --build /build --target bench_record_lookup >/dev/null && /build/bin/bench_record_lookup" ||
      { cp -r "$dir/build-fuzz/crashes" "$build/fuzz-crashes-$release" 2>/dev/null; exit 1; }
  fi
  rm -rf --one-file-system "$dir"
  if ((try)); then
    start=$SECONDS
    dir=$work/$release-try
    # The test's own display, window manager and X tools; everything else comes with the package.
    chroot_from "$release" try "$dir" try
    mkdir "$dir/try" && cp "$build/packages/$release"/*.deb "$repo"/tests/e2e/{lib.sh,installed_test.sh} "$dir/try/"
    echo "== $release: the package installed, run through a system service and purged"
    in_chroot "$dir" bash -c 'bash /try/installed_test.sh /try/*.deb'
    echo "== $release: tried in $((SECONDS - start)) s"
    rm -rf --one-file-system "$dir"
  fi
done
