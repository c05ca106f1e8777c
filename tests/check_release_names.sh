#!/bin/sh
# Installs what a release archive holds into a scratch folder and checks its
# names: exactly those expected, and none that a game's folder commonly has,
# since the archive is unpacked into that folder (tar overwrites without a
# word).
# usage: check_release_names.sh BUILD-DIR COMPONENT EXPECTED-NAME...
set -eu
build=$1 component=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --component "$component" --prefix "$scratch" >/dev/null
held=$(ls -A "$scratch" | sort | tr '\n' ' ')
expected=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
echo "holds: $held"
[ "$held" = "$expected" ] || { echo "FAIL: expected $expected"; exit 1; }
for name in $held; do
  case $(printf '%s' "$name" | tr '[:upper:]' '[:lower:]') in
  readme | readme.txt | readme.md | license | license.txt | licence.txt | \
    copying | changelog.txt)
    echo "FAIL: $name may overwrite the game's own"
    exit 1
    ;;
  esac
done
