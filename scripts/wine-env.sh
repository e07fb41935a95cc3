# Shared settings of the Wine helpers; source it, do not run it.
# Wine runs 32-bit, without the mono and gecko installers, and without the
# debug channels' fixme noise (errors still show: a missing DLL must be seen).

export WINEARCH=win32
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:-fixme-all}"

# cdflash_wine_prefix_create DIR: a fresh, headless prefix in DIR (about 15 s).
# No persistent wineserver may be running for DIR: this waits for the server
# to exit after each step.
cdflash_wine_prefix_create() {
  local dir=$1
  mkdir -p "$dir"
  WINEPREFIX=$dir wineboot -i </dev/null >"$dir/.wineboot.log" 2>&1 || true
  WINEPREFIX=$dir wineserver -w            # wineboot returns before the prefix is written
  # Without a window manager, managed and decorated windows wait for one:
  # about 2 s on every hide or destroy, and message boxes that ignore keys.
  WINEPREFIX=$dir wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >>"$dir/.wineboot.log" 2>&1
  WINEPREFIX=$dir wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f \
    </dev/null >>"$dir/.wineboot.log" 2>&1
  WINEPREFIX=$dir wineserver -w
  if [ ! -f "$dir/system.reg" ]; then
    echo "wine: prefix $dir was not created; see $dir/.wineboot.log" >&2
    return 1
  fi
  touch "$dir/.cdflash-ready"
}

# cdflash_wine_prefix_ensure DIR: creates the prefix once, safe against
# several callers at the same time.
cdflash_wine_prefix_ensure() {
  local dir=$1
  [ -f "$dir/.cdflash-ready" ] && return 0
  mkdir -p "$(dirname "$dir")"
  (
    flock 9
    [ -f "$dir/.cdflash-ready" ] || cdflash_wine_prefix_create "$dir"
  ) 9>"$dir.lock"
}

# Waits for a process to end; prints its exit code, or "timeout".
wait_exit() {
  local pid=$1 seconds=$2 i
  for ((i = 0; i < seconds * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      echo $?
      return
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
  echo timeout
}
