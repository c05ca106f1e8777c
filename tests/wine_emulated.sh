#!/usr/bin/env bash
# Runs a command of the emulated 32-bit Wine and passes on all it prints but
# one text: Wine's gdi32 says on every start that it finds no FreeType, and
# the 32-bit FreeType library can't be given it, since with it the emulated
# explorer.exe crashes (the emulator's signal frames carry no trap number)
# and is started again without end. That exact text, and nothing else, is
# set aside; the cases fail on anything else on standard error.
# usage: wine_emulated.sh COMMAND [ARGS...]
FREETYPE="Wine cannot find the FreeType font library.  To enable Wine to
use TrueType fonts please install a version of FreeType greater than
or equal to 2.0.5.
http://www.freetype.org
"
err=$(mktemp)
trap 'rm -f "$err"' EXIT
"$@" 2>"$err"
status=$?
text=$(cat "$err"; printf x)
text=${text%x}
printf '%s' "${text//"$FREETYPE"/}" >&2
exit $status
