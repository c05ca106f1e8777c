#!/bin/sh
# Puts Wine's 32-bit Windows DLLs, with which wine64 runs the 32-bit program in
# its WoW64 mode, into ${XDG_CACHE_HOME:-$HOME/.cache}/fmvframes/wine32-VERSION
# (a clean of build/ leaves them there): the DLLs of the package libwine:i386
# of exactly the installed wine64's version, fetched by apt from the suite
# that offers that version, with a private, i386-only state of its own, and
# checked against the signed index as for any install. The machine's
# architectures and package database are left as they are. Does nothing, and
# needs no network, when they are there already (there or installed
# system-wide) or when wine64 is not installed. One run at a time: a second
# waits for the first and then finds them there.
set -eu
tools=$(cd "$(dirname "$0")" && pwd)
. "$tools/apt_reason.sh"
version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || exit 0
[ ! -f /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] || exit 0
caches=${XDG_CACHE_HOME:-$HOME/.cache}/fmvframes
cache=$caches/wine32-$version
[ ! -f "$cache/i386-windows/kernel32.dll" ] || exit 0
mkdir -p "$caches"
exec 9>"$caches/wine32.lock"
flock 9
[ ! -f "$cache/i386-windows/kernel32.dll" ] || exit 0

fail() {
  echo "wine32_dlls.sh: could not fetch Wine's 32-bit DLLs (libwine:i386 $version): $1" >&2
  exit 1
}
# The suite that offers the installed version, as apt-cache madison lists it:
#     wine64 | 8.0~repack-4 | http://deb.debian.org/debian bookworm/main amd64 Packages
origin=$(apt-cache madison wine64 |
  awk -F ' [|] ' -v version="$version" '$2 == version { print $3; exit }')
[ -n "$origin" ] ||
  fail "wine64 $version is in no package list: run apt-get update, or upgrade wine64"
uri=${origin%% *}
suite=${origin#* }
suite=${suite%% *}
echo "Fetching Wine's 32-bit DLLs (libwine:i386 $version from $uri ${suite%/*})"

# apt's private state lies where the user _apt, as whom apt downloads when
# run as root, can reach it; the DLLs are unpacked beside the cache and moved
# into place whole at the end.
state=$(mktemp -d)
unpacked=$(mktemp -d "$caches/unpacked.XXXXXX")
trap 'rm -rf "$state" "$unpacked"' EXIT
chmod 755 "$state"
mkdir -p "$state/lists/partial" "$state/archives/partial" "$state/parts"
: >"$state/status"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
signed=""
[ ! -f "$keyring" ] || signed=" signed-by=$keyring"
echo "deb [arch=i386$signed] $uri ${suite%/*} ${suite#*/}" >"$state/sources.list"
sandbox=""
if [ "$(id -u)" = 0 ]; then
  chown _apt "$state/archives"
else
  sandbox="-o APT::Sandbox::User=$(id -un)"  # no other user to drop to
fi
apt_private() {
  # shellcheck disable=SC2086 # the option is one word or none
  apt-get -q -o Dir::State="$state" -o Dir::State::Lists="$state/lists" \
    -o Dir::State::status="$state/status" -o Dir::Cache="$state" \
    -o Dir::Cache::archives="$state/archives" \
    -o Dir::Etc::SourceList="$state/sources.list" \
    -o Dir::Etc::SourceParts="$state/parts" \
    -o APT::Architecture=i386 -o APT::Architectures=i386 $sandbox "$@"
}
apt_private update --error-on=any >"$state/log" 2>&1 || fail "$(apt_reason "$state/log")"
(cd "$state/archives" && apt_private download "libwine:i386=$version") \
  >>"$state/log" 2>&1 || fail "$(apt_reason "$state/log")"
dpkg-deb -x "$state"/archives/libwine_*_i386.deb "$unpacked/deb"
mv "$unpacked/deb/usr/lib/i386-linux-gnu/wine/i386-windows" "$unpacked/"
rm -rf "$unpacked/deb" "$caches"/wine32-*  # an earlier version's too
mv "$unpacked" "$cache"
echo "Wine's 32-bit DLLs are in $cache/i386-windows"
