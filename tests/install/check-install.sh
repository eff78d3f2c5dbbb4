#!/usr/bin/env bash
# Checks what an installation delivers.
#   check-install.sh tree BUILD SCRATCH [app]   installs BUILD into SCRATCH (DESTDIR, prefix /usr) and
#                                                checks the files and that the programs and pages work
#   check-install.sh desktop FILE               desktop-file-validate
#   check-install.sh metainfo FILE              appstreamcli validate
#   check-install.sh packages BUILD SCRATCH VERSION REVISION DATE SOURCE [app]
#                                                makes the Debian packages of BUILD with cpack, runs
#                                                lintian over them, unpacks them into SCRATCH/root
#                                                and checks what they deliver (see packages below)
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
              usr/share/doc/zolvane2-cli/copyright usr/share/doc/zolvane2-cli/LICENSE
              usr/share/doc/zolvane2-cli/NEWS)
    if [ "${4:-}" = app ]; then
        expected+=(usr/bin/zolvane2 usr/share/zolvane2/zolvane2.hlp usr/share/man/man1/zolvane2.1
                   usr/share/doc/zolvane2/copyright usr/share/doc/zolvane2/NEWS
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
packages)
    build=$2
    scratch=$3
    version=$4
    debian_version=$4-$5
    date=$6
    source=$7
    with_app=${8:-}
    [ "${9:-}" = ON ] || { echo "skipped: the packages are checked in the hardened Release build"; exit 77; }
    command -v lintian >/dev/null || skip lintian
    fail() { echo "$*"; exit 1; }
    rm -rf "$scratch"
    mkdir -p "$scratch"
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
        { cat "$scratch/cpack.log"; exit 1; }
    arch=$(dpkg --print-architecture)
    cli=$scratch/out/zolvane2-cli_${debian_version}_$arch.deb
    app=$scratch/out/zolvane2_${debian_version}_$arch.deb
    debs=("$cli")
    [ "$with_app" != app ] || debs+=("$app")
    for deb in "${debs[@]}"; do
        [ -s "$deb" ] || fail "cpack made no $deb: $(ls "$scratch/out")"
        [ "$(dpkg-deb -f "$deb" Version)" = "$debian_version" ] || fail "$deb: version $(dpkg-deb -f "$deb" Version)"
    done

    # The tool pulls in no desktop: libpulse and the C++ runtime only.
    depends=$(dpkg-deb -f "$cli" Depends)
    if [[ $depends == *[Qq]t* || $depends != *libpulse0* ]]; then fail "zolvane2-cli depends on: $depends"; fi
    if [ "$with_app" = app ]; then
        depends=$(dpkg-deb -f "$app" Depends)
        recommends=$(dpkg-deb -f "$app" Recommends)
        for want in "zolvane2-cli (= $debian_version)" "fonts-noto-cjk | fonts-japanese-gothic" libqt6widgets6; do
            [[ $depends == *"$want"* ]] || fail "zolvane2 does not depend on $want: $depends"
        done
        for want in qt6-translations-l10n qt6-wayland; do
            [[ $recommends == *"$want"* && $depends != *"$want"* ]] || fail "zolvane2 should recommend $want"
        done
    fi

    # lintian: no error, no warning; each informational tag is explained in the README.
    status=0
    lintian --fail-on error,warning --display-info "${debs[@]}" >"$scratch/lintian.log" 2>&1 || status=$?
    cat "$scratch/lintian.log"
    [ $status -eq 0 ] || fail "lintian failed ($status)"
    for tag in $(sed -n 's/^I: [^ ]*: \([a-z0-9.+-]*\).*/\1/p' "$scratch/lintian.log" | sort -u); do
        grep -q "\`$tag\`" "$source/README.md" || fail "lintian's $tag is not explained in README.md"
    done

    # Unpacked: the tool runs without any Qt library; both programs answer
    # without a display; the version is the same everywhere.
    root=$scratch/root
    for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$root"; done
    closure=$(ldd "$root/usr/bin/zolvane2-cli")
    if grep -Ei 'libqt|not found' <<<"$closure"; then fail "zolvane2-cli needs more than it should"; fi
    "$root/usr/bin/zolvane2-cli" --help >/dev/null
    [ "$("$root/usr/bin/zolvane2-cli" --version)" = "zolvane2-cli $version" ] || fail "zolvane2-cli --version"
    pages=(zolvane2-cli)
    docs=(zolvane2-cli)
    if [ "$with_app" = app ]; then
        no_display=(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)
        "${no_display[@]}" LC_ALL=C "$root/usr/bin/zolvane2" --help | grep -q 'man zolvane2' || fail "zolvane2 --help"
        [ "$("${no_display[@]}" "$root/usr/bin/zolvane2" --version)" = "zolvane2 $version" ] || fail "zolvane2 --version"
        grep -q "<release version=\"$version\" date=\"$date\">" \
            "$root/usr/share/metainfo/io.github.zolvane2.Zolvane2.metainfo.xml" || fail "metainfo: no release $version"
        pages+=(zolvane2)
        docs+=(zolvane2)
    fi
    for page in "${pages[@]}"; do
        zcat "$root/usr/share/man/man1/$page.1.gz" | head -1 | grep -qF "\"$date\" \"Zolvane2 $version\"" ||
            fail "man page $page: $(zcat "$root/usr/share/man/man1/$page.1.gz" | head -1)"
    done
    for doc in "${docs[@]}"; do
        dir=$root/usr/share/doc/$doc
        [ -s "$dir/copyright" ] && [ ! -e "$dir/LICENSE" ] || fail "$dir: copyright only, no LICENSE"
        zcat "$dir/changelog.Debian.gz" >"$scratch/changelog"
        cmp -s "$scratch/changelog" "$source/NEWS" || fail "$dir/changelog.Debian.gz is not NEWS"
    done
    [ "$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)" = "$debian_version" ] || fail "NEWS: not $debian_version"
    [ "$(date -u -d "$(dpkg-parsechangelog -l "$scratch/changelog" -S Date)" +%F)" = "$date" ] || fail "NEWS: not $date"
    echo "packages ${debs[*]##*/} are clean"
    ;;
esac
