#!/usr/bin/env bash
# Takes the screenshots of the README and the AppStream data
# (docs/screenshots/*.png) from the window test program under Xvfb, with the
# Japanese font the package depends on. Needs xvfb (package xvfb) and a built
# build/test_app; the AppStream data reads the sizes at configure time.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(scripts/build-dir.sh)
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)" >&2; exit 1; }
[ -x "$build/test_app" ] || { echo "$build/test_app is missing: build it first" >&2; exit 1; }
# The result list shows where its tracks lie: a short folder of their own.
tracks=$(mktemp -d /tmp/zolvane2-XXXX)
trap 'rm -rf "$tracks"' EXIT
mkdir "$tracks/Music"
ZOLVANE2_SCREENSHOTS=$PWD/docs/screenshots ZOLVANE2_SCREENSHOT_TRACKS=$tracks/Music \
    QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/test_app" --gtest_also_run_disabled_tests --gtest_filter='Screenshots.*'
file docs/screenshots/*.png 2>/dev/null || ls -l docs/screenshots
