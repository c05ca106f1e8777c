#!/bin/sh
# Builds every release file into build/release, from nothing, and then lists
# exactly those files in SHA256SUMS, so that it never names a file of another
# build.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh release
rm -rf build/release
cmake --workflow --preset windows-i686
cmake --workflow --preset linux-x86_64
cd build/release
rm -rf _CPack_Packages
# shellcheck disable=SC2035 # the names are ours, none starts with "-"
sha256sum $(ls | grep -vx SHA256SUMS) >SHA256SUMS
cat SHA256SUMS
