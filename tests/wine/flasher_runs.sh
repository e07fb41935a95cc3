# Shared by the Wine scripts that run a flasher over the simulator DLL
# (terminal_test.sh, flash_run_test.sh, cdflash_exe_test.sh);
# source it after setting exe, make_flasher, sim_dll, work and root. A flasher made from cdflash.exe runs
# in WORKDIR as a Windows 9x program with the simulator DLL beside it; each
# run's output goes through files (a pipe could be held open by Wine's
# services), line ends as '\n'.

# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh"

passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
finish() {
  echo "$1 checks: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

# start_flasher_test TITLE FLASHER: how each such script starts: Wine and a
# display as scripts/test-windows.sh sets them up, and WORKDIR with the
# flasher FLASHER (prepare_flasher). Ends the script, counted under TITLE,
# when either cannot be had.
start_flasher_test() {
  need_wine_display "$1"
  prepare_flasher "$2" || finish "$1"
}

# need_wine_display TITLE: ends the script, counted under TITLE, without the
# Wine prefix and display.
need_wine_display() {
  if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    fail "no DISPLAY or WINEPREFIX: run through scripts/test-windows.sh"
    finish "$1"
  fi
}

# prepare_flasher NAME: WORKDIR holds the flasher NAME (ACME CRW-4012,
# revisions 1.00-1.50, image 1.60) and the simulator DLL, in Windows 9x mode.
prepare_flasher() {
  flasher=$1
  rm -rf "$work"
  mkdir -p "$work"
  if ! "$root/scripts/wine-run.sh" "$make_flasher" "$exe" "$work/$flasher" \
    --model CRW-4012 --inquiry "ACME    CRW-4012A" --range 1.00-1.50 --vendor ACME \
    >"$work/make-flasher.log" 2>&1; then
    fail "make_test_flasher"
    return 1
  fi
  cp "$sim_dll" "$work/WNASPI32.dll"
  bash "$root/tests/winroutes/windows_version.sh" win98 "$flasher" || { fail "Windows 9x mode"; return 1; }
}

# layer_requests: the layer's log as "HA-TARGET OPCODE CONTROL STATUS", one
# line per request in the order they completed. The CDB starts at byte 48 of
# a 32-bit request block (80 bytes) and at 60 of a 64-bit one (96 bytes).
layer_requests() {
  tr -d '\r' <"$work/WNASPI32.LOG" | awk '
    $1 == "EXEC" {
      cdb = length($3) == 192 ? 121 : 97
      request[$2] = substr($3, 5, 2) "-" substr($3, 17, 2) " " substr($3, cdb, 2) " " substr($3, cdb + 18, 2)
    }
    $1 == "DONE" && ($2 in request) { print request[$2], $3; delete request[$2] }'
}

# drive_section N HOST_ADAPTER TARGET VENDOR PRODUCT REVISION: the layer's
# section of its simulated drive N.
drive_section() { printf '[Drive%s]\nHostAdapter=%s\nTarget=%s\nVendor=%s\nProduct=%s\nRevision=%s\n' "$@"; }
# The drive every flasher here is made for.
acme_drive() { drive_section 0 0 0 ACME CRW-4012A 1.20; }

# write_layer_ini: standard input becomes the layer's WNASPI32.INI; its log
# starts empty.
write_layer_ini() {
  cat >"$work/WNASPI32.INI"
  rm -f "$work/WNASPI32.LOG"
}

# run NAME PROGRAM [ARGS...]: runs PROGRAM in WORKDIR under Wine with the
# simulator DLL; NAME.out and NAME.err hold its output, NAME.status its exit
# code. Prints the time it took.
run() {
  local name=$1 started ended status
  shift
  started=$(date +%s%N)
  (cd "$work" && WINEDLLOVERRIDES="mscoree,mshtml=;wnaspi32=n" exec timeout -k 5 60 wine "$@" \
    </dev/null >"$work/$name.raw" 2>"$work/$name.raw-err")
  status=$?
  ended=$(date +%s%N)
  tr -d '\r' <"$work/$name.raw" >"$work/$name.out"
  tr -d '\r' <"$work/$name.raw-err" >"$work/$name.err"
  echo "$status" >"$work/$name.status"
  echo "run $name: $* -> exit code $status in $(((ended - started) / 1000000)) ms"
}

expect_status() {
  local got
  got=$(cat "$work/$1.status")
  if [ "$got" = "$2" ]; then pass "$1: exit code $2"; else
    fail "$1: exit code $got, expected $2"
    sed 's/^/  out: /' "$work/$1.out" | tail -20
    sed 's/^/  err: /' "$work/$1.err" | grep -v ':fixme:' | tail -20
  fi
}

# expect_line NAME LINE WHAT [err]: NAME's standard output (or error) has LINE.
expect_line() {
  local stream=${4:-out}
  if grep -qxF -- "$2" "$work/$1.$stream"; then pass "$3"; else fail "$3: no line '$2' in $1.$stream"; fi
}

# expect_match NAME REGEX WHAT [err]: NAME's standard output (or error) has a
# line matching REGEX.
expect_match() {
  local stream=${4:-out}
  if grep -q -- "$2" "$work/$1.$stream"; then pass "$3"; else fail "$3: no line like '$2' in $1.$stream"; fi
}

# start_window FLASHER: starts the flasher with its window in WORKDIR (output
# in flasher.log) and answers its warning with Yes. Sets pid, and window to
# the flash-mode window of the ACME test model (empty when none came within
# 30 s).
start_window() {
  local box
  (cd "$work" && WINEDLLOVERRIDES=wnaspi32=n exec wine "$1" </dev/null >"$work/flasher.log" 2>&1) &
  pid=$!
  box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Warning$' 2>/dev/null | head -1)
  if [ -n "$box" ]; then
    pass "the flasher starts with the warning"
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key y
  else
    fail "no warning within 30 s"
  fi
  window=$(timeout 30 xdotool search --sync --onlyvisible --name '^ACME Flash V1\.043 CRW-4012$' 2>/dev/null | head -1)
}
