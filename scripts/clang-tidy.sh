#!/usr/bin/env bash
# Runs clang-tidy with the committed .clang-tidy over every source file under
# src/ that the build compiles, two at a time, and fails on any finding.
#   scripts/clang-tidy.sh [build folder]    (default build/, configured first)
# Extra arguments after the folder go to clang-tidy (e.g. --fix).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
tidy=${CLANG_TIDY:-clang-tidy}
if [ ! -f "$build_dir/compile_commands.json" ]; then
    echo "No $build_dir/compile_commands.json: configure the build first (scripts/setup.sh)." >&2
    exit 2
fi
# The window's sources are in the database only where the build has Qt, and
# its moc files only once they were generated: build those first.
cmake --build "$build_dir" --target zolvane2_autogen >/dev/null 2>&1 || true
files=()
while IFS= read -r f; do
    grep -qF "\"$PWD/$f\"" "$build_dir/compile_commands.json" && files+=("$f")
done < <(git ls-files 'src/*.cpp')
echo "clang-tidy: ${#files[@]} files"
# The database holds GCC's command lines; clang does not know some of its
# warning flags.
printf '%s\0' "${files[@]}" |
    xargs -0 -n 1 -P "${JOBS:-2}" "$tidy" -p "$build_dir" --quiet --warnings-as-errors='*' \
        --extra-arg=-Wno-unknown-warning-option "$@"
