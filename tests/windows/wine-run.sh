#!/usr/bin/env bash
# Runs one Windows program under Wine in the prefix that scripts/windows-test.sh prepared.
# Wine's output goes to a file, never a pipe (the wine server would hold the pipe open), and
# is shown afterwards.
set -u
: "${WINEPREFIX:?run the Windows tests through scripts/windows-test.sh}"
wine=${KX_WINE:-/usr/lib/wine/wine64}
log=$(mktemp "${TMPDIR:-/tmp}/kx-wine-run.XXXXXX")
"$wine" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
rm -f "$log"
exit $status
