# Shared settings of the Wine helpers; source it, do not run it.
# Wine runs without the mono and gecko installers, and without the debug
# channels' fixme noise (errors still show: a missing DLL must be seen).
#
# CDFLASH_WINDOWS_ARCH chooses the Windows build and the Wine that runs it:
#   i686    the shipped 32-bit build under 32-bit Wine (the default);
#   x86_64  the 64-bit test build under 64-bit Wine, for machines whose
#           kernel runs no 32-bit programs (cdflash_windows_arch_detect).
# Under x86_64 `wine` is Wine's 64-bit loader: Debian's `wine` starts the
# 32-bit one whenever it is installed, and that one cannot run there.

cdflash_wine_env_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# cdflash_wine_select ARCH: the Wine of that build for this shell and the
# programs it starts.
cdflash_wine_select() {
  case "$1" in
    i686) export CDFLASH_WINDOWS_ARCH=i686 WINEARCH=win32 ;;
    x86_64)
      export CDFLASH_WINDOWS_ARCH=x86_64 WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
      case ":$PATH:" in
        *":$cdflash_wine_env_dir/wine64:"*) ;;
        *) export PATH="$cdflash_wine_env_dir/wine64:$PATH" ;;
      esac
      ;;
    *) echo "CDFLASH_WINDOWS_ARCH must be i686 or x86_64, not '$1'" >&2; return 2 ;;
  esac
}
cdflash_wine_select "${CDFLASH_WINDOWS_ARCH:-i686}" || return
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:-fixme-all}"

# cdflash_windows_arch_detect: which build this machine's tests can run.
# Starts Wine's 32-bit loader once and reads its answer: where the kernel
# runs no 32-bit programs it fails with "Exec format error". Selects that
# build's Wine and sets CDFLASH_WINDOWS_ARCH_WHY, the reason in words.
cdflash_windows_arch_detect() {
  local answer
  answer=$(/usr/lib/wine/wine --version 2>&1 </dev/null)
  if [[ $answer == wine-* ]]; then
    CDFLASH_WINDOWS_ARCH_WHY="this kernel runs 32-bit programs"
    cdflash_wine_select i686
  else
    CDFLASH_WINDOWS_ARCH_WHY="this kernel runs no 32-bit programs: ${answer%%$'\n'*}"
    cdflash_wine_select x86_64
  fi
}

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
    echo "wine: prefix $dir was not created; the end of $dir/.wineboot.log:" >&2
    tail -n 15 "$dir/.wineboot.log" >&2
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

# cdflash_wine_kept: the folder where prefixes are kept from one run to the
# next, one folder per Wine version (CDFLASH_CACHE, or ~/.cache/cdflash).
cdflash_wine_kept() {
  local version
  version=$(/usr/lib/wine/wine64 --version 2>/dev/null </dev/null) || version=unknown
  version=$(echo "$version" | sed 's/[^A-Za-z0-9.~]\{1,\}/-/g; s/-$//')  # wine-8.0-Debian-8.0~repack-4
  echo "${CDFLASH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/cdflash}/$version"
}

# wait_exit PID SECONDS: waits for a background process of this shell to end
# and sets exit_status to its exit code, or to "timeout" (it is killed then).
# Call it directly, never inside $(...): a subshell cannot collect the exit
# code of its parent's child.
wait_exit() {
  local pid=$1 seconds=$2 i
  for ((i = 0; i < seconds * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      exit_status=$?
      return
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
  exit_status=timeout
}
