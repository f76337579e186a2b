#!/usr/bin/env bash
# End to end: runs the real program in the harness's Xvfb, presses keys and
# clicks as a person would (real X events from xdotool), and reads the window
# back through Win32 with the probe. Leaves a screenshot of the window in
# OUT_DIR/varnock-window.png.
# Usage: end_to_end.sh STATE_DIR VARNOCK_EXE PROBE_EXE OUT_DIR
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
scripts=$(readlink -f "$here/../../scripts")
state=$1
program=$2
probe_exe=$3
out=$4
# shellcheck source=../../scripts/wine-env.sh
source "$scripts/wine-env.sh" "$state"
if [ -z "${DISPLAY:-}" ]; then
  echo "end_to_end: no display in $state (is the Wine session up?)" >&2
  exit 1
fi

run() { "$scripts/wine-run" "$state" "$@"; }
probe() { run "$probe_exe" "$@"; }

pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null || true' EXIT

failures=0
check() {  # what expected actual
  if [ "$2" == "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

# Asks the probe until it answers as expected (10 s at most): X events and
# the commands take a moment to reach the window.
check_soon() {  # what expected probe-arguments...
  local what=$1 expected=$2 answer i
  shift 2
  for i in $(seq 1 40); do
    answer=$(probe "$@")
    [ "$answer" == "$expected" ] && break
    sleep 0.25
  done
  check "$what" "$expected" "$answer"
}

start_program() {
  run "$program" >/dev/null 2>&1 &
  pid=$!
  probe wait || { echo "FAILED: the main window did not appear"; exit 1; }
  # X sends keys to the window under the pointer when no one holds the focus.
  read -r x y < <(probe center assembly-box)
  xdotool mousemove "$x" "$y"
}

click() {  # control
  local x y
  read -r x y < <(probe center "$1")
  xdotool mousemove "$x" "$y" click 1
}

expect_program_ends() {
  local i
  for i in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    check "$1" "process ended" "process still running"
  else
    wait "$pid" || true
    pid=
    check "$1" "process ended" "process ended"
  fi
}

echo "-- the program file"
probe resources "$program" && check "icon and manifest" present present ||
  check "icon and manifest (Common-Controls 6.0.0.0, asInvoker)" present missing

echo "-- start-up, Space, Esc"
start_program
check_soon "focus at start" "按钮_字节集转汇编" focus
xdotool key space
check_soon "Space on the disassemble button: empty byte set" "字节集长度不可为0" text assembly-box
xdotool key Escape
expect_program_ends "Esc on a button ends the program"

echo "-- focus ring, both commands, Ctrl+A"
start_program
for name in 按钮_汇编转字节集 编辑框_汇编内容 编辑框_字节集内容 按钮_字节集转汇编; do
  xdotool key Tab
  check_soon "Tab to $name" "$name" focus
done
for name in 编辑框_字节集内容 编辑框_汇编内容 按钮_汇编转字节集 按钮_字节集转汇编; do
  xdotool key shift+Tab
  check_soon "Shift+Tab to $name" "$name" focus
done
sample='push 10\r\nmov ecx,401000\r\nmov ecx,[ecx+10]\r\nmov ecx,[ecx+28]\r\nmov eax,401000\r\ncall eax\r\nretn'
check "no tab typed into the assembly box" "$sample" "$(probe text assembly-box)"

click assemble-button
check_soon "assemble the sample program" \
  "{106,10,185,104,30,6,0,139,73,10,139,73,28,184,104,30,6,0,255,208,195}" text byteset-box
read -r left top right bottom < <(probe window)
mkdir -p "$out"
xwd -root -silent -display "$DISPLAY" |
  convert xwd:- -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    png:"$out/varnock-window.png"
echo "screenshot: $out/varnock-window.png"

click byteset-box
xdotool key ctrl+a
check_soon "Ctrl+A in the byte-set box" "0 70 70" selection byteset-box
xdotool type '{144,195}'
check_soon "typing replaces the selection" "{144,195}" text byteset-box
click assembly-box
xdotool key ctrl+a
check_soon "Ctrl+A in the assembly box" "0 91 91" selection assembly-box
click disassemble-button
check_soon "disassemble {144,195}" '\r\nnop \r\nret \r\n' text assembly-box
check "the byte-set box is left as it was" "{144,195}" "$(probe text byteset-box)"

click byteset-box
xdotool key Escape
expect_program_ends "Esc in an edit box ends the program"
probe gone && check "no window left" gone gone || check "no window left" gone present

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
