#!/bin/sh
# Installs from Debian's packages what this machine lacks for building the
# console tool (build), for running every test (test), for the release files
# with the page (release) or for the benchmark (bench). These lists are the
# one place the packages are named. For the tests it also fetches Wine's
# 32-bit DLLs into the project's cache (tools/wine32_dlls.sh), and where the
# kernel runs no 32-bit code the emulated 32-bit Wine
# (tools/wine32_emulation.sh), leaving the machine's architectures as they
# are.
# usage: setup.sh build|test|release|bench
set -eu
cd "$(dirname "$0")/.."
. tools/apt_reason.sh
build="cmake make g++ musl-tools musl-dev"
web="clang lld-14 esbuild binaryen"
# One mingw-w64 flavour: the programs use no threads, so win32 will do.
test="$build $web libgtest-dev util-linux bsdutils
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine64
  libclang-rt-14-dev clang-tidy cppcheck
  chromium chromium-driver python3-selenium nodejs"
release="$build $web g++-mingw-w64-i686-win32 zip"
bench="$build hyperfine"
case ${1:-} in
build) wanted=$build ;;
test) wanted=$test ;;
release) wanted=$release ;;
bench) wanted=$bench ;;
*) echo "usage: setup.sh build|test|release|bench" >&2; exit 2 ;;
esac

missing=""
for package in $wanted; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
    missing="$missing $package"
done

if [ -n "$missing" ]; then
  if [ "$(id -u)" = 0 ]; then
    as_root=""
  elif command -v sudo >/dev/null 2>&1; then
    as_root=sudo
  else
    echo "Needs Debian's packages:$missing. As root: apt-get install$missing" >&2
    exit 1
  fi
  echo "Installing Debian's packages:$missing"
  apt="$as_root env DEBIAN_FRONTEND=noninteractive apt-get"
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  # A mirror in the middle of a sync fails an index for a while: try again,
  # and if it still fails, the install may well not need that index. Without
  # --error-on=any, apt-get update only warns of an index it could not fetch.
  for try in 1 2 3; do
    if $apt update --error-on=any >"$log" 2>&1; then
      failed=""
      break
    fi
    failed=$(apt_reason "$log")
    [ "$try" = 3 ] || sleep 10
  done
  cat "$log"
  # The packages it downloads are not kept once installed (0.6 GB for the
  # tests'); what apt had cached before stays.
  # shellcheck disable=SC2086 # one word a package
  if ! $apt install -y --no-install-recommends -o APT::Keep-Downloaded-Packages=false $missing; then
    echo "setup.sh: could not install$missing${failed:+; apt-get update had failed: $failed}" >&2
    exit 1
  fi
fi
# Without them only the wow64.* cases are skipped (and under CI the configure
# stops, saying so): the other tests still run. wine32_dlls.sh says why.
# Where the kernel runs no 32-bit code, the 32-bit program runs under
# emulation instead; without it the qemu32.* cases are skipped, saying why.
if [ "$1" = test ]; then
  sh tools/wine32_dlls.sh || true
  sh tools/wine32_emulation.sh || true
fi
