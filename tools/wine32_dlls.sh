#!/bin/sh
# Puts Wine's 32-bit Windows DLLs, with which wine64 runs the 32-bit program in
# its WoW64 mode, into build/wine32/i386-windows: the DLLs of the package
# libwine:i386 of exactly the installed wine64's version, fetched by apt from
# the same suite with a private, i386-only state of its own and checked
# against the signed index as for any install. The machine's architectures
# and package database are left as they are. Does nothing, and needs no
# network, when they are there already (here or installed system-wide) or
# when wine64 is not installed.
set -eu
cd "$(dirname "$0")/.."
cache=$PWD/build/wine32
version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || exit 0
[ ! -f /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] || exit 0
if [ -f "$cache/i386-windows/kernel32.dll" ] &&
  [ "$(cat "$cache/version" 2>/dev/null)" = "$version" ]; then
  exit 0
fi

# The suite the installed wine64 came from, as apt-cache policy lists it:
#  *** 8.0~repack-4 500
#         500 http://deb.debian.org/debian bookworm/main amd64 Packages
origin=$(apt-cache policy wine64 |
  awk '/^ \*\*\* / { found = 1; next } found && $2 ~ /:\/\// { print $2, $3; exit }')
[ -n "$origin" ] || {
  echo "wine32_dlls.sh: no suite of Debian's offers wine64 $version" >&2
  exit 1
}
uri=${origin% *}
suite=${origin#* }
echo "Fetching Wine's 32-bit DLLs (libwine:i386 $version from $uri ${suite%/*})"

state=$cache/apt
rm -rf "$cache"
mkdir -p "$state/lists/partial" "$state/archives/partial" "$state/parts"
: >"$state/status"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
signed=""
[ ! -f "$keyring" ] || signed=" signed-by=$keyring"
echo "deb [arch=i386$signed] $uri ${suite%/*} ${suite#*/}" >"$state/sources.list"
apt_private() {
  apt-get -q -o Dir::State="$state" -o Dir::State::Lists="$state/lists" \
    -o Dir::State::status="$state/status" -o Dir::Cache="$state" \
    -o Dir::Cache::archives="$state/archives" \
    -o Dir::Etc::SourceList="$state/sources.list" \
    -o Dir::Etc::SourceParts="$state/parts" \
    -o APT::Architecture=i386 -o APT::Architectures=i386 \
    -o APT::Sandbox::User="$(id -un)" "$@"
}
fail() {
  echo "wine32_dlls.sh: could not fetch libwine:i386 $version from the index" \
    "of $uri ${suite%/*} ${suite#*/} i386: $1" >&2
  exit 1
}
apt_private update >"$state/log" 2>&1 ||
  fail "$(grep -m1 '^E: ' "$state/log" || tail -n1 "$state/log")"
(cd "$state/archives" && apt_private download "libwine:i386=$version") \
  >>"$state/log" 2>&1 ||
  fail "$(grep -m1 '^E: ' "$state/log" || tail -n1 "$state/log")"
dpkg-deb -x "$state"/archives/libwine_*_i386.deb "$state/unpacked"
mv "$state/unpacked/usr/lib/i386-linux-gnu/wine/i386-windows" "$cache/"
rm -rf "$state"
echo "$version" >"$cache/version"
echo "Wine's 32-bit DLLs are in $cache/i386-windows"
