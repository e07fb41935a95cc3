#!/usr/bin/env bash
# Installs what building and testing cdflash needs, and nothing twice.
# usage: scripts/install-deps.sh [group...]
#   groups: linux mingw win32 win64 kernel release fuzz (default: all but win64,
#   the x86_64 compilers, which only machines without 32-bit programs need;
#   mingw is the i686 cross-compilers alone, win32 adds Wine and what its tests use)
# Runs `apt-get update` only when a package is actually missing.
set -euo pipefail

groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(linux win32 kernel release fuzz)

want=()
for g in "${groups[@]}"; do
  case "$g" in
    linux)  want+=(build-essential cmake make ccache pkg-config libgtest-dev googletest nlohmann-json3-dev qt6-base-dev
                   python3 libumockdev-dev umockdev libdbus-1-dev python3-dbusmock dbus-daemon xvfb xauth xdotool libx11-dev imagemagick fonts-dejavu-core) ;;
    mingw)  want+=(cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools) ;;
    win32)  want+=(cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools googletest nlohmann-json3-dev
                   wine wine32:i386 wine64 xvfb xdotool imagemagick fonts-wine fonts-liberation python3) ;;
    win64)  want+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64) ;;
    kernel) want+=(qemu-system-x86 busybox-static cpio jq) ;;
    release) want+=(unzip bc dpkg-dev lintian desktop-file-utils) ;;
    fuzz) want+=(clang libclang-rt-14-dev) ;;
    *) echo "install-deps: unknown group '$g'" >&2; exit 2 ;;
  esac
done

SUDO=
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${want[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
# de-duplicate
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | awk 'NF && !seen[$0]++')

# wine32 is an i386 package: the architecture must be known before it can be found.
for p in "${missing[@]}"; do
  if [[ "$p" == *:i386 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then NEED_I386=1; fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ -n "$SUDO" ] && ! command -v sudo >/dev/null 2>&1; then
  echo "install-deps: these packages are missing: ${missing[*]}" >&2
  echo "install-deps: installing them needs root, and sudo is not installed: run the same command as root." >&2
  exit 1
fi
if [ -n "${NEED_I386:-}" ]; then
  $SUDO dpkg --add-architecture i386
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
  $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
