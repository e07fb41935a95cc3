#!/usr/bin/env bash
# Makes the release files (scripts/release.sh) and checks what only they
# show: each archive's and the package's contents and names, the shipped
# programs against the build tree's, the installed copies as a user starts
# them, the .deb under dpkg, apt and lintian, the Windows executable's imports
# and size, and `make bench`. Nothing here starts a Windows program. Ends
# with "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
finish() { echo "release: $passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1)}
scripts/release.sh || { fail "scripts/release.sh"; finish; }
cmake --build --preset linux -j2 --target package_probe make_test_flasher >/dev/null || { fail "tools"; finish; }
probe=build/linux/bin/package_probe
make_flasher=build/linux/bin/make_test_flasher  # TEMPLATE OUT --image BIN: a flasher of that template
version=$(build/linux/bin/cdflash --version | awk '{ print $2 }')
work=$(mktemp -d "${TMPDIR:-/tmp}/cdflash-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
sh examples/make-sample-bins.sh "$work/bins" >/dev/null

# check_archive NAME LISTING EXE STRIP BUILT_EXE EXPECTED_FILES...
check_archive() {
  local name=$1 listing=$2 exe=$3 strip=$4 built=$5
  shift 5
  local expected actual
  expected=$(printf '%s\n' "$@" | sort)
  actual=$(eval "$listing" | grep -v '/$' | sed "s|^$name/||" | sort)
  if [ "$actual" = "$expected" ]; then pass "$name holds exactly the listed files"
  else fail "$name holds: $(echo $actual)"; fi

  if "$probe" --check "$work/$name/$exe" >/dev/null; then pass "$name: key-word once in $exe"
  else fail "$name: key-word in $exe"; fi

  # The same flasher from the shipped template and from the build tree's.
  local a=$work/$name-shipped.flasher b=$work/$name-built.flasher
  mkdir -p "$work/$name-built"
  "$strip" -o "$work/$name-built/$(basename "$exe")" "$built"
  if "$make_flasher" "$work/$name/$exe" "$a" --image "$work/bins/1.60.BIN" >/dev/null &&
     "$make_flasher" "$work/$name-built/$(basename "$exe")" "$b" --image "$work/bins/1.60.BIN" >/dev/null &&
     cmp -s "$a" "$b"; then pass "$name: a flasher from the shipped template equals one from the build tree"
  else fail "$name: flashers from the shipped and the built template differ"; fi
}

linux_files=(bin/cdflash share/doc/cdflash/examples/cdflash.INI share/doc/cdflash/examples/make-sample-bins.sh
  share/doc/cdflash/README.md share/doc/cdflash/LICENSE share/man/man1/cdflash.1.gz share/applications/cdflash.desktop
  share/icons/hicolor/scalable/apps/cdflash.svg)
tgz=cdflash-$version-linux-x86_64
tar -xzf "build/release/$tgz.tar.gz" -C "$work"
check_archive "$tgz" "tar -tzf build/release/$tgz.tar.gz" bin/cdflash strip build/linux/bin/cdflash \
  "${linux_files[@]}"

# One spelling of the version: the program's, in every release file's name.
misnamed=$(cd build/release && ls | grep -E '\.(tar\.gz|zip|deb)$' | grep -vF "$version" || true)
if [[ $version =~ ^[0-9]+\.[0-9]{3}$ ]] && [ -z "$misnamed" ]; then
  pass "every release file is named with the program's version $version"
else
  fail "version $version; release files named otherwise: $(echo $misnamed)"
fi

source tests/release/installed-copy.sh
source tests/release/debian-package.sh

zip=cdflash-$version-win32
unzip -q "build/release/$zip.zip" -d "$work"
check_archive "$zip" "unzip -Z1 build/release/$zip.zip" cdflash.exe i686-w64-mingw32-strip \
  build/win32/bin/cdflash.exe cdflash.exe cdflash.INI make-sample-bins.sh README.md LICENSE.txt

# The import table of the shipped cdflash.exe: system DLLs only (libgcc,
# libstdc++ and winpthreads are linked in), and no function that Windows 2000
# or XP lacks: such an import stops the loader before the program starts (the
# program looks newer functions up while it runs).
imports=$(i686-w64-mingw32-objdump -p "$work/$zip/cdflash.exe")
dlls=$(echo "$imports" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r')
system='^(kernel32|user32|gdi32|comctl32|shlwapi|advapi32|msvcrt|shell32|ole32|version)\.dll$'
foreign=$(echo "$dlls" | grep -viE "$system" || true)
if [ -n "$dlls" ] && [ -z "$foreign" ]; then pass "cdflash.exe imports system DLLs only: $(echo $dlls)"
else fail "cdflash.exe imports $foreign"; fi
functions=$(echo "$imports" | sed -n '/Import Tables/,/Export Tables\|Relocation/p' |
  awk 'NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }' | tr -d '\r')
newer='^(GetTickCount64|AddVectoredExceptionHandler|RemoveVectoredExceptionHandler|AttachConsole|'\
'InitializeSRWLock|AcquireSRWLock(Exclusive|Shared)|ReleaseSRWLock(Exclusive|Shared)|'\
'InitializeConditionVariable|SleepConditionVariable(CS|SRW)|WakeAllConditionVariable|'\
'WakeConditionVariable|InitOnce[A-Za-z]+|Fls(Alloc|Free|GetValue|SetValue)|GetSystemTimePreciseAsFileTime|'\
'ShutdownBlockReason(Create|Destroy)|GetFileInformationByHandleEx|SetFileInformationByHandle|'\
'GetFinalPathNameByHandle[AW]|QueryFullProcessImageName[AW]|CancelIoEx|GetCurrentProcessorNumber)$'
too_new=$(echo "$functions" | grep -E "$newer" || true)
if [ "$(echo "$functions" | grep -c .)" -gt 50 ] && [ -z "$too_new" ]; then
  pass "cdflash.exe imports $(echo "$functions" | grep -c .) functions, none that Windows 2000 or XP lacks"
else
  fail "cdflash.exe imports functions older systems lack: $(echo $too_new)"
fi

# `make bench`, as the README gives it: its programs build and print their figures.
if make -s bench >"$work/bench.log" 2>&1 && [ "$(grep -c 'goal' "$work/bench.log")" -ge 2 ]; then
  pass "make bench prints its figures ($(grep -c ' ms' "$work/bench.log") lines in ms)"
else
  fail "make bench: $(tail -n 5 "$work/bench.log")"
fi

size=$(stat -c %s "$work/$zip/cdflash.exe")
limit=$((3 * 1024 * 1024 / 2))
if [ "$size" -le "$limit" ]; then pass "cdflash.exe is $size bytes, within 1.5 MiB ($limit)"
else fail "cdflash.exe is $size bytes, over 1.5 MiB ($limit)"; fi
finish
