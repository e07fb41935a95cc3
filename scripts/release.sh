#!/usr/bin/env bash
# Builds the release files of both systems with CPack, into build/release:
#   cdflash-VERSION-linux-x86_64.tar.gz   (the Linux template, stripped)
#   cdflash_VERSION_ARCH.deb              (the same, as a Debian package)
#   cdflash-VERSION-win32.zip             (cdflash.exe, stripped)
# VERSION is spelled as the program shows it (1.043). Prints the size of the
# executable each of them ships.
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
    *.deb) dpkg-deb -c "$1" | awk -v f="./$2" '$6 == f { print $3 }' ;;
    *) tar -tvzf "$1" "$2" | awk '{ print $3 }' ;;
  esac
}
version=$(build/linux/bin/cdflash --version | awk '{ print $2 }')
tgz=$out/cdflash-$version-linux-x86_64.tar.gz
deb=$out/cdflash_${version}_$(dpkg --print-architecture).deb
zip=$out/cdflash-$version-win32.zip
for file in "$tgz" "$deb" "$zip"; do
  [ -f "$file" ] || { echo "release: $file was not written" >&2; exit 1; }
done
print_size() {  # FILE MEMBER
  local bytes
  bytes=$(size_of "$1" "$2")
  printf 'release: %s: %s %d bytes (%.2f MiB)\n' "${1#"$root"/}" "$2" "$bytes" "$(echo "$bytes / 1048576" | bc -l)"
}
print_size "$tgz" "cdflash-$version-linux-x86_64/bin/cdflash"
print_size "$deb" usr/bin/cdflash
print_size "$zip" "cdflash-$version-win32/cdflash.exe"
