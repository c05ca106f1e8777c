#!/bin/sh
# Puts Wine's 32-bit Windows DLLs, with which wine64 runs the 32-bit program in
# its WoW64 mode, into ${XDG_CACHE_HOME:-$HOME/.cache}/fmvframes/wine32-VERSION
# (a clean of build/ leaves them there): of the package libwine:i386 of
# exactly the installed wine64's version, fetched by apt from the suite that
# offers that version, with a private, i386-only state of its own, and
# checked against the signed index as for any install, only the files that
# the tests load (tools/wine32_dlls.txt), without their debug sections. The
# machine's architectures and package database are left as they are. Does
# nothing, and needs no network, when they are there already (there or
# installed system-wide) or when wine64 is not installed. One run at a time:
# a second waits for the first and then finds them there. Ctrl+C, a TERM or
# a closed terminal (HUP) ends it at once.
set -eu
tools=$(cd "$(dirname "$0")" && pwd)
. "$tools/apt_reason.sh"
. "$tools/apt_private.sh"
version=$(wine64_version) || exit 0
[ ! -f /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] || exit 0
caches=${XDG_CACHE_HOME:-$HOME/.cache}/fmvframes
cache=$caches/wine32-$version
[ ! -f "$cache/i386-windows/kernel32.dll" ] || exit 0
lock wine32
[ ! -f "$cache/i386-windows/kernel32.dll" ] || exit 0

fail() {
  echo "wine32_dlls.sh: could not fetch Wine's 32-bit DLLs (libwine:i386 $version): $1" >&2
  exit 1
}
wine64_origin "$version"
echo "Fetching Wine's 32-bit DLLs (libwine:i386 $version from $uri ${suite%/*})"

# The DLLs are unpacked beside the cache and moved into place whole at the
# end.
scratch wine32
apt_state "$state" i386
echo "deb [arch=i386$signed] $uri ${suite%/*} ${suite#*/}" >"$state/sources.list"
apt_private update --error-on=any >"$state/log" 2>&1 ||
  fail "$(apt_reason "$state/log")"
cd "$state/archives"  # where apt-get download puts the package
apt_private download "libwine:i386=$version" >>"$state/log" 2>&1 ||
  fail "$(apt_reason "$state/log")"
set -- "$state"/archives/*.deb
[ -f "$1" ] || fail "apt reported the download done, but left no package"
[ $# = 1 ] || fail "apt left $# packages where one was asked for"
step dpkg-deb -x "$1" "$unpacked/deb"
# Only what the tests load, without debug sections (a third of the size):
# checked to be whole Windows DLLs still. A file the list names that the
# package lacks fails the fetch, naming it.
mkdir "$unpacked/i386-windows"
from=$unpacked/deb/usr/lib/i386-linux-gnu/wine/i386-windows
grep -v -e '^#' -e '^$' "$tools/wine32_dlls.txt" | while read -r dll; do
  [ -f "$from/$dll" ] || fail "libwine:i386 $version has no $dll"
  i686-w64-mingw32-strip --strip-debug -o "$unpacked/i386-windows/$dll" "$from/$dll"
  i686-w64-mingw32-objdump -p "$unpacked/i386-windows/$dll" | grep -q '^Magic.*010b' ||
    fail "$dll is not a 32-bit Windows DLL once stripped"
done
rm -rf "$unpacked/deb" "$caches"/wine32-*  # an earlier version's too
mv "$unpacked" "$cache"
echo "Wine's 32-bit DLLs are in $cache/i386-windows"
