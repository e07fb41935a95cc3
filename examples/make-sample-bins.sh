#!/bin/sh
# Writes sample firmware images for the sample model table into a folder
# (default: the current one). They are made-up bytes, never real firmware:
#   1.60.BIN  0x40000 bytes, signature 05 80 at 0x4000 (four banks)
#   2.10.BIN  0x50000 bytes, signature 05 80 at 0x1100 (five banks)
# Each carries its revision at 0xFFF0, and is named after it.
set -eu

out=${1:-.}
mkdir -p "$out"

# make_bin NAME SIZE SIGNATURE_OFFSET REVISION
make_bin() {
  name=$1 size=$2 signature=$3 revision=$4
  file="$out/$name"
  # A repeating 0..255 byte pattern, doubled until it covers the image, then
  # cut to size, so the image is not blank.
  i=0
  : >"$file"
  while [ "$i" -lt 256 ]; do printf "\\$(printf '%03o' "$i")" >>"$file"; i=$((i + 1)); done
  while [ "$(wc -c <"$file")" -lt "$size" ]; do
    cat "$file" "$file" >"$file.tmp" && mv "$file.tmp" "$file"
  done
  truncate -s "$size" "$file"
  printf '\005\200' | dd of="$file" bs=1 seek=$((signature)) conv=notrunc status=none
  printf '%s' "$revision" | dd of="$file" bs=1 seek=$((0xFFF0)) conv=notrunc status=none
  echo "$file: $size bytes, signature at $(printf '0x%X' "$signature"), revision $revision"
}

make_bin 1.60.BIN $((0x40000)) $((0x4000)) 1.60
make_bin 2.10.BIN $((0x50000)) $((0x1100)) 2.10
