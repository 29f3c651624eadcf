#!/usr/bin/env bash
# The package command: installs what is needed, builds the program and makes its Debian package with
# CPack: build/package/vorlinsaver_<version>_<architecture>.deb (the only file there), and prints its path.
# Install it with `apt install ./build/package/vorlinsaver_*.deb`; the menu then holds VorlinSaver.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure.sh
# The "deb" target builds only what the package holds, not the tests.
cmake --build build -j "$(nproc)" --target deb >/dev/null
ls "$PWD"/build/package/*.deb
