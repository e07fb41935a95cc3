#!/usr/bin/env bash
# Lays out a folder in which a template opens ready to build flashers: the
# template itself, the sample model table next to it under the template's
# name, and the sample BIN files.
#   scripts/prepare-workspace.sh TEMPLATE DIR
# TEMPLATE is build/linux/bin/cdflash or build/win32/bin/cdflash.exe.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
template=$1
dir=$2
[ -f "$template" ] || { echo "prepare-workspace: no template at $template" >&2; exit 1; }

mkdir -p "$dir"
name=$(basename "$template")
cp -f "$template" "$dir/$name"
# The model table has the program's name with the extension .INI.
cp -f "$root/examples/cdflash.INI" "$dir/${name%.*}.INI"
sh "$root/examples/make-sample-bins.sh" "$dir" >/dev/null
echo "prepare-workspace: $dir holds $name, ${name%.*}.INI and the sample BIN files"
