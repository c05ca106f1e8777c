#!/usr/bin/env bash
# Starts or stops the Wine that the Windows tests run under: a prefix of the
# build's own and one persistent server for the whole run, started with its
# output away from the tests (a server started by the first test would keep
# that test's output open, and every test would wait for it to quit). Each
# run makes its prefix afresh and removes it at the end: a prefix holds a
# copy of every DLL Wine finds (hundreds of MiB), and a run depends on no
# prefix an earlier one left.
# DLLPATH, when not empty, is where Wine's 32-bit DLLs are: the prefix is then
# made with them, so that it can run 32-bit programs.
# usage: wine_prefix.sh start|stop WINE64 WINESERVER PREFIX [DLLPATH]
set -eu
wine=$2 wineserver=$3
export WINEPREFIX=$4 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${5:-}" ]; then export WINEDLLPATH=$5; fi
# -k only asks the server to quit; -w waits until it has.
stop_server() {
  "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  "$wineserver" -w </dev/null >/dev/null 2>&1 || true
}
case $1 in
start)
  stop_server  # one left from an earlier run would refuse a second
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  setsid "$wineserver" -p </dev/null >/dev/null 2>&1
  "$wine" wineboot --init </dev/null >/dev/null 2>&1
  echo "Wine is ready in $WINEPREFIX"
  ;;
stop)
  stop_server
  rm -rf "$WINEPREFIX"
  ;;
esac
