#!/usr/bin/env bash
# One running game per settings store, on a real X server. A second start on
# store A ends with code 0 and brings A's window to the front, so only the
# first game ever writes A's account; store B runs beside it; after kill -9 of
# B's game, whose lock stays behind, B starts again, and a later start of B
# brings the restarted game forward.
# Usage: e2e_single.sh path/to/quintara
set -euo pipefail
. "$(dirname "$0")/e2e_lib.sh"

game=$1
bet=10

start_xvfb
store_a=$(make_store a 1000 56)
store_b=$(make_store b 500 60)

start_game "$game" "$store_a" a1
a1=$game_pid
window_a=$(table_window "$a1" a1)
start_game "$game" "$store_b" b1
b1=$game_pid
window_b=$(table_window "$b1" b1)
expect_tables 2 "two stores"

# B has the focus when A is started again.
focus "$window_b"
began=$(date +%s%N)
start_game "$game" "$store_a" a2
wait_exit "$game_pid" "the second start of store A"
took=$((($(date +%s%N) - began) / 1000000))
[ "$status" -eq 0 ] || fail "the second start exited with $status: $(cat "$tmp/a2.log")"
expect_tables 2 "after the second start of store A"
for _ in $(seq 50); do
    [ "$(xdotool getwindowfocus)" = "$window_a" ] && break
    sleep 0.1
done
[ "$(xdotool getwindowfocus)" = "$window_a" ] || fail "the second start did not bring A forward ($window_a, focus $(xdotool getwindowfocus)): $(cat "$tmp/a2.log")"
echo "e2e: the second start ended in $took ms"

# A hand in the first game; what it stores is what the second start must not undo.
focus "$window_a"
sleep 0.5
press alt+u
deal
xdotool key alt+d
close_result
focus "$window_a"
xdotool key ctrl+q
wait_exit "$a1" "game A after Ctrl+Q"
[ "$status" -eq 0 ] || fail "game A exited with $status: $(cat "$tmp/a1.log")"
score_a=$(stored "$store_a" Score)
paid_from 1000 "$score_a" "$bet" || fail "store A holds $score_a, not the first game's account"

kill -9 "$b1"
{ wait "$b1"; } 2>/dev/null || true
[ -e "$store_b/.Tessaro.conf.quintara-lock" ] || fail "the killed game left no lock to take over"
start_game "$game" "$store_b" b2
b2=$game_pid
window_b=$(table_window "$b2" b2)
# The restarted game answers later starts as the first one did, even while
# another store's game has the focus.
start_game "$game" "$(make_store c 200 57)" c1
focus "$(table_window "$game_pid" c1)"
start_game "$game" "$store_b" b3
wait_exit "$game_pid" "a second start of store B after its restart"
[ "$status" -eq 0 ] || fail "the second start of B exited with $status: $(cat "$tmp/b3.log")"
for _ in $(seq 50); do
    [ "$(xdotool getwindowfocus)" = "$window_b" ] && break
    sleep 0.1
done
[ "$(xdotool getwindowfocus)" = "$window_b" ] || fail "the restarted game B was not brought forward"

# Another local user can reach a game's socket, which has no file modes; it
# must neither raise the game nor give it the focus. And a name another user
# bound first leaves the player's own second start answered at once.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
    socket_name() { # config-home: the name a game of this user on that store listens on
        printf '/quintara-%s-%s' "$(id -u)" \
            "$(printf '%s' "$(realpath "$1/Tessaro.conf")" | sha256sum | cut -c1-16)"
    }
    store_c=$tmp/c
    stacking=$(xwininfo -root -children | grep -c 0x)
    order=$(xwininfo -root -children | grep 0x)
    as_nobody /usr/bin/python3 -c '
import socket, sys
for _ in range(20):
    s = socket.socket(socket.AF_UNIX)
    s.settimeout(2)
    s.connect(b"\0" + sys.argv[1].encode())
    s.recv(1)
    s.close()
' "$(socket_name "$store_c")" || fail "another user could not even connect to game C"
    sleep 1
    [ "$(xdotool getwindowfocus)" = "$window_b" ] ||
        fail "another user's connection gave game C the focus"
    [ "$(xwininfo -root -children | grep 0x)" = "$order" ] ||
        fail "another user's connection raised a window ($stacking windows)"

    store_d=$(make_store d 300 58)
    setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_UNIX)
s.bind(b"\0" + sys.argv[1].encode())
s.listen(8)
time.sleep(60)
' "$(socket_name "$store_d")" &
    squatter=$!
    game_pids+=("$squatter")
    sleep 0.5
    start_game "$game" "$store_d" d1
    d1=$game_pid
    table_window "$d1" d1 >/dev/null
    grep -q "another user" "$tmp/d1.log" ||
        fail "game D did not say that another user holds its name: $(cat "$tmp/d1.log")"
    began=$(date +%s%N)
    start_game "$game" "$store_d" d2
    wait_exit "$game_pid" "a second start of D beside another user's socket"
    took=$((($(date +%s%N) - began) / 1000000))
    [ "$took" -le 2000 ] || fail "the second start of D took $took ms"
    grep -q "another user" "$tmp/d2.log" ||
        fail "the second start of D did not say why: $(cat "$tmp/d2.log")"
    kill "$squatter" "$d1" 2>/dev/null || true
    echo "e2e: another user neither raised nor focused a game; the second start of D ended in $took ms"
else
    echo "e2e: not root or no setpriv: the second user's cases are skipped"
fi
focus "$window_b"
xdotool key ctrl+q
wait_exit "$b2" "game B after Ctrl+Q"
[ "$status" -eq 0 ] || fail "game B exited with $status: $(cat "$tmp/b2.log")"
[ "$(stored "$store_b" Score)" = 500 ] || fail "store B holds $(stored "$store_b" Score)"

# Without a sound server the games stay silent, and say nothing about it.
! grep -il pulseaudio "$tmp"/*.log || fail "a game spoke of PulseAudio"
echo "e2e: store A holds $score_a after one hand, store B ran beside it and restarted after kill -9"
