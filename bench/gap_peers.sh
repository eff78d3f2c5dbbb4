#!/usr/bin/env bash
# Cuts the gap finder's synthetic record sides (bench/GapSide.h) with SoX
# `silence`, ffmpeg `silencedetect`, mp3splt's silence mode and the gap
# finder, each with its defaults and over a small grid of its threshold and
# minimum silence, and scores every result with the same scorer.
#   bench/gap_peers.sh [SIDES [FIRST_SEED]]      (default 120 sides from seed 1)
# Needs build/gap_peers (ninja -C build gap_peers; BUILD_DIR chooses another
# build folder). Installs sox, ffmpeg, mp3splt and flac when they are missing
# (with sudo unless run as root): the normal set-up never does. One side at a
# time is written (about 40 MB), cut by everyone and deleted again; every
# score goes to $BUILD_DIR/gap_peers_tally.txt, and the table at the end is
# `gap_peers table` of that file.
set -euo pipefail
cd "$(dirname "$0")/.."
sides=${1:-120}
first=${2:-1}
build=${BUILD_DIR:-build}
tool=$build/gap_peers
if [ ! -x "$tool" ]; then
    echo "No $tool: build it first (ninja -C $build gap_peers)." >&2
    exit 2
fi
missing=()
for c in sox ffmpeg mp3splt flac; do
    command -v "$c" >/dev/null || missing+=("$c")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: sox ffmpeg mp3splt flac (${missing[*]} missing)"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq sox ffmpeg mp3splt flac
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zolvane2-gap-peers-XXXXXX")
trap 'rm -rf "$work"' EXIT
tally=$build/gap_peers_tally.txt
: >"$tally"

# The grid every peer is tried over: threshold (dBFS) and shortest silence (s).
thresholds=(-60 -50 -40 -30)
lengths=(0.5 1.5)

# SoX drops the silence between pieces, so where each piece lay is found by
# its audio, which it copies unchanged (-D: no dither).
sox_cut() {
    local name=$1 out=$dir/sox
    shift
    rm -rf "$out" && mkdir "$out"
    sox -D -V1 "$side" "$out/p.wav" "$@" : newfile : restart
    # shellcheck disable=SC2046
    "$tool" locate "$side" "$dir/pieces/sox~$name.txt" $(find "$out" -name 'p*.wav' | sort -V)
}

# silencedetect only reports silences: cut in the middle of each; a piece
# that lies wholly inside one silence (the groove before the first sound or
# after the last) is none. One decoding feeds every setting: each chain's
# silences go to a file of their own.
ffmpeg_cut() {
    local names=("$@") chains="" k
    for k in "${!names[@]}"; do
        local filter=silencedetect
        [ "${names[$k]}" = default ] || filter="silencedetect=noise=${names[$k]%%_*}dB:duration=${names[$k]##*_}"
        chains+=";[c$k]$filter,ametadata=mode=print:file=$dir/ffmpeg-$k.txt,anullsink"
    done
    ffmpeg -nostdin -hide_banner -nostats -loglevel error -i "$side" \
        -filter_complex "asplit=${#names[@]}$(printf '[c%s]' "${!names[@]}")$chains" -f null -
    for k in "${!names[@]}"; do
        awk -F= -v total="$total" '
            /silence_start=/ { s[++n] = $2; e[n] = total }
            /silence_end=/ { e[n] = $2 }
            END {
                b[0] = 0; for (k = 1; k <= n; ++k) b[k] = (s[k] + e[k]) / 2; b[n + 1] = total
                for (k = 0; k <= n; ++k) {
                    inside = 0
                    for (j = 1; j <= n; ++j) if (b[k] >= s[j] - 0.01 && b[k + 1] <= e[j] + 0.01) inside = 1
                    if (!inside && b[k + 1] > b[k]) print b[k], b[k + 1]
                }
            }' "$dir/ffmpeg-$k.txt" >"$dir/pieces/ffmpeg~$(echo "${names[$k]}" | sed 's/^-/th-/;s/_/_min/').txt"
    done
}

# mp3splt pretends (-P) and exports its split points as a cue sheet: each
# piece runs from its point to the next one, the last to the end.
mp3splt_cut() {
    local name=$1
    shift
    rm -f "$dir/points.cue"
    (cd "$dir" && mp3splt -q -N -P "$@" -E points.cue side.flac >/dev/null 2>&1) || true
    if [ ! -f "$dir/points.cue" ]; then
        : >"$dir/pieces/$name.txt"
        return
    fi
    awk -v total="$total" '
        /INDEX 01/ { split($3, t, ":"); p[++n] = t[1] * 60 + t[2] + t[3] / 75 }
        END { p[n + 1] = total; for (k = 1; k <= n; ++k) if (p[k + 1] > p[k]) print p[k], p[k + 1] }' \
        "$dir/points.cue" >"$dir/pieces/$name.txt"
}

one_side() {
    local seed=$1 count
    dir=$work/side-$seed
    mkdir -p "$dir"
    read -r count _ <<<"$("$tool" make "$seed" "$dir")"
    side=$dir/side.wav
    total=$(soxi -D "$side")
    flac -s -f -o "$dir/side.flac" "$side"

    # Its own manual's example for splitting a recording at silences.
    sox_cut default silence 1 0.50 0.1% 1 2.0 0.1%
    ffmpeg_cut default $(for th in "${thresholds[@]}"; do for len in "${lengths[@]}"; do echo "${th}_$len"; done; done)
    mp3splt_cut "mp3splt~default" -s
    mp3splt_cut "mp3splt-tracks~default" -s -p "nt=$count"
    for th in "${thresholds[@]}"; do
        for len in "${lengths[@]}"; do
            local setting="th${th}_min${len}"
            sox_cut "$setting" silence 1 0.1 "${th}d" 1 "$len" "${th}d"
            mp3splt_cut "mp3splt~$setting" -s -p "th=$th,min=$len"
            mp3splt_cut "mp3splt-tracks~$setting" -s -p "th=$th,min=$len,nt=$count"
        done
    done
    "$tool" score "$dir" "$tally"
    rm -rf "$dir"
}

# JOBS sides at a time (default 1).
started=$(date +%s)
for ((i = 0; i < sides; ++i)); do
    while [ "$(jobs -rp | wc -l)" -ge "${JOBS:-1}" ]; do
        wait -n
    done
    one_side $((first + i)) &
    if (((i + 1) % 10 == 0)); then
        echo "$((i + 1)) of $sides sides started, $(($(date +%s) - started)) s" >&2
    fi
done
wait
"$tool" table "$tally"
