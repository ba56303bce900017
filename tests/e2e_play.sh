#!/usr/bin/env bash
# Plays one hand of the real game on a real X server with real key presses:
# Up twice, Deal, turn cards 2 and 4 face down with keys 2 and 4, Deal again,
# Return on the result box, Ctrl+Q. The stored Score must then be the start
# minus the bet plus bet x a pay-table multiplier, and the card back unchanged.
# Usage: e2e_play.sh path/to/quintara [screenshot-dir]
set -euo pipefail

game=$1
shots=${2:-}
start=1000
bet=20
back=56

tmp=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "e2e: $*" >&2; exit 1; }

# Let Xvfb choose a free display and tell us its number.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
export DISPLAY=":$(head -n1 "$tmp/display")"

mkdir -p "$tmp/config" "$tmp/run"
chmod 700 "$tmp/run"
printf '[Settings]\nScore=%s\nCardDeck=%s\n' "$start" "$back" >"$tmp/config/Tessaro.conf"

XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run" QT_QPA_PLATFORM=xcb \
    "$game" >"$tmp/game.log" 2>&1 &
game_pid=$!

window=$(timeout 30 xdotool search --sync --name '^Quintara$' | head -n1) ||
    fail "the table window did not appear: $(cat "$tmp/game.log")"
# There is no window manager on this server, so focus is given by hand.
focus_table() { xdotool windowfocus --sync "$window"; }
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" || true; }
# Waits until no window with a title matching $1 is mapped.
wait_gone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$1' stayed open"
}

focus_table
sleep 0.5
# A mnemonic press animates the button for 100 ms; a second press inside that
# time would be folded into the first, as it would for a person.
xdotool key alt+u; sleep 0.4
xdotool key alt+u; sleep 0.4
xdotool key alt+d
sleep 3 # five cards 0.3 s apart, with room for a slow sanitizer build
shot dealt
xdotool key 2; sleep 0.2
xdotool key 4; sleep 0.2
shot held
xdotool key alt+d

result=$(timeout 30 xdotool search --sync --onlyvisible --name '^\+\$' | head -n1) ||
    fail "no result box appeared"
sleep 0.3
shot result
xdotool windowfocus --sync "$result"
xdotool key Return
wait_gone '^\+\$'

focus_table
xdotool key ctrl+q
for _ in $(seq 150); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end after Ctrl+Q"
status=0
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the game exited with $status: $(cat "$tmp/game.log")"

conf="$tmp/config/Tessaro.conf"
score=$(sed -n 's/^Score=//p' "$conf")
stored_back=$(sed -n 's/^CardDeck=//p' "$conf")
[ "$stored_back" = "$back" ] || fail "CardDeck is '$stored_back', expected $back"
win=$((score - (start - bet)))
for m in 0 1 2 3 5 7 10 50 100 500; do
    if [ "$win" -eq $((bet * m)) ]; then
        echo "e2e: bet $bet, paid x$m, stored Score $score"
        exit 0
    fi
done
fail "stored Score $score is not $((start - bet)) + $bet x a multiplier"
