#!/bin/sh
# Times the tool on the sample game against /bin/true, in list mode and in
# change mode: PAIRS rounds (30 by default), each timing the tool and then
# /bin/true with hyperfine, and prints the median over the rounds of the
# ratio of their median wall times. A benchmark, not a test.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
sh tools/setup.sh bench
cmake --preset linux-x86_64 >/dev/null
cmake --build --preset linux-x86_64 >/dev/null
tool="$here/build/linux-x86_64/fmvframes"
pairs=${PAIRS:-30}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$here/build/linux-x86_64/make_sample_game" "$scratch"
cd "$scratch"

for mode in list change; do
  args=""
  [ $mode = change ] && args=" 3 250"
  round=0
  : >ratios
  while [ $round -lt "$pairs" ]; do
    hyperfine -N --warmup 3 --runs 20 --export-csv times.csv \
      "$tool$args" /bin/true >/dev/null 2>&1
    # Columns: command, mean, stddev, median, ...; the tool's row first.
    awk -F, 'NR == 2 { tool = $4 } NR == 3 { print tool / $4 }' times.csv >>ratios
    round=$((round + 1))
  done
  sort -g ratios | awk -v mode=$mode -v n="$pairs" '
    { r[NR] = $1 }
    END {
      m = NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
      printf "%-6s fmvframes / true, median of %d rounds: %.3f\n", mode, n, m
    }'
done
