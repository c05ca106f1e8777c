#!/usr/bin/env bash
# Starts or stops the Wine that the Windows tests run under: a prefix of the
# build's own and one persistent server for the whole run, started with its
# output away from the tests (a server started by the first test would keep
# that test's output open, and every test would wait for it to quit). Each
# run makes its prefix afresh and removes it at the end: a prefix holds a
# copy of every DLL Wine finds (hundreds of MiB), and a run depends on no
# prefix an earlier one left.
# --dlls=DIR: where Wine's 32-bit DLLs are; the prefix is then made with
# them, so that it can run 32-bit programs. --win32: a 32-bit prefix (the
# emulated 32-bit Wine's), served by WINESERVER.
# usage: wine_prefix.sh start|stop WINE WINESERVER PREFIX [--dlls=DIR] [--win32]
set -eu
wine=$2 wineserver=$3
export WINEPREFIX=$4 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for option in "${@:5}"; do
  case $option in
  --dlls=*) export WINEDLLPATH=${option#--dlls=} ;;
  --win32) export WINEARCH=win32 WINESERVER=$wineserver ;;
  esac
done
# -k only asks the server to quit, ending every process of the prefix; -w
# waits until it has. A process it could not reach (an emulated one that
# lost its server) is ended by its environment's prefix.
stop_server() {
  "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  "$wineserver" -w </dev/null >/dev/null 2>&1 || true
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ%/environ}
    pid=${pid#/proc/}
    [ "$pid" != $$ ] && [ "$pid" != "$PPID" ] || continue
    if { tr '\0' '\n' <"$environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; } 2>/dev/null; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
  done
}
case $1 in
start)
  stop_server  # one left from an earlier run would refuse a second
  # Interrupted, it ends what it started, as stop does.
  for signal in HUP:129 INT:130 TERM:143; do
    trap "stop_server; exit ${signal#*:}" "${signal%:*}"
  done
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  setsid "$wineserver" -p </dev/null >/dev/null 2>&1
  # A desktop that can't be made is made again and again, each time by a
  # new process: that loop is cut short at its first sign, not waited out.
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  WINEDEBUG=-all,err+win "$wine" wineboot --init </dev/null >"$log" 2>&1 &
  boot=$!
  while kill -0 "$boot" 2>/dev/null; do
    if grep -q "failed to create desktop window" "$log"; then
      stop_server
      echo "wine_prefix.sh: Wine could not make its desktop window, again and again: stopped" >&2
      exit 1
    fi
    sleep 0.5
  done
  wait "$boot"
  echo "Wine is ready in $WINEPREFIX"
  ;;
stop)
  stop_server
  rm -rf "$WINEPREFIX"
  ;;
esac
