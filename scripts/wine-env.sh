# Sourced by the Wine scripts: the environment of Varnock's private Wine prefix.
# $1: the harness's state directory (in the build directory). Sets WINE64,
# WINESERVER, WINEPREFIX, WINEDEBUG, wine_exec (runs a command in the
# prefix's locale) and, when the harness runs an X
# server, DISPLAY.
varnock_wine_state=$(readlink -f "$1")
WINE64=
for candidate in /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 "$(command -v wine64 || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then WINE64=$candidate; break; fi
done
if [ -z "$WINE64" ]; then
  # Debian keeps the loader in wine's own library directory; ask the package.
  WINE64=$(dpkg -L wine64 2>/dev/null | grep -E '/wine64$' | head -n 1 || true)
fi
WINESERVER=$(dirname "$WINE64")/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo wineserver)
export WINEPREFIX=$varnock_wine_state/prefix
export WINEDEBUG=-all
export WINEARCH=win64
# Code page 936 (GBK), as on the systems the tool is written for. Given to
# Wine's processes only (wine_exec): this shell has no such glibc locale.
wine_locale=zh_CN.UTF-8
wine_exec() { env LC_ALL=$wine_locale "$@"; }
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ -f "$varnock_wine_state/display" ]; then
  DISPLAY=$(cat "$varnock_wine_state/display")
  export DISPLAY
fi
