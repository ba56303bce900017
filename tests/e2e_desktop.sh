#!/usr/bin/env bash
# The game on a desktop with a window manager (openbox), measured as the player
# sees the windows, by their frames: the table centred on the screen, the pay
# table centred on the table, the result box below the table without covering
# it. And three presses of Alt+U 30 ms apart, which must raise the bet by $30.
# Usage: e2e_desktop.sh path/to/quintara
set -euo pipefail
. "$(dirname "$0")/e2e_lib.sh"

game=$1
start=500

start_xvfb 1024x768
start_window_manager

# Three quick presses, then a deal and Quit in the middle of the hand: the
# stored account is the start less the bet, which must be $30.
conf=$(make_store config "$start" 60)
start_game "$game" "$conf" keys
window=$(table_window "$game_pid" keys)
focus "$window"
sleep 0.5
xdotool key --delay 30 alt+u alt+u alt+u
sleep 0.5
deal
xdotool key ctrl+q
wait_exit "$game_pid" "the game after Ctrl+Q"
score=$(stored "$conf" Score)
[ "$score" -eq $((start - 30)) ] ||
    fail "three Alt+U presses 30 ms apart bet $((start - score)), not 30"

start_game "$game" "$conf" frames
window=$(table_window "$game_pid" frames)
focus "$window"
sleep 0.5
read -r tx ty tw th < <(frame_of "$window")
read -r sw sh < <(xdotool getdisplaygeometry)
near $((2 * tx + tw)) "$sw" "the table's frame centre x (doubled)"
near $((2 * ty + th)) "$sh" "the table's frame centre y (doubled)"

xdotool key ctrl+i
info=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quintara Information$' |
    head -n1) || fail "no pay table window appeared"
sleep 0.5
read -r ix iy iw ih < <(frame_of "$info")
near $((2 * ix + iw)) $((2 * tx + tw)) "the pay table's frame centre x against the table's (doubled)"
near $((2 * iy + ih)) $((2 * ty + th)) "the pay table's frame centre y against the table's (doubled)"
xdotool key Return
wait_gone '^Quintara Information$'

focus "$window"
xdotool key alt+u
sleep 0.5
deal
xdotool key alt+d
box=$(timeout 30 xdotool search --sync --onlyvisible --name '^\+\$' | head -n1) ||
    fail "no result box appeared"
sleep 0.5
read -r bx by bw bh < <(frame_of "$box")
if [ $((by + bh)) -gt "$ty" ] && [ "$by" -lt $((ty + th)) ] &&
    [ $((bx + bw)) -gt "$tx" ] && [ "$bx" -lt $((tx + tw)) ]; then
    fail "the result box's frame ${bw}x${bh}+$bx+$by overlaps the table's ${tw}x${th}+$tx+$ty"
fi
xdotool windowfocus --sync "$box"
xdotool key Return
wait_gone '^\+\$'
focus "$window"
xdotool key ctrl+q
wait_exit "$game_pid" "the game after Ctrl+Q"
echo "e2e: table frame ${tw}x${th}+$tx+$ty, pay table ${iw}x${ih}+$ix+$iy, box ${bw}x${bh}+$bx+$by"
