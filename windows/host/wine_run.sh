#!/bin/sh
# Runs a Windows program of the win64 build under wine64, in the build's own Wine prefix, without a
# display: wine_run.sh PREFIX PROGRAM [ARGUMENTS...]. The first run creates the prefix (about a minute).
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would wait for a user.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  "$wine" wineboot --init >/dev/null 2>&1 || true
  wineserver=$(dirname "$wine")/wineserver
  [ -x "$wineserver" ] || wineserver=wineserver
  "$wineserver" -w || true
fi
exec "$wine" "$@"
