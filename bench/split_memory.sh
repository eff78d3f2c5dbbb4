#!/bin/sh
# Peak memory of `zolvane2-cli split` on a WAVE file whose audio starts far
# into it: a format chunk padded to JUNK_MB (default 300) megabytes, sparse,
# followed by DATA_MB (default 64) megabytes of audio. The README promises
# less than 32 MB at any size; the run fails above that.
#   bench/split_memory.sh CLI [JUNK_MB [DATA_MB]]
# The folder lives under ZOLVANE2_BENCH_DIR (default /tmp) and is removed.
set -eu
cli=$(realpath "$1")
junk=$((${2:-300} * 1048576))
data=$((${3:-64} * 1048576))
top=$(mktemp -d "${ZOLVANE2_BENCH_DIR:-/tmp}/zolvane2-memory-XXXXXX")
trap 'rm -rf "$top"' EXIT
file=$top/Far.wav

# le32 N: N as four little-endian bytes.
le32() {
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) \
        $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
}
fmt=$((16 + junk))
{
    printf 'RIFF'
    le32 $((4 + 8 + fmt + 8 + data))
    printf 'WAVEfmt '
    le32 "$fmt"
    # PCM, 2 channels, 44100 Hz, 176400 bytes/s, 4-byte frames, 16 bits.
    printf '\001\000\002\000\104\254\000\000\020\261\002\000\004\000\020\000'
} > "$file"
truncate -s $((20 + fmt)) "$file"
{
    printf 'data'
    le32 "$data"
    head -c "$data" /dev/urandom
} >> "$file"

/usr/bin/time -v "$cli" split --mode none "$file" > /dev/null 2> "$top/time.txt" || {
    cat "$top/time.txt" >&2
    exit 1
}
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$top/time.txt")
piece=$(stat -c %s "$top/Far-00001.wav")
echo "audio at $((20 + fmt + 8)) bytes, $data bytes of it: piece $piece bytes, peak resident memory $rss kB"
[ "$piece" -eq $((44 + data)) ] || { echo "the piece does not hold the audio" >&2; exit 1; }
[ "$rss" -lt 32768 ] || { echo "over 32 MB" >&2; exit 1; }
