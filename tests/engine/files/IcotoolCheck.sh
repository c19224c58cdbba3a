#!/usr/bin/env bash
# IcotoolCheck.sh BIN_FOLDER: extracts the four-image icon group of the resource fixtures of both
# architectures with the engine and has icoutils list the result; the listing must show the
# 16, 32 and 48 pixel images and the 256 pixel one, in that order.
set -euo pipefail
bin=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
expected='--icon --index=1 --width=16 --height=16 --bit-depth=32 --palette-size=0
--icon --index=2 --width=32 --height=32 --bit-depth=32 --palette-size=0
--icon --index=3 --width=48 --height=48 --bit-depth=32 --palette-size=0
--icon --index=4 --width=256 --height=256 --bit-depth=32 --palette-size=0'
status=0
for arch in x86_64 i686; do
    wine "$bin/extract-icon-group.exe" "$bin/fixtures/resources-$arch.exe" 1 "Z:$out/$arch.ico"
    listing=$(icotool -l "$out/$arch.ico")
    if [ "$listing" != "$expected" ]; then
        echo "icon group of resources-$arch.exe: expected listing"
        echo "$expected"
        echo "but icotool listed"
        echo "$listing"
        status=1
    fi
done
exit $status
