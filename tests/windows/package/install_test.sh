#!/usr/bin/env bash
# install.cmd and uninstall.cmd of the package under Wine: the folder copied for the user, the
# key HKEY_CURRENT_USER\SOFTWARE\Kestrix created, the start at log-on registered; then all of
# it undone. Usage: install_test.sh <package folder>
set -u
: "${WINEPREFIX:?run the Windows tests through scripts/windows-test.sh}"
package=$1
failures=0

run() { "$(dirname "$0")/../wine-run.sh" "$@"; }
has_key() { run reg query "$@" >/dev/null; }
lacks_key() { ! has_key "$@"; }
check() {  # check <description> <command...>
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

[ -f "$package/install.cmd" ] || { echo "FAILED: no package at $package"; exit 1; }
windows_package="Z:${package//\//\\}"
check "install.cmd succeeds" run cmd /c "$windows_package\\install.cmd"
installed=$(find "$WINEPREFIX/drive_c/users" -maxdepth 5 -type d -path '*/AppData/Local/Programs/Kestrix' | head -n1)
check "installed under %LOCALAPPDATA%\\Programs" test -n "$installed"
for file in kestrix-hid.exe HidDevice.dll OSD.exe trayicon.exe kestrix-tool.exe Strings.xml \
            uninstall.cmd skins/updatebar_Mask.bmp skins/updatebar_n.jpg skins/updatebar_o.jpg; do
  if [ -f "$package/$file" ]; then check "installed $file" test -f "$installed/$file"; fi
done
check "the key SOFTWARE\\Kestrix exists" has_key 'HKCU\SOFTWARE\Kestrix'
check "the agent starts at log-on" has_key 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Kestrix

check "uninstall.cmd succeeds" run cmd /c '%LOCALAPPDATA%\Programs\Kestrix\uninstall.cmd'
check "the key SOFTWARE\\Kestrix is gone" lacks_key 'HKCU\SOFTWARE\Kestrix'
check "the log-on start is gone" lacks_key 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Kestrix
check "the installed files are gone" test -z "$(find "$installed" -type f 2>/dev/null)"

[ "$failures" -eq 0 ]
