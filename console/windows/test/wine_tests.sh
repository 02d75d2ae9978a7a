#!/usr/bin/env bash
# The Windows build under wine, as ctest runs it. Each command is one test:
#   wine_tests.sh prefix   <work>                  wine's prefix made ready
#   wine_tests.sh imports  <work> <exe> <objdump>  the program needs only kernel32 and msvcrt
#   wine_tests.sh dialogue <work> <exe> <native>   the dialogue typed in tmux, both builds
#   wine_tests.sh transcript <work> <exe> <native> the dialogue and output faults through pipes
#   wine_tests.sh layer    <work> <probe>          the layer's own checks in a wine console
#   wine_tests.sh stop     <work>                  wine's server ended
# <work> holds the prefix and the files of each test; it is a build folder.
set -uo pipefail

command="$1"
work="$2"
shift 2
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
for tool in wine wineserver tmux timeout; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is not installed"; exit 1; }
done
mkdir -p "$work"

fail() {
  echo "FAILED: $*"
  exit 1
}

# One tmux server at a time, each on its own socket, ended however the
# test ends.
tmux_socket=""
stop_tmux() {
  [[ -n "$tmux_socket" ]] && tmux -S "$tmux_socket" kill-server 2>/dev/null
  tmux_socket=""
  return 0
}
trap stop_tmux EXIT
start_tmux() {
  stop_tmux
  tmux_socket="$work/tmux-$1.sock"
  tmux -S "$tmux_socket" kill-server 2>/dev/null
  tmux -S "$tmux_socket" -f /dev/null new-session -d -x "$2" -y "$3" "$4"
}
in_tmux() { tmux -S "$tmux_socket" "$@"; }
fail_showing_screen() {
  in_tmux capture-pane -p
  fail "$@"
}

# Waits up to $2 seconds for the file $1.
wait_file() {
  local tries=$(($2 * 10))
  while ((tries-- > 0)); do
    [[ -s "$1" ]] && return 0
    sleep 0.1
  done
  return 1
}

# Waits up to $1 seconds for the screen to show the text $2.
wait_screen() {
  local tries=$(($1 * 10))
  while ((tries-- > 0)); do
    in_tmux capture-pane -p | grep -qF -- "$2" && return 0
    sleep 0.1
  done
  return 1
}

# Waits up to $1 seconds for the pane's terminal to stop echoing.
wait_raw() {
  local tries=$(($1 * 10)) tty
  tty=$(in_tmux display -p '#{pane_tty}')
  while ((tries-- > 0)); do
    stty -a -F "$tty" 2>/dev/null | grep -qw -- -echo && return 0
    sleep 0.1
  done
  return 1
}

# The keys of the examples: a = 7, b = 3, a key, +12 and +5, a key. On the
# way arrow and function keys (0 and a code, both rejected), a letter
# (rejected), a digit taken back with BS; the first key wait gets a
# function key, whose code then reaches the signed entry and is rejected.
# The 1 of +12 is Alt+N: 0, then the N key's scan code 49, the digit 1.
keys=(Up x 7 Enter 9 BSpace 3 F7 Enter F1 + M-n Left 2 Enter + 5 Enter q)

# Runs one program ($3, a command line) in a $1 x $2 tmux window, types the
# keys and leaves its final screen, cursor and exit code in $work/$4.*.
type_dialogue() {
  local columns="$1" rows="$2" program="$3" name="$4"
  rm -f "$work/$name".*
  start_tmux "$name" "$columns" "$rows" \
    "$program; echo \$? > '$work/$name.code'; exec sleep 600"
  wait_screen 120 "a(NemNegEg" || fail_showing_screen "$name: no first prompt"
  # Wine's console puts its terminal into raw mode only once the program
  # first asks for input; a key sent before that is echoed by the terminal.
  wait_raw 30 || fail_showing_screen "$name: the terminal never left its echo"
  local key
  for key in "${keys[@]}"; do
    in_tmux send-keys "$key"
    sleep 0.3
  done
  wait_file "$work/$name.code" 60 || fail_showing_screen "$name: the program did not end after the last key"
  in_tmux capture-pane -p >"$work/$name.screen"
  in_tmux display -p '#{cursor_x},#{cursor_y}' >"$work/$name.cursor"
  stop_tmux
}

case "$command" in
  prefix)
    # Made on first use (about half a minute); later runs find it ready.
    timeout 300 wine cmd /c exit </dev/null >/dev/null 2>&1 || fail "wine cannot start a program"
    ;;
  imports)
    exe="$1" objdump="$2"
    dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
    [[ "$dlls" == "kernel32.dll msvcrt.dll " ]] || fail "the program imports: $dlls"
    ;;
  dialogue)
    exe="$1" native="$2"
    # A tall window shows the whole dialogue; a small one scrolls and wraps.
    for size in 80x60 64x20; do
      columns=${size%x*} rows=${size#*x}
      type_dialogue "$columns" "$rows" "timeout --foreground 120 wine '$exe'" "windows-$size"
      type_dialogue "$columns" "$rows" "timeout --foreground 120 '$native'" "posix-$size"
      for name in "windows-$size" "posix-$size"; do
        [[ $(cat "$work/$name.code") == 0 ]] || fail "$name: exit code $(cat "$work/$name.code")"
      done
      diff "$work/posix-$size.screen" "$work/windows-$size.screen" ||
        fail "$size: the Windows screen differs from the POSIX one"
      cmp -s "$work/posix-$size.cursor" "$work/windows-$size.cursor" ||
        fail "$size: the cursor ends at $(cat "$work/windows-$size.cursor"), not $(cat "$work/posix-$size.cursor")"
    done
    # The examples' values came through the keys.
    for row in "7=3 = FALSE" "7 Mod 3 = 1" "+12>+5 = TRUE" "+12 Mod +5 = +2"; do
      grep -qF -- "$row" "$work/windows-80x60.screen" || fail "no row \"$row\""
    done
    ;;
  transcript)
    exe="$1" native="$2"
    # Not a console: the window is written out, CR LF and code page 852.
    script=$'\e[A7\n9\x7f3\n \n+12\n+5\nq'
    printf '%s' "$script" | timeout 120 wine "$exe" >"$work/windows.transcript" 2>"$work/windows.err" ||
      fail "exit code $? under wine: $(cat "$work/windows.err")"
    printf '%s' "$script" | timeout 60 "$native" >"$work/posix.transcript" || fail "POSIX exit code $?"
    iconv -f CP852 -t UTF-8 "$work/windows.transcript" | sed 's/\r$//' >"$work/windows.utf8"
    grep -q $'[^\r]$' "$work/windows.transcript" && fail "a transcript line without CR LF"
    diff "$work/posix.transcript" "$work/windows.utf8" || fail "the transcripts differ"
    # The end of input ends the program with code 1, as on POSIX.
    printf '7\n' | timeout 60 wine "$exe" >/dev/null 2>"$work/windows.err"
    code=$?
    ((code == 1)) || fail "end of input: exit code $code"
    # Standard output closed, or open only for reading (103 and 105 on
    # POSIX): wine refuses a write to either as an invalid handle, so 103.
    printf '7\n' | timeout 60 wine "$exe" >&- 2>"$work/closed.err"
    code=$?
    ((code == 103)) || fail "standard output closed: exit code $code"
    printf '7\n' | timeout 60 wine "$exe" 1</dev/null 2>"$work/read-only.err"
    code=$?
    ((code == 103)) || fail "standard output only for reading: exit code $code"
    ;;
  layer)
    probe="$1"
    rm -f "$work"/{layer,closed,read-only}.*
    start_tmux layer 80 30 \
      "cd '$work' && timeout --foreground 120 wine '$probe' layer.log; echo \$? > '$work/layer.code'; exec sleep 600"
    wait_file "$work/layer.code" 150 || fail "the probe did not end"
    stop_tmux
    cat "$work/layer.log"
    [[ $(cat "$work/layer.code") == 0 ]] || fail "probe exit code $(cat "$work/layer.code")"
    grep -q "^PASS: 0 failed" "$work/layer.log" || fail "no verdict from the probe"
    # Standard output closed (103), or open only for reading (105): the
    # report goes to standard error and the exit code is the error's.
    for case in closed:103 read-only:105; do
      mode=${case%:*} want=${case#*:}
      start_tmux "$mode" 80 30 "cd '$work' && timeout --foreground 60 wine '$probe' $mode \
        2>'$work/$mode.err'; echo \$? > '$work/$mode.code'; exec sleep 600"
      wait_file "$work/$mode.code" 90 || fail "$mode: the probe did not end"
      code=$(cat "$work/$mode.code")
      ((code == want)) || fail "$mode output: exit code $code: $(cat -v "$work/$mode.err")"
      grep -qaE $'^Runtime error '"$want"$' at \\$[0-9A-F]{8}\r$' "$work/$mode.err" ||
        fail "$mode output: no report: $(cat -v "$work/$mode.err")"
      [[ $(grep -caE $'^  \\$[0-9A-F]{8}\r$' "$work/$mode.err") -ge 1 ]] ||
        fail "$mode output: no calling levels"
    done
    ;;
  stop)
    timeout 30 wineserver -k 2>/dev/null
    exit 0
    ;;
  *)
    fail "unknown command $command"
    ;;
esac
echo "passed: $command"
