#!/usr/bin/env bash
# Makes the README's screenshot: the game running in an Xvfb server of its
# own, with routes dragged from the first aircraft that fly in. Run it again
# whenever the art changes:
#
#   tools/screenshot.sh [OUTPUT.png]      (default docs/screenshot.png)
#
# It builds the game as ./play.sh does, runs a copy of it with its bitmaps in
# a scratch folder (so no best score shows), waits for aircraft, presses on
# them and drags routes with xdotool, and takes the window with ImageMagick's
# import. The picture is stored with a small palette to keep it a few tens
# of kB.
set -euo pipefail
trap 'echo "tools/screenshot.sh: failed at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
out="${1:-docs/screenshot.png}"

tools/ensure_packages.sh cmake make g++ pkg-config libsdl1.2-dev libsdl-gfx1.2-dev \
    xvfb xdotool imagemagick
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build build/release -j2 --target corvane >/dev/null

AIRCRAFT_WAIT_S=60    # tries, a second apart, to route an aircraft
ROUTED_CLEARANCE=60   # from where the last route started, for the next one
MIN_ROUTE_PIXELS=50   # that a new route adds to the window
AFTER_ROUTES_S=2      # the aircraft take their looks and fly on a little
PALETTE_COLOURS=32
# Where aircraft are not looked for: the panel along the top, and the
# runways and pad, whose white paint would pass for an airframe.
PANEL_BOTTOM=30
AIRFIELD_LEFT=240 AIRFIELD_RIGHT=530 AIRFIELD_TOP=150 AIRFIELD_BOTTOM=380
# Two routes ending on the east-west runway and the north-south one.
ROUTE_ENDS=("262 197 330 197" "434 356 434 300")

work="$(mktemp -d)"
xvfb_pid=""
game_pid=""
stop() {
    # Only the two processes started here, and only once they exist.
    if [ -n "$game_pid" ] && [ "$game_pid" -gt 1 ]; then kill "$game_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ] && [ "$xvfb_pid" -gt 1 ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap stop EXIT

cp build/release/corvane "$work/"
cp -r build/release/bitmaps "$work/"

# Xvfb picks a free display and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY

(cd "$work" && SDL_VIDEODRIVER=x11 exec ./corvane 2>/dev/null) &
game_pid=$!
window="$(timeout 20 xdotool search --sync --name Corvane | head -n1)" ||
    { echo "The game's window did not appear within 20 s" >&2; exit 1; }
# Without a window manager the window lies at the origin, so window and
# screen coordinates agree.

# Prints "x y", the middle of the light airframe pixels, for each aircraft
# on the last shot: pixels within an aircraft's size of a cluster's first
# one join it.
find_aircraft() {
    convert "$work/shot.png" -depth 8 txt:- | awk -F'[,:() ]+' \
        -v top="$PANEL_BOTTOM" -v l="$AIRFIELD_LEFT" -v r="$AIRFIELD_RIGHT" \
        -v t="$AIRFIELD_TOP" -v b="$AIRFIELD_BOTTOM" '
        BEGIN { n = 0 }
        NR > 1 && $2 >= top && !($1 >= l && $1 <= r && $2 >= t && $2 <= b) &&
        $3 >= 220 && $4 >= 220 && $5 >= 220 && !($3 == 255 && $4 == 255 && $5 == 255) {
            for (i = 0; i < n; ++i) {
                if (($1 - xs[i]) ^ 2 + ($2 - ys[i]) ^ 2 < 26 ^ 2) {
                    sx[i] += $1; sy[i] += $2; ++count[i]
                    next
                }
            }
            xs[n] = sx[n] = $1; ys[n] = sy[n] = $2; count[n] = 1; ++n
        }
        END {
            # One aircraft may leave two clusters; keep the first of them.
            for (i = 0; i < n; ++i) {
                mx[i] = int(sx[i] / count[i]); my[i] = int(sy[i] / count[i])
                for (j = 0; j < i; ++j)
                    if (kept[j] && (mx[i] - mx[j]) ^ 2 + (my[i] - my[j]) ^ 2 < 40 ^ 2) break
                kept[i] = j == i
                if (kept[i]) print mx[i], my[i]
            }
        }'
}

# Presses on the aircraft and drags a route in small steps, which the game
# reads one per tick: a bend on the way, then the approach and the runway.
drag_route() {
    local x=$1 y=$2 ax=$3 ay=$4 ex=$5 ey=$6
    local mx=$(((x + ax) / 2)) my=$(((y + ay) / 2 + 40))
    local args=(mousemove "$x" "$y" sleep 0.05 mousedown 1)
    for point in "$mx $my" "$ax $ay" "$ex $ey"; do
        read -r px py <<<"$point"
        for step in 1 2 3 4 5 6; do
            args+=(sleep 0.02 mousemove $((x + (px - x) * step / 6)) $((y + (py - y) * step / 6)))
        done
        x=$px y=$py
    done
    echo "Route from an aircraft at $1, $2"
    xdotool "${args[@]}" sleep 0.05 mouseup 1
}

# Counts the pixels of routes on the window: green blended over the dark
# field, darker than the approach look's bright green.
count_route_pixels() {
    import -window "$window" "$work/check.png"
    convert "$work/check.png" -depth 8 txt:- | awk -F'[,:() ]+' \
        'NR > 1 && $4 < 200 && $4 - $3 > 60 && $4 - $5 > 60 { ++n } END { print n + 0 }'
}

# Keys reach the window under the pointer. Each picture is looked at while
# the game is paused, so the aircraft are still where it shows them when the
# press comes right after the game resumes. A drag that made no route (the
# press missed) is tried again; an aircraft given a route is passed over
# for the next one.
xdotool mousemove 320 240
routed=()
for route in "${ROUTE_ENDS[@]}"; do
    drawn=""
    for _ in $(seq "$AIRCRAFT_WAIT_S"); do
        before=$(count_route_pixels)
        import -window "$window" "$work/shot.png"
        xdotool key p
        target=""
        while read -r x y; do
            far=1
            for done_at in "${routed[@]}"; do
                read -r rx ry <<<"$done_at"
                [ $(((x - rx) ** 2 + (y - ry) ** 2)) -lt $((ROUTED_CLEARANCE ** 2)) ] && far=0
            done
            [ "$far" = 1 ] && { target="$x $y"; break; }
        done < <(find_aircraft)
        xdotool key p
        if [ -n "$target" ]; then
            read -ra from <<<"$target"
            read -ra ends <<<"$route"
            drag_route "${from[@]}" "${ends[@]}"
            if [ "$(count_route_pixels)" -gt $((before + MIN_ROUTE_PIXELS)) ]; then
                drawn="$target"
                break
            fi
        fi
        sleep 1
    done
    [ -n "$drawn" ] || { echo "No route was made within ${AIRCRAFT_WAIT_S} tries" >&2; exit 1; }
    routed+=("$drawn")
done
sleep "$AFTER_ROUTES_S"
import -window "$window" "$work/shot.png"
mkdir -p "$(dirname "$out")"
convert "$work/shot.png" -dither None -colors "$PALETTE_COLOURS" -strip "PNG8:$out"
echo "Wrote $out ($(stat -c %s "$out") bytes)"
