#!/usr/bin/env bash
# CTest fixture for the win64 tests: "start" makes the prefix and keeps wineserver running
# for the whole test run (each Wine start is then cheap); "stop" ends it.
set -u
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="${XMT_WINEPREFIX:?}" WINEDEBUG=-all
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
case "${1:-}" in
  start)
    "$here/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1
    "$server" -p >/dev/null 2>&1 &
    echo "wine prefix ready: $WINEPREFIX" ;;
  stop)
    "$server" -k >/dev/null 2>&1 || true
    echo "wineserver stopped" ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
