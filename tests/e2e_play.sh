#!/usr/bin/env bash
# Plays one hand of the real game on a real X server with real key presses:
# Up twice, Deal, turn cards 2 and 4 face down with keys 2 and 4, Deal again,
# Return on the result box, Ctrl+Q. The stored Score must then be the start
# minus the bet plus bet x a pay-table multiplier, and the card back unchanged.
# Usage: e2e_play.sh path/to/quintara [screenshot-dir]
set -euo pipefail
. "$(dirname "$0")/e2e_lib.sh"

game=$1
shots=${2:-}
start=1000
bet=20
back=56

start_xvfb
conf=$(make_store config "$start" "$back")
start_game "$game" "$conf" game
window=$(table_window "$game_pid" game)
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" || true; }

focus "$window"
sleep 0.5
press alt+u
press alt+u
deal
shot dealt
xdotool key 2; sleep 0.2
xdotool key 4; sleep 0.2
shot held
xdotool key alt+d
close_result "${shots:+$shots/result.png}"

focus "$window"
xdotool key ctrl+q
wait_exit "$game_pid" "the game after Ctrl+Q"
[ "$status" -eq 0 ] || fail "the game exited with $status: $(cat "$tmp/game.log")"

score=$(stored "$conf" Score)
stored_back=$(stored "$conf" CardDeck)
[ "$stored_back" = "$back" ] || fail "CardDeck is '$stored_back', expected $back"
paid_from "$start" "$score" "$bet" ||
    fail "stored Score $score is not $((start - bet)) + $bet x a multiplier"
echo "e2e: bet $bet, stored Score $score"
