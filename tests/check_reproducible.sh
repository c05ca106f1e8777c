#!/usr/bin/env bash
# Builds the Windows program again, in a folder of its own and at another
# time, and checks that it comes out byte for byte as the one given.
# usage: check_reproducible.sh SOURCE TOOLCHAIN PROGRAM FOLDER
set -eu
source=$1 toolchain=$2 program=$3 folder=$4
rm -rf "$folder"
cmake -S "$source" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=OFF -DFMV_WEB=OFF >/dev/null
cmake --build "$folder" --target fmvframes >/dev/null
sha256sum "$program" "$folder/fmvframes.exe"
cmp "$program" "$folder/fmvframes.exe"
rm -rf "$folder"
