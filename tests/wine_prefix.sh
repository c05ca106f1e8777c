#!/usr/bin/env bash
# Starts or stops the Wine that the Windows tests run under: a prefix of the
# build's own and one persistent server for the whole run, started with its
# output away from the tests (a server started by the first test would keep
# that test's output open, and every test would wait for it to quit).
# usage: wine_prefix.sh start|stop WINE64 WINESERVER PREFIX
set -eu
wine=$2 wineserver=$3
export WINEPREFIX=$4 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case $1 in
start)
  mkdir -p "$WINEPREFIX"
  setsid "$wineserver" -p </dev/null >/dev/null 2>&1
  "$wine" wineboot --init </dev/null >/dev/null 2>&1
  echo "Wine is ready in $WINEPREFIX"
  ;;
stop)
  "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  ;;
esac
