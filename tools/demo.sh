#!/bin/sh
# Installs what the build needs when it is missing, builds the tool and shows
# it at work on a sample game file in a scratch folder: the listing, a change
# of clip 3 to 250 frames, the listing again. Then leaves the page and a
# sample game of its own in build/try, to open the one on the other, where
# the page's compilers are installed (else it says what to install).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
sh tools/setup.sh build
web=OFF
command -v clang >/dev/null && command -v wasm-ld >/dev/null && command -v esbuild >/dev/null && command -v wasm-opt >/dev/null && web=ON
cmake --preset linux-x86_64 -DFMV_WEB=$web >/dev/null
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
try="$here/build/try"
rm -rf "$try"
mkdir -p "$try"
"$bin/make_sample_game" "$try"
echo
if [ $web = ON ]; then
  cp "$bin/fmvframes.html" "$try/"
  echo "The page and a sample game are in $try:"
  echo "open $try/fmvframes.html in a browser, then open (or drop) $try/Dunmarrow3.exe on it."
else
  echo "A sample game is in $try. To try the page on it too, install the page's"
  echo "compilers (as root: apt-get install clang lld-14 esbuild binaryen) and run this again."
fi
