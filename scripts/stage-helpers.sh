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
