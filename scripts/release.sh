#!/usr/bin/env bash
# Builds the release files of both systems with CPack, into build/release:
#   cdflash-VERSION-linux-x86_64.tar.gz   (the Linux template, stripped)
#   cdflash-VERSION-win32.zip             (cdflash.exe, stripped)
# and prints the size of each shipped executable.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
out=$root/build/release
# Reproducible files: the time stamps that the linker and strip write into a
# Windows executable are the last commit's.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1)}

scripts/install-deps.sh linux win32 release
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target cdflash
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target cdflash

rm -rf "$out"
mkdir -p "$out"
for preset in linux win32; do
  (cd "build/$preset" && cpack -B "$out" >"$out/cpack-$preset.log" 2>&1) || {
    cat "$out/cpack-$preset.log" >&2
    echo "release: cpack failed for $preset" >&2
    exit 1
  }
done
rm -rf "$out/_CPack_Packages"

size_of() {  # the size of one member of an archive
  case $1 in
    *.zip) unzip -Z -l "$1" "$2" | awk 'NR == 1 { print $4 }' ;;
    *) tar -tvzf "$1" "$2" | awk '{ print $3 }' ;;
  esac
}
version=$(sed -n 's/^project(cdflash VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
tgz=$out/cdflash-$version-linux-x86_64.tar.gz
zip=$out/cdflash-$version-win32.zip
linux_size=$(size_of "$tgz" "cdflash-$version-linux-x86_64/bin/cdflash")
win_size=$(size_of "$zip" "cdflash-$version-win32/cdflash.exe")
echo "release: $tgz"
echo "release: $zip"
printf 'release: Linux cdflash %d bytes (%.2f MiB), Windows cdflash.exe %d bytes (%.2f MiB)\n' \
  "$linux_size" "$(echo "$linux_size / 1048576" | bc -l)" "$win_size" "$(echo "$win_size / 1048576" | bc -l)"
