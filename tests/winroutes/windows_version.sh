#!/usr/bin/env bash
# Sets the Windows version that Wine reports to the named programs, in the
# prefix of $WINEPREFIX (as scripts/wine-run.sh chooses it):
#   windows_version.sh VERSION PROGRAM.exe...
# "win98" makes GetVersionExA report platform 1 (Windows 9x): the device
# layer then takes the ASPI route.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
version=$1
shift
for program in "$@"; do
  "$root/scripts/wine-run.sh" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program" \
    /v Version /d "$version" /f >/dev/null
done
