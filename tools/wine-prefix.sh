#!/bin/sh
# The Wine environment of the Windows tests.
#
# Sourced by tools/wine-run and tools/with-xvfb, or run on its own: exports
# the prefix's environment and creates the prefix the first time (later calls
# only check that it is there). Everything Wine writes stays under
# /tmp/vistelle-wine, or under VISTELLE_WINEPREFIX when that is set.
#
# Wine processes are never put behind a pipe here: the wineserver they start
# would inherit it and keep a reader waiting. Their output goes to files.

VISTELLE_WINE_ROOT=${VISTELLE_WINE_ROOT:-/tmp/vistelle-wine}
WINEPREFIX=${VISTELLE_WINEPREFIX:-$VISTELLE_WINE_ROOT/prefix}
export WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=${VISTELLE_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$VISTELLE_WINE_ROOT/home"
# Wine takes its user folders from XDG; keep them in the same place.
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"

if [ -z "${VISTELLE_WINE64:-}" ]; then
  if [ -x /usr/lib/wine/wine64 ]; then
    VISTELLE_WINE64=/usr/lib/wine/wine64
  else
    VISTELLE_WINE64=$(command -v wine64 || command -v wine || echo wine64)
  fi
fi
if [ -z "${VISTELLE_WINESERVER:-}" ]; then
  if [ -x /usr/lib/wine/wineserver ]; then
    VISTELLE_WINESERVER=/usr/lib/wine/wineserver
  else
    VISTELLE_WINESERVER=$(command -v wineserver || echo wineserver)
  fi
fi
export VISTELLE_WINE64 VISTELLE_WINESERVER

# The prefix reports Windows 10 version 1903 (10.0.18362), the oldest Windows
# the program and its installer take; Wine makes a new prefix Windows 7.
# The ready mark names the version, so that a prefix made before is switched
# once too.
vistelle_prefix_ready() { grep -qx win10 "$WINEPREFIX/.vistelle-ready" 2>/dev/null; }

vistelle_make_prefix() {
  mkdir -p "$HOME" "$(dirname "$WINEPREFIX")" || return 1
  vistelle_prefix_ready && return 0
  log="$(dirname "$WINEPREFIX")/wineboot.log"
  # One creator at a time; whoever waited finds the prefix ready. The lock's
  # descriptor is closed for the Wine processes so that a wineserver staying
  # behind does not hold it.
  (
    flock 8 || exit 1
    vistelle_prefix_ready && exit 0
    if [ -f "$WINEPREFIX/.vistelle-ready" ]; then
      # Made before, as Windows 7: only the version changes. A server that
      # runs for the prefix keeps the change and writes it when it ends.
      echo "wine-prefix: switching $WINEPREFIX to Windows 10 (log in $log)" >&2
      timeout 120 "$VISTELLE_WINE64" winecfg /v win10 >>"$log" 2>&1 8>&- </dev/null || exit 1
      echo win10 >"$WINEPREFIX/.vistelle-ready"
      exit 0
    fi
    echo "wine-prefix: creating $WINEPREFIX (log in $log)" >&2
    timeout 300 "$VISTELLE_WINE64" wineboot -i >"$log" 2>&1 8>&- </dev/null || exit 1
    "$VISTELLE_WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >>"$log" 2>&1 8>&- </dev/null || exit 1
    timeout 120 "$VISTELLE_WINE64" winecfg /v win10 >>"$log" 2>&1 8>&- </dev/null || exit 1
    # Let the server write the registry to disk before the prefix is used.
    timeout 120 "$VISTELLE_WINESERVER" -w >>"$log" 2>&1 8>&- </dev/null
    echo win10 >"$WINEPREFIX/.vistelle-ready"
  ) 8>"$(dirname "$WINEPREFIX")/.prefix.lock"
}

# Run directly: just make the prefix.
case "$0" in
  *wine-prefix.sh)
    vistelle_make_prefix
    exit $?
    ;;
esac
