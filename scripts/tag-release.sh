#!/usr/bin/env bash
# Tags the checked-out commit as the release that CMakeLists.txt names
# (v<version>), after checking that NEWS opens with that release and that
# nothing is left uncommitted. The maintainer runs it once per release; it
# never pushes (git push origin v<version> does).
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(Zolvane2 VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
revision=$(sed -n 's/^set(ZOLVANE2_DEBIAN_REVISION \([0-9]*\))/\1/p' CMakeLists.txt)
[ -n "$version" ] && [ -n "$revision" ] || { echo "CMakeLists.txt names no version" >&2; exit 1; }
news=$(dpkg-parsechangelog -l NEWS -S Version)
if [ "$news" != "$version-$revision" ]; then
    echo "NEWS opens with $news, CMakeLists.txt names $version-$revision" >&2
    exit 1
fi
if ! git diff --quiet HEAD --; then
    echo "uncommitted changes: commit them before tagging" >&2
    exit 1
fi
if git rev-parse -q --verify "refs/tags/v$version" >/dev/null; then
    echo "v$version is tagged already" >&2
    exit 1
fi
git tag -a "v$version" -m "Zolvane2 $version"
echo "tagged v$version at $(git rev-parse --short HEAD); publish it with: git push origin v$version"
