#!/usr/bin/env bash
# Runs a Windows program under Wine with the build tree's own throw-away prefix.
# CTest uses this as the cross-compiling emulator; XMT_WINEPREFIX names the prefix.
set -u
prefix="${XMT_WINEPREFIX:-${TMPDIR:-/tmp}/xmt-wineprefix-$(id -u)}"
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || wine=$(command -v wine)
# wineserver is often not on PATH (Debian keeps it beside wine64 in /usr/lib/wine).
for server in "$(command -v wineserver)" "$(dirname "$wine")/wineserver" /usr/lib/wine/wineserver; do
  [ -x "$server" ] && break
done
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/.xmt-ready" ]; then
  mkdir -p "$prefix"
  (
    flock 9
    if [ ! -f "$prefix/.xmt-ready" ]; then
      "$wine" wineboot -i >/dev/null 2>&1
      "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      # wineboot starts the desktop process before the null driver is set, and it keeps
      # its display driver for as long as this wineserver lives. Wait for that server to
      # end so the next Wine start (and the one the fixture keeps) reads the setting.
      "$server" -w
      touch "$prefix/.xmt-ready"
    fi
  ) 9>"$prefix.lock"
fi
exec "$wine" "$@"
