#!/usr/bin/env bash
# Builds the release archive, unpacks it, and runs the resource tests against the pelmora.exe
# inside it: the file people download must carry its icon, version and description.
# Arguments: the build directory, the resource test program.
set -euo pipefail
build_dir=$1
resource_test=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build_dir" && cpack -G ZIP -B "$work/package" >/dev/null)
zip=$(ls "$work"/package/Pelmora-*-win32.zip)
unzip -q "$zip" -d "$work/unpacked"
exe=$(ls "$work"/unpacked/Pelmora-*/pelmora.exe)
for f in README.md LICENSE; do
  [ -f "$(dirname "$exe")/$f" ] || { echo "$f missing from $zip"; exit 1; }
done
echo "checking $exe ($(stat -c %s "$exe") bytes) from $(basename "$zip")"
PELMORA_EXE_UNDER_TEST="Z:$exe" exec "$(dirname "$0")/../../scripts/wine-run" "$resource_test"
