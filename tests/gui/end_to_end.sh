#!/usr/bin/env bash
# The whole program under a virtual X server, driven by real X events: it opens a
# measured spectrum, a zoom rectangle is dragged, the context menu's "Rescale" brings the
# whole spectrum back, and Control+Q quits (answering the save question). Screenshots
# of the plot are compared at each step. Usage: end_to_end.sh XYLA DATA_DIR OUT_DIR
set -euo pipefail
xyla=$1 data=$2 out=$3
mkdir -p "$out"
rm -f "$out"/*.png "$out"/settings.ini

for tool in Xvfb xdotool import compare; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup installs it)"; exit 1; }
done

# A display number nobody uses.
display=
for n in $(seq 91 160); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free display"; exit 1; }

xvfb_pid= xyla_pid=
cleanup() {
  [ -n "$xyla_pid" ] && kill "$xyla_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1280x900x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
export DISPLAY=":$display"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp:fast_unwind_on_malloc=0"

XYLA_SETTINGS="$out/settings.ini" "$xyla" -i "$data/0-150W_NiWC1s_C1s.txt" >"$out/xyla.log" 2>&1 &
xyla_pid=$!

win=$(timeout 20 xdotool search --sync --onlyvisible --name 'Untitled' | head -1)
xdotool windowmove "$win" 0 0
sleep 1

shot() {  # shot NAME: the plot area of the window
  import -window root -crop 660x500+210+40 +repage "$out/$1.png"
}
differs() {  # differs A B: number of pixels that differ
  compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 || true
}

# wait_for NAME OP LIMIT: takes the picture NAME until its difference from the start
# picture compares to LIMIT by OP (a loaded machine may take a while to redraw), then
# prints the difference.
wait_for() {
  local diff=0
  for _ in $(seq 40); do
    sleep 0.25
    shot "$1"
    diff=$(differs start "$1")
    [ "${diff%%.*}" "$2" "$3" ] && break
  done
  echo "$diff"
}

xdotool mousemove 850 672
# The first picture counts once the plot is drawn (more than background and frame).
for _ in $(seq 40); do
  shot start
  [ "$(convert "$out/start.png" -format %k info:)" -gt 8 ] && break
  sleep 0.25
done

# A zoom rectangle around the main peak.
xdotool mousemove 420 200 mousedown 1
for x in 460 500 540 580; do xdotool mousemove "$x" $((x - 100)); sleep 0.05; done
xdotool mouseup 1
xdotool mousemove 850 672
zoomed=$(wait_for zoomed -gt 2000)
echo "zoom changed $zoomed pixels"
[ "${zoomed%%.*}" -gt 2000 ] || { echo "the zoom did not change the plot"; exit 1; }

# The context menu's first entry, "Rescale", shows the whole spectrum again.
xdotool mousemove 500 350 click 3
sleep 1
import -window root "$out/context_menu.png"
xdotool key Down Return
xdotool mousemove 850 672
back=$(wait_for rescaled -lt 200)
echo "rescaled plot differs from the start in $back pixels"
[ "${back%%.*}" -lt 200 ] || { echo "Rescale did not bring the start view back"; exit 1; }

# Control+Q asks about the changed document; Escape would cancel, so pick "Don't Save".
xdotool key ctrl+q
question=$(timeout 10 xdotool search --sync --onlyvisible --name 'Do you want to save' | head -1)
import -window root "$out/save_question.png"
xdotool key --window "$question" Tab space
for _ in $(seq 100); do kill -0 "$xyla_pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$xyla_pid" 2>/dev/null; then echo "the program did not quit"; exit 1; fi
wait "$xyla_pid" || { echo "the program failed"; cat "$out/xyla.log"; exit 1; }
xyla_pid=
