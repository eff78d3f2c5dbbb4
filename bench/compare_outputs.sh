#!/bin/sh
# Byte comparison of two zolvane2-cli builds over the benchmark album: every
# piece of every re-divide mode and the joined file must be identical.
#   bench/compare_outputs.sh OLD_CLI NEW_CLI [BENCH_JOBS_PROCESS]
# The folder lives under ZOLVANE2_BENCH_DIR (default /tmp) and is removed.
set -eu
old=$(realpath "$1")
new=$(realpath "$2")
maker=$(realpath "${3:-$(dirname "$new")/bench_jobs_process}")
top=$(mktemp -d "${ZOLVANE2_BENCH_DIR:-/tmp}/zolvane2-compare-XXXXXX")
trap 'rm -rf "$top"' EXIT
"$maker" --album "$top/Album.wav"
# The album's audio alone, as a RAW file.
tail -c +45 "$top/Album.wav" > "$top/Album.raw"
failed=0

# run NAME SOURCE ARGS...: splits SOURCE with both builds and compares;
# @DIR@ in ARGS stands for the folder of each side.
run() {
    name=$1 src=$2
    shift 2
    for side in old new; do
        mkdir -p "$top/$side"
        ln -f "$top/$src" "$top/$side/$src"
        cli=$old
        [ "$side" = new ] && cli=$new
        # shellcheck disable=SC2046 # the arguments hold no blanks
        "$cli" split $(echo "$*" | sed "s|@DIR@|$top/$side|g") "$top/$side/$src" > /dev/null 2>&1
        rm "$top/$side/$src"
    done
    compare "$name"
}

compare() {
    if ! (cd "$top/old" && ls) > "$top/old.list" || ! (cd "$top/new" && ls) > "$top/new.list" ||
        ! cmp -s "$top/old.list" "$top/new.list"; then
        echo "$1: different files"
        failed=1
    else
        for f in $(cat "$top/old.list"); do
            if ! cmp -s "$top/old/$f" "$top/new/$f"; then
                echo "$1: $f differs"
                failed=1
            fi
        done
        echo "$1: $(wc -l < "$top/old.list") files compared"
    fi
    rm -rf "$top/old" "$top/new"
}

run trigger Album.wav
run trigger-raw-pieces Album.wav --raw
run trigger-tail-is-gap Album.wav --gap 2000 --tail 2000 --delay 3000
run trigger-short-gaps Album.wav --level 11980 --gap 30 --tail 12 --delay 40
run trigger-mono-raw-source Album.raw --channels 1 --rate 22050
run interval Album.wav --mode interval --length 4:59
run interval-raw Album.raw --mode interval --length 0:07 --raw
run none Album.wav --mode none
run cut-once Album.wav --at 1234.567
run minimum-length-labels Album.wav --level 11980 --gap 30 --tail 12 --delay 40 --min-length 2000 --labels @DIR@/labels.txt --cue @DIR@/pieces.cue
printf '10.5\t200.25\tone\n300\t900.1\ttwo\n1500.3333\t3400\tthree\n' > "$top/cuts.txt"
run from-labels Album.wav --from-labels "$top/cuts.txt"

# Join of the default pieces.
for side in old new; do
    mkdir -p "$top/$side"
    ln -f "$top/Album.wav" "$top/$side/Album.wav"
    cli=$old
    [ "$side" = new ] && cli=$new
    "$cli" split "$top/$side/Album.wav" > /dev/null
    rm "$top/$side/Album.wav"
    "$cli" join -o "$top/$side/Joined.wav" "$top/$side"/Album-*.wav > /dev/null
    "$cli" join -o "$top/$side/Joined.raw" "$top/$side"/Album-*.wav > /dev/null
    rm "$top/$side"/Album-*.wav
done
compare join

[ "$failed" = 0 ] && echo "all identical"
exit "$failed"
