# Shared by the end-to-end tests: a private X server, games started on it with
# their own settings stores, and the waits between key presses. Source it from
# a bash script running under `set -euo pipefail`.

tmp=$(mktemp -d)
xvfb_pid=""
wm_pid=""
game_pids=()
cleanup() {
    local pid
    for pid in "${game_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${game_pids[@]}"; do { wait "$pid"; } 2>/dev/null || true; done
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "e2e: $*" >&2
    # A server gone under the test is the likelier story than the game; say so.
    if [ -n "$xvfb_pid" ] && ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "e2e: Xvfb has ended: $(cat "$tmp/xvfb.log" 2>/dev/null)" >&2
    fi
    exit 1
}

# Starts Xvfb on a display it chooses itself, and points DISPLAY at it.
start_xvfb() { # [WxH]
    Xvfb -displayfd 3 -screen 0 "${1:-800x600}x24" -nolisten tcp 3>"$tmp/display" \
        2>"$tmp/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
    [ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    export DISPLAY=":$(head -n1 "$tmp/display")"
    # One runtime directory for every game, as one user has.
    mkdir -p "$tmp/run"
    chmod 700 "$tmp/run"
}

# Runs openbox on the private server, as a player's desktop has a window
# manager; returns once it has taken the screen.
start_window_manager() {
    local attempt
    for attempt in 1 2 3; do
        openbox --sm-disable --config-file /dev/null >"$tmp/openbox.log" 2>&1 &
        wm_pid=$!
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            kill -0 "$wm_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$wm_pid" 2>/dev/null || true
    done
    fail "openbox did not start: $(cat "$tmp/openbox.log")"
}

# Prints x y width height of the frame the window manager drew around window
# $1: its ancestor just below the root window (the window itself without one).
frame_of() { # window
    local id=$1 parent root
    root=$(xwininfo -root | awk '/Window id:/ {print $4}')
    while parent=$(xwininfo -children -id "$id" | awk '/Parent window id:/ {print $4}') &&
        [ -n "$parent" ] && [ "$((parent))" -ne "$((root))" ]; do
        id=$parent
    done
    xwininfo -id "$id" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

# Fails unless $1 and $2 differ by at most 4 (2 px, as the doubled centres compare).
near() { # value expected what
    [ "$(($1 - $2))" -le 4 ] && [ "$(($2 - $1))" -le 4 ] || fail "$3: $1, expected $2 within 4"
}

# A settings store under $tmp/NAME holding SCORE and BACK; prints its config home.
make_store() { # name score back
    mkdir -p "$tmp/$1"
    printf '[Settings]\nScore=%s\nCardDeck=%s\n' "$2" "$3" >"$tmp/$1/Tessaro.conf"
    echo "$tmp/$1"
}
stored() { # config-home key
    sed -n "s/^$2=//p" "$1/Tessaro.conf"
}

# Starts the game on config home $2 with its output in $tmp/$3.log, in the
# shared runtime folder or in folder $4 ("-" for none); the process id is left
# in $game_pid.
game_pid=""
start_game() { # game config-home log-name [runtime-folder]
    local runtime=${4:-$tmp/run}
    if [ "$runtime" = - ]; then
        env -u XDG_RUNTIME_DIR XDG_CONFIG_HOME="$2" QT_QPA_PLATFORM=xcb \
            "$1" >"$tmp/$3.log" 2>&1 &
    else
        XDG_CONFIG_HOME="$2" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
            "$1" >"$tmp/$3.log" 2>&1 &
    fi
    game_pid=$!
    game_pids+=("$game_pid")
}

# Prints the table window of process $1 once it is mapped. Without --all,
# xdotool takes a window that meets either condition, such as a box.
table_window() { # pid log-name
    timeout 30 xdotool search --sync --all --onlyvisible --pid "$1" --name '^Quintara$' |
        head -n1 ||
        fail "the table window did not appear: $(cat "$tmp/$2.log")"
}
# Prints how many table windows are mapped.
table_count() {
    xdotool search --onlyvisible --name '^Quintara$' 2>/dev/null | wc -l
}
# Fails unless $1 table windows are mapped, once a just-mapped one shows in the
# window list.
expect_tables() { # count what
    for _ in $(seq 50); do
        [ "$(table_count)" -eq "$1" ] && return 0
        sleep 0.1
    done
    fail "$2: $(table_count) table windows, not $1"
}
# Without a window manager nobody gives the focus, so it is given by hand.
focus() { xdotool windowfocus --sync "$1"; }

# Waits until no window with a title matching $1 is mapped.
wait_gone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$1' stayed open"
}

# Waits for process $1 to end and leaves its exit code in $status.
status=""
wait_exit() { # pid what
    for _ in $(seq 150); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$1" 2>/dev/null && fail "$2 did not end"
    status=0
    wait "$1" || status=$?
}

# One key press, and time for the button it clicks to be shown pressed.
press() { xdotool key "$1"; sleep 0.4; }

# Deals a hand in the focused table window: five cards 0.3 s apart, with room
# for a slow sanitizer build.
deal() { xdotool key alt+d; sleep 3; }

# Answers the result box of the draw.
close_result() {
    local box
    box=$(timeout 30 xdotool search --sync --onlyvisible --name '^\+\$' | head -n1) ||
        fail "no result box appeared"
    sleep 0.3
    [ -n "${1:-}" ] && import -window root "$1"
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_gone '^\+\$'
}

# True when $2 equals start $1 less bet $3 plus the bet times a multiplier of the pay table.
paid_from() { # start score bet
    local m win=$(($2 - ($1 - $3)))
    for m in 0 1 2 3 5 7 10 50 100 500; do
        [ "$win" -eq $(($3 * m)) ] && return 0
    done
    return 1
}
