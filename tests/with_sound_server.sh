#!/usr/bin/env bash
# Runs a command against a private PulseAudio server with one null sink, so the
# real sound output is exercised on machines with no sound card or session.
set -euo pipefail
dir=$(mktemp -d)
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT

export HOME=$dir XDG_RUNTIME_DIR=$dir PULSE_SERVER=unix:$dir/native
# As root PulseAudio warns that it is meant for users; the warning is harmless here.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr --log-level=error \
    -L module-null-sink -L "module-native-protocol-unix socket=$dir/native" 2>"$dir/log" &
server=$!
for _ in $(seq 100); do
    [ -S "$dir/native" ] && break
    kill -0 "$server" 2>/dev/null || { cat "$dir/log" >&2; echo "sound server did not start" >&2; exit 1; }
    sleep 0.1
done
[ -S "$dir/native" ] || { echo "sound server did not start in time" >&2; exit 1; }
QUINTARA_REQUIRE_AUDIO=1 "$@"
