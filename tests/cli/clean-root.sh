#!/usr/bin/env bash
# Installs the .deb into a bare Debian 12 as a user would, uses what it ships, purges it and checks that nothing
# of it stays. Arguments: the build dir and a scratch folder. The bare system is cached, once per machine.
set -uo pipefail
build=$1 work=$2 root=$2/root tarball=/var/cache/quadecho/bookworm-minbase.tar
PATH=$PATH:/usr/sbin:/sbin
[ "$(id -u)" -eq 0 ] || { echo "SKIP: a chroot needs root"; exit 0; }
for t in debootstrap unshare chroot findmnt; do command -v $t >/dev/null || { echo "SKIP: no $t"; exit 0; }; done
fail() { echo "FAIL: $1"; shift; printf '%s\n' "$@"; exit 1; }
# Each command has mount and process namespaces of its own: its mounts, and what it leaves running, end with it.
in_root() {
  unshare --mount --pid --fork --mount-proc="$root/proc" chroot "$root" /usr/bin/env -i HOME=/root \
    PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"
}
# step NAME PATTERN COMMAND...: fails naming the step unless it succeeds and prints PATTERN.
step() {
  local name=$1 pattern=$2; shift 2
  out=$(in_root "$@" 2>&1) || fail "$name exited with $?:" "$out"
  grep -q -- "$pattern" <<<"$out" || fail "$name printed no '$pattern':" "$out"
}
remove_root() { ! findmnt -rno TARGET | grep -q "^$root\(/\|$\)" || fail "something is mounted in $root: kept"
  rm -rf "$root"; }
remove_root; rm -rf "$work/pkg"; mkdir -p "$work" "${tarball%/*}"
cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/log" 2>&1 || fail "cpack:" "$(tail -n 20 "$work/log")"
deb=$(echo "$work"/pkg/quadecho_*.deb) version=$(dpkg-deb -f "$deb" Version)
if [ -f "$tarball" ]; then
  mkdir "$root" && tar -C "$root" -xf "$tarball" || fail "unpacking $tarball"
else
  mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1)
  [ -n "$mirror" ] || mirror=$(sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\).*/\2/p' /etc/apt/sources.list | head -n1)
  unshare --mount debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/log" 2>&1 ||
    fail "debootstrap from '$mirror':" "$(tail -n 20 "$work/log")"
  tar -C "$root" -cf "$tarball.$$" . && mv "$tarball.$$" "$tarball" || fail "caching the root in $tarball"
fi
cp /etc/resolv.conf "$root/etc/" && cp "$deb" "$root/tmp/" || fail "copying the package into the root"
step "apt-get update" "" apt-get update
! grep -q '^[WE]:' <<<"$out" || fail "apt-get update could not read the archive:" "$out"
# The package alone first: what the tool needs must come from its own dependencies.
step "apt-get install" "" apt-get install -y "/tmp/${deb##*/}"
step "quadecho --version" "^quadecho $version$" quadecho --version
step "quadecho info" "^Module: *\/usr\/lib\/vst\/quadecho.so$" quadecho info
step "quadecho render (the demo)" "" sh -c 'quadecho render /tmp/demo.wav && test -s /tmp/demo.wav'
step "apt-get install man-db lilv-utils" "" apt-get install -y man-db lilv-utils
step "man" "quadecho" man -l /usr/share/man/man1/quadecho.1.gz
step "lv2ls" "^urn:velmorn-quaddle:quadecho$" lv2ls
step "quadecho info --plugin (CLAP)" "com\.velmorn-quaddle\.quadecho" quadecho info --plugin /usr/lib/clap/quadecho.clap
step "dpkg -L" "^/usr/bin/quadecho$" dpkg -L quadecho && listed=$out
step "apt-get purge" "" apt-get purge -y quadecho
# What purging leaves is a fault unless it is a folder another package owns.
left=$(while read -r path; do
  [ "$path" != /. ] && [ -e "$root$path" ] || [ -L "$root$path" ] || continue
  [ -d "$root$path" ] && dpkg-query --admindir="$root/var/lib/dpkg" -S "$path" >/dev/null 2>&1 && continue
  echo "$path"
done <<<"$listed")
[ -z "$left" ] || fail "apt-get purge left:" "$left"
remove_root
echo "the package installed, ran and purged cleanly in a bare Debian 12"
