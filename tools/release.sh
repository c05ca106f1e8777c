#!/bin/sh
# Builds every release file into build/release, from nothing: the two
# archives and the page, and nothing else, so that a player can't take a
# program without its text. Then lists exactly those files in SHA256SUMS, so
# that it never names a file of another build.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh release
rm -rf build/release
cmake --workflow --preset windows-i686
cmake --workflow --preset linux-x86_64
cd build/release
rm -rf _CPack_Packages
version=$(sed -n 's/^project(fmvframes .*VERSION \([0-9.]*\)).*/\1/p' ../../CMakeLists.txt)
held=$(LC_ALL=C ls | tr '\n' ' ')
wanted="fmvframes-$version-linux-x86_64.tar.gz fmvframes-$version-win32.zip fmvframes.html "
[ "$held" = "$wanted" ] || {
  echo "release.sh: build/release holds $held, not $wanted" >&2
  exit 1
}
# shellcheck disable=SC2086 # one word a file; the names are ours
sha256sum $held >SHA256SUMS
cat SHA256SUMS
