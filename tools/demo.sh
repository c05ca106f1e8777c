#!/bin/sh
# Builds the tool and shows it at work on a sample game file in a scratch
# folder: the listing, a change of clip 3 to 250 frames, the listing again.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset release -S "$here" >/dev/null
cmake --build --preset release >/dev/null
bin="$here/build/release"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$bin/make_sample_game" "$scratch"
cd "$scratch"
for args in "" "3 250" ""; do
  echo "\$ fmvframes $args"
  # shellcheck disable=SC2086 # the words are the arguments
  "$bin/fmvframes" $args | tr -d '\r'
done
