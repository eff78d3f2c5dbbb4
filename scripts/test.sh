#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest. The tests that record and
# play start their own private PulseAudio daemon (see scripts/pulse-daemon.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
ctest --output-on-failure --timeout 600 -j 2 "$@"
