#!/usr/bin/env bash
# Builds the Windows programs with MinGW-w64 and runs their tests under Wine: headless (Wine's
# null graphics driver), in a fresh prefix, with Wine's output in files and the wine server
# ended afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
# The skins are drawn at build time by make-skins, a program for this machine: the native
# build's, when there is one, else the Windows build makes its own.
host_tools=()
if [ -x build/default/tools/make-skins/make-skins ]; then
  host_tools=(-DKX_HOST_MAKE_SKINS="$PWD/build/default/tools/make-skins/make-skins")
fi
cmake --preset windows ${host_tools[@]+"${host_tools[@]}"} >/dev/null
cmake --build --preset windows -j2
cmake --build --preset windows -j2 --target package

wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
logs=build/windows/wine-logs
mkdir -p "$logs"
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kx-wine.XXXXXX")
export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer: nothing to download
export KX_WINE=$wine
finish() {
  "$server" -k >/dev/null 2>&1 || true
  "$server" -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap finish EXIT

# A fresh prefix, then the null graphics driver; the server restarts to take it.
"$wine" wineboot -i >"$logs/wineboot.log" 2>&1 </dev/null
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >"$logs/reg.log" 2>&1 </dev/null
"$server" -k >/dev/null 2>&1 || true
"$server" -w >/dev/null 2>&1 || true

ctest --test-dir build/windows --output-on-failure "$@"
