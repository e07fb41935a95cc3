# Sourced by check-release.sh (pass, fail, $work, $tgz, linux_files): the copy
# `cmake --install` lays out, as the README gives the command, used as a user
# would: started from another folder, its table in the user's configuration.

inst=$work/installed
cmake --install build/linux --prefix "$inst" >/dev/null || fail "cmake --install build/linux"
installed=$(cd "$inst" && find . -type f | sed 's|^\./||' | sort)
if [ "$installed" = "$(printf '%s\n' "${linux_files[@]}" | sort)" ]; then
  pass "cmake --install lays out the archive's files"
else
  fail "cmake --install lays out: $(echo $installed)"
fi
size=$(stat -c %s "$inst/bin/cdflash")
if cmp -s "$inst/bin/cdflash" "$work/$tgz/bin/cdflash"; then
  pass "cmake --install installs the archive's stripped program ($size bytes)"
else
  fail "the installed program ($size bytes) is not the archive's ($(stat -c %s "$work/$tgz/bin/cdflash") bytes)"
fi

# A table of the user's own (its one model tells it from the example) and a
# BIN file for it in the folder the program is started from.
config=$work/config
folder=$work/firmware
mkdir -p "$config/cdflash" "$folder" "$work/empty"
printf '[MODEL00]\nModel=Own Model\nInquiry=OWN     MODEL\nFW-Range=9.00-9.99\nBINMask=9.*.BIN\nVendor=Own\nNote=\n' \
  >"$config/cdflash/cdflash.INI"
cp "$work/bins/1.60.BIN" "$folder/9.10.BIN"
# start CONFIG ARGS...: the installed program started in $folder.
start() {
  local xdg=$1
  shift
  (cd "$folder" && XDG_CONFIG_HOME=$xdg "$inst/bin/cdflash" "$@")
}

# (Output is read whole before it is searched: grep -q would stop reading at the
# first match, and under pipefail the writer's broken pipe fails the test.)
listed=$(start "$config" --models 2>&1)
if grep -q "Own Model" <<<"$listed" && grep -qF "$config/cdflash/cdflash.INI" <<<"$listed"; then
  pass "the installed copy reads the table in \$XDG_CONFIG_HOME/cdflash, and names it"
else
  fail "the installed copy does not read \$XDG_CONFIG_HOME/cdflash/cdflash.INI"
fi

# The window, on a private X server: its title once build mode has set it up.
title=$(cd "$folder" && XDG_CONFIG_HOME=$config timeout 60 xvfb-run -a sh -c '
  "$1" 2>/dev/null &
  pid=$!
  for _ in $(seq 50); do
    title=$(xdotool search --name "Buiding" getwindowname 2>/dev/null | head -n 1)
    [ -n "$title" ] && break
    sleep 0.2
  done
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  echo "$title"' sh "$inst/bin/cdflash")
if [[ $title == *"Flash V$version 9.00-9.99 [Buiding]"* ]]; then
  pass "the installed copy opens in build mode with the user's models: \"$title\""
else
  fail "the installed copy's window: \"$title\""
fi

if grep -q "Quillon" <<<"$(start "$work/empty" --models)"; then
  pass "with no table of the user's, the installed copy reads its example"
else
  fail "the installed copy does not read its example"
fi
