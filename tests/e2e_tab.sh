#!/usr/bin/env bash
# The keyboard path through the hold buttons, with real Tab and Space presses:
# after a deal Space turns card 1, then each Tab, Space turns the next card, so
# Tab reaches all five hold buttons in order; the release of Space on the
# fifth moves the focus to Deal, where one more Space draws the hand.
# A card is told face down by its picture: all five then show the same back.
# Deal has the focus at the start and after a click on a card, and a draw by
# Alt+D from a hold button leaves it where Space deals.
# Usage: e2e_tab.sh path/to/quintara
set -euo pipefail
. "$(dirname "$0")/e2e_lib.sh"

game=$1
start_xvfb
conf=$(make_store config 1000 56)
start_game "$game" "$conf" game
window=$(table_window "$game_pid" game)

# The inside of card place $2 (1..5) in window picture $1, as its own picture.
# The places are 80 pixels apart and 8 below the menu bar, whose height is what
# the window has above its 218-pixel field.
card() { # picture place
    local height top
    height=$(identify -format %h "$1")
    top=$((height - 218 + 8 + 6))
    convert "$1" -crop "61x85+$((16 + 80 * ($2 - 1) + 6))+$top" +repage "$1.card$2.png"
    echo "$1.card$2.png"
}
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
snap() { import -window "$window" "$tmp/$1.png"; echo "$tmp/$1.png"; }

focus "$window"
sleep 0.5
# Deal has the focus at the start: Space deals, and a bet of 0 is refused.
xdotool key space
box=$(timeout 10 xdotool search --sync --onlyvisible --name "^NO'p$" | head -n1) ||
    fail "Space at the start did not press Deal"
xdotool windowfocus --sync "$box"
xdotool key Return
wait_gone "^NO'p$"
focus "$window"
press alt+u
deal
before=$(snap dealt)
for place in 1 2 3 4 5; do
    if [ "$place" -gt 1 ]; then xdotool key Tab; sleep 0.3; fi
    xdotool key space
    sleep 0.5
    xdotool search --onlyvisible --name '^\+\$' >/dev/null 2>&1 &&
        fail "Space after $((place - 1)) Tabs drew the hand"
    after=$(snap "turned$place")
    same "$(card "$before" "$place")" "$(card "$after" "$place")" &&
        fail "Space after $((place - 1)) Tabs did not turn card $place"
    before=$after
done
for place in 2 3 4 5; do
    same "$(card "$after" 1)" "$(card "$after" "$place")" ||
        fail "card $place does not show the back card 1 shows"
done
# The focus is on Deal now.
xdotool key space
close_result

# A left click on a card turns it and hands the focus to Deal: Space draws.
focus "$window"
deal
height=$(identify -format %h "$(snap clicked)")
xdotool mousemove --window "$window" $((16 + 80 * 2 + 30)) $((height - 218 + 8 + 40)) click 1
sleep 0.5
xdotool key space
close_result

# A draw by Alt+D from a hold button leaves the focus where Space deals again.
focus "$window"
deal
xdotool key alt+d
close_result
focus "$window"
xdotool key space
sleep 3
xdotool key alt+d
close_result

focus "$window"
xdotool key ctrl+q
wait_exit "$game_pid" "the game after Ctrl+Q"
[ "$status" -eq 0 ] || fail "the game exited with $status: $(cat "$tmp/game.log")"
echo "e2e: Tab and Space turned cards 1 to 5 in order, then Space drew the hand; Deal took the focus at the start and from a card"
