#!/bin/sh
# Times the Linux program on the sample game, in list mode and in change
# mode, against /bin/true and against the least a process can cost: a static
# program with no C library that only exits, built here. PAIRS rounds (30 by
# default) each time the three with hyperfine, in an order that turns every
# round; printed is the median over the rounds of the ratio of the tool's
# median wall time to each other's. A benchmark, not a test.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
sh tools/setup.sh bench
cmake --preset linux-x86_64 -DFMV_WEB=OFF >/dev/null  # the console tool only
cmake --build --preset linux-x86_64 >/dev/null
tool="$here/build/linux-x86_64/fmvframes"
pairs=${PAIRS:-30}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$here/build/linux-x86_64/make_sample_game" "$scratch"
cd "$scratch"
cat >exit_only.c <<'END'
void _start(void) {
  __asm__ volatile("mov $60, %eax\n\txor %edi, %edi\n\tsyscall");
}
END
gcc -O2 -static -nostdlib -o exit_only exit_only.c

median() {
  sort -g | awk '{ r[NR] = $1 }
    END { printf "%.3f", NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2 }'
}

for mode in list change; do
  args=""
  [ $mode = change ] && args=" 3 250"
  round=0
  : >ratios
  while [ $round -lt "$pairs" ]; do
    # The first of a round runs a little slower: each goes first in turn.
    case $((round % 3)) in
    0) set -- "$tool$args" /bin/true ./exit_only ;;
    1) set -- /bin/true ./exit_only "$tool$args" ;;
    2) set -- ./exit_only "$tool$args" /bin/true ;;
    esac
    hyperfine -N --warmup 3 --runs 20 --export-csv times.csv "$@" \
      >/dev/null 2>&1
    # Columns: command, mean, stddev, median, ...; a row for each, in order.
    awk -F, '
      NR > 1 && $1 ~ /fmvframes/ { tool = $4 }
      NR > 1 && $1 == "/bin/true" { t = $4 }
      NR > 1 && $1 == "./exit_only" { e = $4 }
      END { print tool / t, tool / e }' times.csv >>ratios
    round=$((round + 1))
  done
  printf '%-6s fmvframes / true: %s, fmvframes / exit only: %s (medians of %d rounds)\n' \
    $mode "$(cut -d' ' -f1 ratios | median)" "$(cut -d' ' -f2 ratios | median)" \
    "$pairs"
done
