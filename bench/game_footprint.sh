#!/usr/bin/env bash
# Measures the release game as a player runs it, under its own Xvfb display:
# the time from start to the first title frame, then CPU (% of one core) and
# resident memory at the title, in a match and paused, each beside a bare SDL
# program (bench/reference_window.c) that opens the same window.
#
#   bench/game_footprint.sh [GAME_FOLDER] [DISPLAY_NUMBER]
#
# GAME_FOLDER defaults to build/release/game, DISPLAY_NUMBER to 26. With
# BEFORE set to another game folder (an older build), that one is measured in
# the same run, its starts taking turns with the others', so the two compare
# under the same load. Each game folder is copied and its program renamed, so
# this run never meets another copy of the game. SECONDS_PER_STATE (default 5)
# is how long CPU is counted in each state; START_RUNS (default 5) how many
# starts are timed (medians).
# Needs Xvfb, xdotool, cc, and the SDL2 and X11 development files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
display_no=${2:-26}
secs=${SECONDS_PER_STATE:-5}
runs=${START_RUNS:-5}
defaultcfg=$root/build/release/tools/defaultcfg/qorv_defaultcfg

work=$(mktemp -d /tmp/qorv_footprint.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- the tools, the game copies and the display --------------------------------
cc -O2 -o "$work/reference_window" "$root/bench/reference_window.c" $(pkg-config --cflags --libs sdl2)
cc -O2 -o "$work/title_watch" "$root/bench/title_watch.c" $(pkg-config --cflags --libs x11)
labels=(game)
folders=("$(cd "${1:-$root/build/release/game}" && pwd)")
if [ -n "${BEFORE:-}" ]; then
  labels+=(before)
  folders+=("$(cd "$BEFORE" && pwd)")
fi
declare -A prog
for i in "${!labels[@]}"; do
  l=${labels[$i]}
  cp -a "${folders[$i]}" "$work/$l"
  prog[$l]=$work/$l/qorv_footprint_$$_$l
  mv "$work/$l/qorv" "${prog[$l]}"
  [ -f "$work/$l/data/dbcfg.sai" ] || "$defaultcfg" "$work/$l/data/dbcfg.sai" > /dev/null
done
# The settings' window-size word (bytes 106-107): 0 is the large window.
win_size=$(od -An -tu2 -j106 -N2 "$work/game/data/dbcfg.sai" | tr -d ' ')
if [ "$win_size" = 0 ]; then width=1024 height=480; else width=512 height=240; fi

export DISPLAY=:$display_no
# No sound card here: the dummy driver opens a device, so the game decodes and
# plays its sounds as it does for a player (without a device it skips them).
export SDL_AUDIODRIVER=dummy
if ! xdpyinfo > /dev/null 2>&1; then
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
fi

# --- measuring one process ---------------------------------------------------------
tick=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Percent of one core over SECONDS_PER_STATE seconds.
cpu_percent() {
  local t0 c0 t1 c1
  t0=$EPOCHREALTIME c0=$(cpu_ticks "$1")
  sleep "$secs"
  t1=$EPOCHREALTIME c1=$(cpu_ticks "$1")
  awk -v c="$((c1 - c0))" -v hz="$tick" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "%.1f", 100 * c / hz / (t1 - t0) }'
}
mem_mb() { awk -v k="$2:" '$1 == k { printf "%.0f", $2 / 1024 }' "/proc/$1/status"; }
row() { printf '%-24s %8s %10s %10s\n' "$1" "$2" "$3" "$4"; }
state_row() { row "$1" "$(cpu_percent "$2")" "$(mem_mb "$2" VmRSS)" "$(mem_mb "$2" VmHWM)"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Starts a program and prints "PID MS" once a window has the caption.
start_until() { "$work/title_watch" "$1" 30000 "${@:2}" 2>> "$work/programs.log"; }
stop() { kill "$1" 2>/dev/null || true; while kill -0 "$1" 2>/dev/null; do sleep 0.05; done; }

# Holds a key long enough for a frame's input scan to see it.
press() {
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup "$1"
  sleep "${2:-0.4}"
}

# --- start to the first title frame ----------------------------------------------------
# The game writes its caption in its first loop call, one period after that
# call presented the first title frame; the reference presents, waits one
# period and writes its caption the same way.
: > "$work/reference.ms"
for l in "${labels[@]}"; do : > "$work/$l.ms"; done
for _ in $(seq "$runs"); do
  read -r pid ms < <(start_until "first frame" "$work/reference_window" frame "$width" "$height")
  stop "$pid"
  echo "$ms" >> "$work/reference.ms"
  for l in "${labels[@]}"; do
    read -r pid ms < <(start_until "Vorlappa!! (Ver.2.0)" "${prog[$l]}")
    pids+=("$pid")
    echo "$ms" >> "$work/$l.ms"
    stop "$pid"
  done
done

# --- the running game -------------------------------------------------------------------
echo "${folders[*]} ($width x $height), $secs s per state, $runs starts"
row "" "CPU %" "VmRSS MB" "VmHWM MB"
"$work/reference_window" loop "$width" "$height" 2>> "$work/programs.log" &
ref=$!
pids+=("$ref")
sleep 1
state_row "reference loop" "$ref"
stop "$ref"

for l in "${labels[@]}"; do
  read -r pid _ < <(start_until "Vorlappa!! (Ver.2.0)" "${prog[$l]}")
  pids+=("$pid")
  xdotool search --sync --pid "$pid" --name "Vorlappa" windowfocus --sync > /dev/null 2>&1 || true
  sleep 1
  state_row "$l: title" "$pid"
  # Title, mode select (knock-out), team select, versus screen, then the
  # player select: seven members placed, then on into the match.
  for _ in 1 2 3 4; do press z 0.8; done
  for _ in 1 2 3 4 5 6 7 8; do press z; done
  sleep 3
  state_row "$l: match" "$pid"
  press Return 0.5
  state_row "$l: match, paused" "$pid"
  stop "$pid"
done

echo
ref_ms=$(median < "$work/reference.ms")
for l in "${labels[@]}"; do
  awk -v l="$l" -v g="$(median < "$work/$l.ms")" -v r="$ref_ms" \
    'BEGIN { printf "start to first title frame: %s %.0f ms, reference %.0f ms (medians), ratio %.2f\n", l, g, r, g / r }'
done
