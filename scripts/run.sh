#!/usr/bin/env bash
# Sets up, builds and starts the window. Without a display it says how to use
# the command-line tool instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
if [ -x build/zolvane2 ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec build/zolvane2 "$@"
fi
if [ -x build/zolvane2 ]; then
    echo "No display found (DISPLAY/WAYLAND_DISPLAY unset). Start it under a desktop, or try:"
    echo "  xvfb-run -a build/zolvane2        # a virtual display (package xvfb)"
    echo "  build/zolvane2-cli --help         # the command-line tool"
    exit 0
fi
exec build/zolvane2-cli --help
