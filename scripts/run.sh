#!/usr/bin/env bash
# Installs what is missing, builds kestrix-sim and kestrix-tool, and runs the main job: the agent
# on a simulated desktop playing its narrated demonstration. Arguments go to kestrix-sim
# (for example --realtime, or --script FILE).
set -euo pipefail
caller="$PWD"
cd "$(dirname "$0")/.."
repo="$PWD"
scripts/install-deps.sh
cmake --preset default >/dev/null
echo "Building kestrix-sim and kestrix-tool (the first time takes a few minutes)..."
if ! cmake --build --preset default --target kestrix-sim kestrix-tool >build/default/run-build.log 2>&1; then
  cat build/default/run-build.log
  exit 1
fi
echo
# Run from where the user is, so the paths the demonstration prints work there.
cd "$caller"
exec "$repo/build/default/tools/kestrix-sim/kestrix-sim" "$@"
