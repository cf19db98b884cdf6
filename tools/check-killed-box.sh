#!/usr/bin/env bash
# A game killed while its error box is up must take the box with it and leave
# the next start free to open its window; SIGTERM ends a game and its box too;
# the settings program without a display ends at once instead of running unseen.
# Runs a copy of the built game folder on a private X server (Xvfb), with the
# palette archive taken away so the game halts with a box.
#
#   tools/check-killed-box.sh <game folder> [settings tool]
#
# The settings tool (qorv_defaultcfg) writes a first settings file when the
# folder has none. Without Xvfb or xdotool the check is skipped.
set -euo pipefail
game=$(cd "${1:?usage: $0 <game folder> [settings tool]}" && pwd)
cfgtool=${2:-}
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "check-killed-box: $tool is not installed; skipped"
    exit 0
  fi
done

work=$(mktemp -d)
xpid=""
cleanup() {
  # Only what this script started: games and boxes by their recorded ids, then the server.
  for f in "$work"/*.pid; do
    [ -f "$f" ] && kill -9 "$(cat "$f")" 2>/dev/null || true
  done
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "check-killed-box: FAILED: $*"
  for f in "$work"/*.err; do [ -s "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}

cp -r "$game" "$work/game"
if [ ! -f "$work/game/data/dbcfg.sai" ]; then
  [ -n "$cfgtool" ] || fail "the game folder has no settings file and no settings tool was given"
  "$cfgtool" "$work/game/data/dbcfg.sai" >/dev/null
fi
[ -f "$work/game/data/pal.qx2" ] || fail "the game folder has no data/pal.qx2"

# A private server on the first free display number, which it writes to fd 3.
# -noreset: the server must outlive its last client (a box that closes), or
# the next start finds it resetting.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xpid=$!

# waits up to $2 tenths of a second for the command $1 to succeed
wait_for() {
  for _ in $(seq "$2"); do
    eval "$1" && return 0
    sleep 0.1
  done
  return 1
}
alive() { [ -d "/proc/$1" ] && ! grep -q '^[^)]*) Z' "/proc/$1/stat" 2>/dev/null; }
gone() { ! alive "$1"; }
# The process id of the game's box: a child of the game's process.
box_of() { pgrep -P "$1" | head -1; }

wait_for '[ -s "$work/display" ]' 100 || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
export SDL_AUDIODRIVER=dummy

started=""
start_game() {  # $1: name of the run; the game's id lands in $started
  (cd "$work/game" && exec ./qorv) >"$work/$1.out" 2>"$work/$1.err" &
  started=$!
  echo "$started" >"$work/$1.pid"
}

# 1. A halt box up, the game killed outright.
mv "$work/game/data/pal.qx2" "$work/pal.qx2"
start_game halted
game1=$started
wait_for '[ -n "$(box_of "$game1")" ]' 150 || fail "no box came up for the missing palette archive"
box1=$(box_of "$game1")
echo "$box1" >"$work/box1.pid"
sleep 1  # the box has opened its own connection and window
kill -9 "$game1"
wait "$game1" 2>/dev/null || true
wait_for 'gone "$box1"' 50 || fail "the box (process $box1) outlived the killed game"

# 2. A new start opens its window.
mv "$work/pal.qx2" "$work/game/data/pal.qx2"
start_game restarted
game2=$started
wait_for 'xdotool search --pid "$game2" >/dev/null 2>&1' 150 ||
  fail "the new start opened no window (alive: $(alive "$game2" && echo yes || echo no))"
kill "$game2"
wait_for 'gone "$game2"' 100 || fail "the running game did not end on SIGTERM"
wait "$game2" 2>/dev/null || true

# 2b. Esc quits a running game with status 0 and nothing from the sanitizers.
start_game quit
game4=$started
wait_for 'xdotool search --onlyvisible --pid "$game4" >/dev/null 2>&1' 150 || fail "the game to quit opened no window"
for _ in $(seq 60); do
  gone "$game4" && break
  xdotool windowfocus --sync "$(xdotool search --onlyvisible --pid "$game4" | head -1)" key Escape 2>/dev/null || true
  sleep 0.5
done
gone "$game4" || fail "Esc did not end the game"
code=0
wait "$game4" 2>/dev/null || code=$?
[ "$code" -eq 0 ] && ! grep -q "Sanitizer" "$work/quit.err" || fail "the game quit with Esc ended with status $code"

# 3. SIGTERM while a box is up ends the game and its box, with a failure code.
mv "$work/game/data/pal.qx2" "$work/pal.qx2"
start_game terminated
game3=$started
wait_for '[ -n "$(box_of "$game3")" ]' 150 || fail "no box came up the second time"
box3=$(box_of "$game3")
echo "$box3" >"$work/box3.pid"
kill -TERM "$game3"
wait_for 'gone "$game3"' 50 || fail "the game with its box up ignored SIGTERM"
wait_for 'gone "$box3"' 50 || fail "the box (process $box3) outlived the game ended by SIGTERM"
code=0
wait "$game3" 2>/dev/null || code=$?
[ "$code" -ne 0 ] || fail "the game ended by SIGTERM with its box up reported success"
grep -q "pal.qx2" "$work/halted.err" || fail "the halt named no file on stderr"

# 4. The settings program without a display ends at once, says so, and fails.
code=0
(cd "$work/game" && env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY= timeout 20 ./tumbotcfg) 2>"$work/nodisplay.err" || code=$?
[ "$code" -eq 1 ] && grep -q "no display" "$work/nodisplay.err" || fail "tumbotcfg without a display ended with status $code"
# ... and so it does when nobody reads its stderr any more: the write fails, nothing kills it.
{
  sleep 0.5
  code=0
  (cd "$work/game" && env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY= timeout 20 ./tumbotcfg) || code=$?
  echo "$code" >"$work/closed.code"
} 2>&1 | true
[ "$(cat "$work/closed.code")" = 1 ] || fail "tumbotcfg writing to a closed stderr ended with status $(cat "$work/closed.code")"

echo "check-killed-box: the box ends with its game and the next start opens its window"
