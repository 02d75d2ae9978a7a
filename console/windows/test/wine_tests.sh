#!/usr/bin/env bash
# The Windows build under wine, as ctest runs it. Each command is one test:
#   wine_tests.sh prefix     <work>                         wine's prefix made ready
#   wine_tests.sh transcript <work> <exe> <native> <objdump> the dialogue through pipes, as on POSIX
#   wine_tests.sh layer      <work> <probe>                 the layer's own checks in a wine console
#   wine_tests.sh numbers    <work> <check>                 the AVX2 kernels against the portable ones
#   wine_tests.sh stop       <work>                         wine's server ended
set -uo pipefail
command="$1" work="$2"
shift 2
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
mkdir -p "$work"
fail() { echo "FAILED: $*"; exit 1; }

# Runs "$@" in a wine console (a tmux pane) with standard error to $work/$name.err;
# its exit code in $work/$name.code.
in_console() {
  local name="$1" socket="$work/tmux-$1.sock"
  shift
  rm -f "$work/$name".*
  tmux -S "$socket" -f /dev/null new-session -d -x 80 -y 30 \
    "cd '$work' && timeout --foreground 120 wine $* 2>'$work/$name.err'; echo \$? >'$work/$name.code'; exec sleep 600"
  for ((i = 0; i < 1500; i++)); do [[ -s "$work/$name.code" ]] && break; sleep 0.1; done
  tmux -S "$socket" kill-server 2>/dev/null
  [[ -s "$work/$name.code" ]] || fail "$name: no end within 150 s"
}

case "$command" in
  prefix) timeout 300 wine cmd /c exit </dev/null >/dev/null 2>&1 || fail "wine cannot start a program" ;;
  transcript)
    exe="$1" native="$2" objdump="$3"
    dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
    [[ "$dlls" == "kernel32.dll msvcrt.dll " ]] || fail "the program imports: $dlls"
    # Not a console: the window written out in code page 852 with CR LF,
    # the same rows as the POSIX build writes.
    keys=$'\e[A7\n9\x7f3\n \n+12\n+5\nq'
    printf '%s' "$keys" | timeout 120 wine "$exe" >"$work/windows.transcript" || fail "exit code $?"
    printf '%s' "$keys" | timeout 60 "$native" >"$work/posix.transcript" || fail "POSIX exit code $?"
    grep -q $'[^\r]$' "$work/windows.transcript" && fail "a transcript line without CR LF"
    iconv -f CP852 -t UTF-8 "$work/windows.transcript" | sed 's/\r$//' | diff "$work/posix.transcript" - ||
      fail "the transcripts differ"
    # End of input is 1; standard output closed or only for reading, which
    # wine refuses alike as an invalid handle, is 103.
    for case in "1 >/dev/null" "103 >&-" "103 1</dev/null"; do
      eval "printf '7\n' | timeout 60 wine '$exe' ${case#* } 2>/dev/null"
      code=$?
      ((code == ${case%% *})) || fail "exit code $code, not ${case%% *}, for ${case#* }"
    done
    ;;
  layer)
    probe="$1"
    in_console layer "'$probe' layer.log"
    cat "$work/layer.log"
    [[ $(cat "$work/layer.code") == 0 ]] && grep -q "^PASS: 0 failed" "$work/layer.log" || fail "the probe's checks"
    # The report goes to standard error with the error's exit code.
    for case in closed:103 read-only:105; do
      in_console "${case%:*}" "'$probe' ${case%:*}"
      [[ $(cat "$work/${case%:*}.code") == "${case#*:}" ]] || fail "$case: exit code $(cat "$work/${case%:*}.code")"
      grep -qaE $'^Runtime error '"${case#*:}"$' at \\$[0-9A-F]{8}\r$' "$work/${case%:*}.err" ||
        fail "$case: no report: $(cat -v "$work/${case%:*}.err")"
    done
    ;;
  numbers)
    # The build's AVX2 kernels are in use wherever the CPU has AVX2; without
    # it there is nothing to compare (77: skipped).
    grep -qw avx2 /proc/cpuinfo || { echo "skipped: this CPU has no AVX2"; exit 77; }
    timeout 120 wine "$1" >"$work/numbers.log" 2>&1
    code=$?
    cat "$work/numbers.log"
    ((code == 0)) && grep -q "^PASS: " "$work/numbers.log" || fail "the kernel sets, exit code $code"
    ;;
  stop) timeout 30 wineserver -k 2>/dev/null; exit 0 ;;
  *) fail "unknown command $command" ;;
esac
echo "passed: $command"
