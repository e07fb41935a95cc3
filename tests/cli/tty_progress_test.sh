#!/usr/bin/env bash
# A flasher made from the demo program runs --flash --yes through a
# pseudo-terminal (script) and through a pipe: the real standard streams
# tell the two apart, so only the terminal gets the self-redrawing bar (what
# the bar and the lines hold is the in-process tests').
set -uo pipefail
demo=$1
make_flasher=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/cdflash-tty.XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME=$work/state  # the runs' records stay here, not among the user's
"$make_flasher" "$demo" "$work/acme" --revision 1.60. >/dev/null || exit 1
chmod +x "$work/acme"
passed=0
failed=0
check() { if eval "$2"; then echo "PASS: $1"; passed=$((passed + 1)); else echo "FAIL: $1"; failed=$((failed + 1)); fi; }

script -qefc "$work/acme --flash 0 --yes" "$work/tty.log" </dev/null >/dev/null 2>&1
status=$?
check "flashed through a terminal (exit $status)" '[ $status -eq 0 ]'
redraw=$(printf '\r')
check "the progress line redraws itself" 'grep -qaF "${redraw}Write BIN to drive" "$work/tty.log"'
check "the finished run leaves no empty bar behind" '! grep -qa "Flash Completed\. \[-" "$work/tty.log"'

"$work/acme" --flash 0 --yes </dev/null >"$work/plain.log" 2>&1
piped=$?
check "through a pipe: flashed (exit $piped), no redrawing" '[ $piped -eq 0 ] && ! grep -q $'"'"'\r'"'"' "$work/plain.log"'
echo "tty progress: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
