# Shared by the scripts of the test stages; source it after setting
# `stage_name` to the stage's name (the prefix of its lines).

# stage_die WHAT [LOG]: says what failed, with the end of LOG, counts one
# failure for the stage and ends it.
stage_die() {
  echo "$stage_name: $1" >&2
  if [ -n "${2:-}" ] && [ -s "$2" ]; then
    echo "$stage_name: the end of $2:" >&2
    tail -n 20 "$2" | sed 's/^/  /' >&2
  fi
  echo "$stage_name: 0 passed, 1 failed"
  exit 1
}

# make_bin FILE SIZE SIGNATURE_AT: a BIN for the drive model's identity, of
# random bytes: the bank signature where the program looks for it (0x4000
# for four banks, 0x1100 for five with the profile), none at the other
# place, and revision 1.60 where the drive model takes its revision from.
make_bin() {
  local file=$1 other=$((0x4000))
  [ "$3" -eq $((0x4000)) ] && other=$((0x1100))
  head -c "$2" /dev/urandom > "$file"
  put() { printf "$2" | dd of="$file" bs=1 seek="$1" conv=notrunc status=none; }
  put "$3" '\005\200'
  put "$other" '\000\000'
  put $((0xFFF0)) '1.60'
}
