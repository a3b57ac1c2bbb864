#!/usr/bin/env bash
# Builds Velloro and starts it on the default emulated phone.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

echo "Velloro's window arrives with the GUI; until then, the command-line front end:"
exec build/tools/velloro_cli/velloro-cli --help
