#!/bin/sh
# Installs what the tests need when it is missing, then builds everything and
# runs every test.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh test
cmake --workflow --preset default
