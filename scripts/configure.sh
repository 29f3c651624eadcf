#!/usr/bin/env bash
# Installs what is needed and configures the build folder build/ (Ninja, and ccache where it is installed).
# The run and package commands start with it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja "${launcher[@]}" >/dev/null
