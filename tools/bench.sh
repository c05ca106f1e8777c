#!/bin/sh
# Times the tool on the sample game against /bin/true, in list mode and in
# change mode: PAIRS rounds (30 by default), each timing both with hyperfine,
# and prints the median over the rounds of the ratio of their median wall
# times. A benchmark, not a test.
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
    # Which of the two goes first changes every round: the first of a pair
    # runs a little slower, and neither is to gain from that.
    if [ $((round % 2)) -eq 0 ]; then
      set -- "$tool$args" /bin/true
      tool_row=2
    else
      set -- /bin/true "$tool$args"
      tool_row=3
    fi
    hyperfine -N --warmup 3 --runs 20 --export-csv times.csv "$@" \
      >/dev/null 2>&1
    # Columns: command, mean, stddev, median, ...; a row for each, in order.
    awk -F, -v tool_row=$tool_row '
      NR == tool_row { tool = $4 } NR > 1 && NR != tool_row { t = $4 }
      END { print tool / t }' times.csv >>ratios
    round=$((round + 1))
  done
  sort -g ratios | awk -v mode=$mode -v n="$pairs" '
    { r[NR] = $1 }
    END {
      m = NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
      printf "%-6s fmvframes / true, median of %d rounds: %.3f\n", mode, n, m
    }'
done
