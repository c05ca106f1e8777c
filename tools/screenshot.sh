#!/bin/sh
# Builds the page and takes the README's picture of it (docs/page.png).
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh test
cmake --preset linux-x86_64 >/dev/null
cmake --build --preset linux-x86_64 >/dev/null
/usr/bin/python3 tools/screenshot.py build/linux-x86_64/fmvframes.html \
  build/linux-x86_64/make_sample_game docs/page.png
