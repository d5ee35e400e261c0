#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# --windows adds what the Windows build and its Wine tests need; other arguments are packages.
set -euo pipefail
# scripts/test.sh checks once for all its stages and says so to the scripts it runs.
if [ "${KX_DEPS_CHECKED:-}" = 1 ]; then exit 0; fi
extra=()
for arg in "$@"; do
  if [ "$arg" = "--windows" ]; then
    extra+=(g++-mingw-w64-x86-64-posix wine64 googletest)
  else
    extra+=("$arg")
  fi
done
packages=(build-essential cmake ninja-build pkg-config git
          libgtest-dev libgmock-dev libbenchmark-dev
          libicu-dev libjpeg62-turbo-dev libpng-dev libpugixml-dev
          libfreetype-dev fonts-dejavu-core
          clang libclang-rt-14-dev ${extra[@]+"${extra[@]}"})
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
