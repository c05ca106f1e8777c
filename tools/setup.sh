#!/bin/sh
# Installs from Debian's packages what this machine lacks for building the
# console tool (build), for running every test (test), for the release files
# with the page (release) or for the benchmark (bench). These lists are the
# one place the packages are named.
# usage: setup.sh build|test|release|bench
set -eu
build="cmake make g++ musl-tools musl-dev"
web="clang lld-14"
test="$build $web libgtest-dev util-linux bsdutils
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64
  libwine:i386 libclang-rt-14-dev clang-tidy cppcheck
  chromium chromium-driver python3-selenium"
release="$build $web g++-mingw-w64-i686 zip"
bench="$build hyperfine"
case ${1:-} in
build) wanted=$build ;;
test) wanted=$test ;;  # libwine:i386: Wine's 32-bit DLLs, for the i686 program
release) wanted=$release ;;
bench) wanted=$bench ;;
*) echo "usage: setup.sh build|test|release|bench" >&2; exit 2 ;;
esac

missing=""
for package in $wanted; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    missing="$missing $package"
done
[ -n "$missing" ] || exit 0

if [ "$(id -u)" = 0 ]; then
  as_root=""
elif command -v sudo >/dev/null 2>&1; then
  as_root=sudo
else
  echo "Needs Debian's packages:$missing. As root: apt-get install$missing" >&2
  exit 1
fi
echo "Installing Debian's packages:$missing"
case $missing in
*:i386*)
  dpkg --print-foreign-architectures | grep -qx i386 ||
    $as_root dpkg --add-architecture i386
  ;;
esac
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update
# shellcheck disable=SC2086 # one word a package
$as_root env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y --no-install-recommends $missing
