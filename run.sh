#!/usr/bin/env bash
# Builds Velloro and starts it on the phone VELLORO_PHONE names, else on the default emulated
# phone (~/.local/share/velloro/phone.db, made with demo content on first use).
set -euo pipefail
cd "$(dirname "$0")"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "Velloro needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    echo "Run it under a virtual X server instead:  xvfb-run ./run.sh" >&2
    echo "(xvfb comes with scripts/install-deps.sh)" >&2
    exit 1
fi

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLORO_GUI=ON >/dev/null
cmake --build build -j "$(nproc)" --target velloro velloro-cli velloro-phone
exec build/velloro
