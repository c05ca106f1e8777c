#!/bin/sh
# Installs what the build needs when it is missing, builds the tool and shows
# it at work on a sample game file in a scratch folder: the listing, a change
# of clip 3 to 250 frames, the listing again.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
sh tools/setup.sh build
cmake --preset linux-x86_64 -DFMV_WEB=OFF >/dev/null  # the console tool only
cmake --build --preset linux-x86_64 >/dev/null
bin="$here/build/linux-x86_64"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$bin/make_sample_game" "$scratch"
cd "$scratch"
for args in "" "3 250" ""; do
  echo "\$ fmvframes $args"
  # shellcheck disable=SC2086 # the words are the arguments
  "$bin/fmvframes" $args | tr -d '\r'
done
