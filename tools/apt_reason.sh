# Sourced by the set-up scripts. apt_reason LOG: why an apt-get run failed, in
# one line: its first "E:" line, which names the index or the package, else
# its last line.
apt_reason() { grep -m1 '^E: ' "$1" || tail -n1 "$1"; }
