#!/usr/bin/env bash
# Installs what is missing, builds the plain preset and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/tools/kestrix-tool/kestrix-tool decode-report 0D 03 02 00 00 00 00 00 00
