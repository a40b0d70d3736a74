#!/bin/sh
# Remakes resources/demo.msp, the patch package the wrapper carries by default: the demo patch
# from 12.2.0.3 to 12.2.0.4 for the four demo products of tools/demo_products.py, written by
# patchbuilder.exe under Wine in a prefix of its own that is removed afterwards.
# Needs the x86_64 build: cmake --preset win64 && cmake --build --preset win64 --target patchbuilder
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/resources/demo.msp}
export SVCPACK_BUILD="${SVCPACK_BUILD:-$root/build/win64}"
if [ ! -f "$SVCPACK_BUILD/tools/patchbuilder/patchbuilder.exe" ]; then
    echo "make_demo_package.sh: no patchbuilder.exe in $SVCPACK_BUILD; build the win64 preset first" >&2
    exit 1
fi
work=$(mktemp -d)
cleanup() {
    WINEPREFIX="$work/prefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

PYTHONPATH="$root/tests/wine:$root/tools" python3 - "$work" <<'PYTHON'
import pathlib
import sys

import demo_products
import harness
import products

work = pathlib.Path(sys.argv[1])
prefix = harness.Prefix(harness.make_base_prefix(work / "prefix"))
products.build_patch(work / "demo.msp", demo_products.PATCH_CODE, demo_products.patch_targets(),
                     new_version=demo_products.NEW_VERSION,
                     obsoletes=demo_products.OBSOLETED_PATCH_CODES, prefix=prefix)
prefix.stop()
PYTHON

# Replace the old package only once the new one is complete.
cp "$work/demo.msp" "$out.new"
mv "$out.new" "$out"
echo "wrote $out"
