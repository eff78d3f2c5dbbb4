#!/usr/bin/env bash
# Starts or stops a private PulseAudio daemon for the tests: its own runtime
# folder under DIR, nothing system-wide. It offers
#   zsource  a pipe source fed bit-exact from DIR/source.fifo (s16le, 44100 Hz, stereo)
#   zsink    a null sink (the default output); its monitor can be recorded
#            bit-exact (without rewinds, since a rewind drops from the monitor
#            the start of a stream that has just begun)
# Clients reach it with PULSE_SERVER=unix:DIR/runtime/pulse/native.
# Without the pulseaudio program (PipeWire alone serves the sound here) start
# says so and exits 77: the tests that need the server then skip themselves.
# PULSEAUDIO names another program to start.
set -eu
cmd=${1:?start|stop|env}
dir=$(mkdir -p "${2:?folder}" && cd "$2" && pwd)
export XDG_RUNTIME_DIR=$dir/runtime HOME=$dir/home PULSE_RUNTIME_PATH=$dir/runtime/pulse
export PULSE_STATE_PATH=$dir/state PULSE_SERVER=unix:$dir/runtime/pulse/native
unset DBUS_SESSION_BUS_ADDRESS
case $cmd in
start)
    daemon=${PULSEAUDIO:-pulseaudio}
    if ! command -v "$daemon" >/dev/null 2>&1; then
        echo "skipped: no '$daemon' program to run a private sound server (install pulseaudio);" \
             "the tests that record and play are skipped"
        exit 77
    fi
    "$0" stop "$dir" >/dev/null 2>&1 || true
    mkdir -p "$XDG_RUNTIME_DIR/pulse" "$HOME" "$PULSE_STATE_PATH"
    chmod 700 "$XDG_RUNTIME_DIR"
    rm -f "$dir/source.fifo"
    "$daemon" -n --daemonize=yes --exit-idle-time=-1 --use-pid-file=yes --disallow-exit=no \
        --log-target="file:$dir/daemon.log" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/runtime/pulse/native" \
        -L "module-null-sink sink_name=zsink rate=44100 channels=2 norewinds=1" \
        -L "module-pipe-source source_name=zsource file=$dir/source.fifo format=s16le rate=44100 channels=2" \
        -L "module-always-sink" >/dev/null 2>&1 || { cat "$dir/daemon.log" >&2; exit 1; }
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl set-default-sink zsink
    pactl set-default-source zsource
    echo "private PulseAudio daemon at $PULSE_SERVER"
    ;;
stop)
    if [ -f "$PULSE_RUNTIME_PATH/pid" ]; then
        pid=$(cat "$PULSE_RUNTIME_PATH/pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$PULSE_RUNTIME_PATH/pid"
    ;;
env)
    echo "export PULSE_SERVER=$PULSE_SERVER"
    ;;
esac
