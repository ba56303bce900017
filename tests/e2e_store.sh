#!/usr/bin/env bash
# Stores that are not what they should be, on a real X server: a FIFO where
# the store should be, a link to a device, a disk with no room for the save,
# and one store reached through different runtime folders. The game starts,
# ends on a signal, leaves what is not a regular file alone and never leaves
# an empty store. The cases that need root (a device node, a small file
# system) are skipped without it.
# Usage: e2e_store.sh path/to/quintara
set -euo pipefail
. "$(dirname "$0")/e2e_lib.sh"

game=$1
start_xvfb

# Starts the game on store folder $1 that it cannot read, so a new player's
# welcome comes first; answers it, waits for the table and ends the game with
# SIGTERM. Leaves the exit code in $status.
play_and_terminate() { # config-home log-name
    start_game "$game" "$1" "$2"
    local pid=$game_pid box
    box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Welcome !$' | head -n1) ||
        fail "no welcome box on $2: $(cat "$tmp/$2.log")"
    xdotool windowfocus --sync "$box"
    xdotool key Return
    table_window "$pid" "$2" >/dev/null
    kill -TERM "$pid"
    wait_exit "$pid" "the game on $2 after SIGTERM"
}

# A FIFO, reached directly and through a link: reading it would block for good.
mkdir -p "$tmp/fifo" "$tmp/fifo-link"
mkfifo "$tmp/fifo/Tessaro.conf"
ln -s "$tmp/fifo/Tessaro.conf" "$tmp/fifo-link/Tessaro.conf"
for home in fifo fifo-link; do
    play_and_terminate "$tmp/$home" "$home"
    [ "$status" -eq 0 ] || fail "the game on a $home store exited with $status"
    [ -p "$tmp/fifo/Tessaro.conf" ] || fail "the $home store is no longer a FIFO"
    grep -q "could not be saved" "$tmp/$home.log" ||
        fail "the game on a $home store did not say it could not save: $(cat "$tmp/$home.log")"
done

if [ "$(id -u)" -ne 0 ]; then
    echo "e2e: not root: the device and full-disk cases are skipped"
    echo "e2e: FIFO stores start and end on SIGTERM"
    exit 0
fi

# A link to a character device (the null device's numbers, made here).
mkdir -p "$tmp/device"
mknod "$tmp/device/null" c 1 3
ln -s "$tmp/device/null" "$tmp/device/Tessaro.conf"
play_and_terminate "$tmp/device" device
[ "$status" -eq 0 ] || fail "the game on a device store exited with $status"
[ -c "$tmp/device/null" ] || fail "the device node was replaced"

# A file system with one free page: Reset Score then Quit must leave either
# the old store or the new one, never an empty file.
mkdir -p "$tmp/full"
if mount -t tmpfs -o size=64k tmpfs "$tmp/full" 2>/dev/null; then
    printf '[Settings]\nScore=250\nCardDeck=56\n' >"$tmp/full/Tessaro.conf"
    dd if=/dev/zero of="$tmp/full/filler" bs=4096 2>/dev/null || true
    truncate -s -4096 "$tmp/full/filler"
    start_game "$game" "$tmp/full" full
    full_pid=$game_pid
    window=$(table_window "$full_pid" full)
    focus "$window"
    press ctrl+r
    xdotool key ctrl+q
    wait_exit "$full_pid" "the game on a full disk after Ctrl+Q"
    score=$(stored "$tmp/full" Score)
    umount "$tmp/full"
    [ "$status" -eq 0 ] || fail "the game on a full disk exited with $status"
    case "$score" in
    250 | 100) ;;
    *) fail "the store on a full disk holds Score='$score': $(cat "$tmp/full.log")" ;;
    esac
    echo "e2e: on a full disk the store holds Score=$score"
else
    echo "e2e: no tmpfs can be mounted here: the full-disk case is skipped"
fi

# One store, three runtime folders (one of them none at all): one table.
store=$(make_store shared 300 58)
mkdir -m 700 -p "$tmp/run-a" "$tmp/run-b"
start_game "$game" "$store" shared1 "$tmp/run-a"
first=$game_pid
table_window "$first" shared1 >/dev/null
for runtime in "$tmp/run-b" -; do
    start_game "$game" "$store" shared2 "$runtime"
    wait_exit "$game_pid" "a second start with runtime folder $runtime"
    [ "$status" -eq 0 ] || fail "a second start exited with $status: $(cat "$tmp/shared2.log")"
done
expect_tables 1 "one store, three runtime folders"

# A stopped game cannot answer; the second start says so instead of ending silently.
kill -STOP "$first"
start_game "$game" "$store" stopped "$tmp/run-b"
wait_exit "$game_pid" "a start while the first game is stopped"
kill -CONT "$first"
grep -q "does not answer" "$tmp/stopped.log" ||
    fail "a start beside a stopped game said nothing: $(cat "$tmp/stopped.log")"

echo "e2e: FIFO and device stores left alone, the full disk kept a whole store, one table per store"
