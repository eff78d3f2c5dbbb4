#!/usr/bin/env bash
# Checks what an installation delivers.
#   check-install.sh tree BUILD SCRATCH [app]   installs BUILD into SCRATCH (DESTDIR, prefix /usr) and
#                                                checks the files and that the programs and pages work
#   check-install.sh desktop FILE               desktop-file-validate
#   check-install.sh metainfo FILE              appstreamcli validate
# Exits 77 (skipped) when a validator is not installed.
set -euo pipefail
id=io.github.zolvane2.Zolvane2
skip() { echo "skipped: $1 is not installed"; exit 77; }
case ${1:?tree|desktop|metainfo} in
desktop)
    command -v desktop-file-validate >/dev/null || skip desktop-file-validate
    out=$(desktop-file-validate "$2" 2>&1) || { echo "$out"; exit 1; }
    # Hints are not failures, but anything it says is worth mending.
    [ -z "$out" ] || { echo "$out"; exit 1; }
    ;;
metainfo)
    command -v appstreamcli >/dev/null || skip appstreamcli
    appstreamcli validate --no-net --explain "$2"
    ;;
tree)
    build=$2
    root=$3
    rm -rf "$root"
    DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
    expected=(usr/bin/zolvane2-cli usr/share/man/man1/zolvane2-cli.1
              usr/share/bash-completion/completions/zolvane2-cli
              usr/share/doc/zolvane2/copyright usr/share/doc/zolvane2/LICENSE)
    if [ "${4:-}" = app ]; then
        expected+=(usr/bin/zolvane2 usr/share/zolvane2/zolvane2.hlp usr/share/man/man1/zolvane2.1
                   usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml
                   usr/share/icons/hicolor/scalable/apps/$id.svg)
        for size in 16 32 48 64 128 256; do
            expected+=(usr/share/icons/hicolor/${size}x$size/apps/$id.png)
        done
    fi
    missing=0
    for f in "${expected[@]}"; do
        [ -s "$root/$f" ] || { echo "missing: /$f"; missing=1; }
    done
    [ $missing -eq 0 ] || exit 1
    # Nothing of the build or the tests is installed.
    if find "$root" -name 'test_*' -o -name 'bench_*' -o -name '*.a' | grep .; then
        echo "installed a build or test file"
        exit 1
    fi
    "$root/usr/bin/zolvane2-cli" --help >/dev/null
    bash -n "$root/usr/share/bash-completion/completions/zolvane2-cli"
    if command -v groff >/dev/null; then
        for page in "$root"/usr/share/man/man1/*.1; do
            # As man shows a page on a UTF-8 terminal: the window texts are Japanese.
            warnings=$(groff -k -Tutf8 -man -ww -z "$page" 2>&1)
            [ -z "$warnings" ] || { echo "$page: $warnings"; exit 1; }
        done
    fi
    echo "installed into $root"
    ;;
esac
