#!/usr/bin/env bash
# Builds the seed corpora of WTrindel's harnesses from the hand-written fixtures, with CR-only
# and LF-only forms of the text files and the binary items file. The corpora are committed, so
# this is needed only when the fixtures change.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$(dirname "$here")")"
corpus="$(dirname "$here")/corpus"
rm -rf "$corpus"/iy "$corpus"/ey
mkdir -p "$corpus"/iy "$corpus"/ey

for kind in iy ey; do
  for f in "$root"/tests/fixtures/pairwise/*."$kind"; do
    name="$(basename "$f" ."$kind")"
    cp "$f" "$corpus/$kind/$name.$kind"
    tr -d '\n' < "$f" > "$corpus/$kind/$name.cr.$kind"
    tr -d '\r' < "$f" > "$corpus/$kind/$name.lf.$kind"
  done
done
cp "$root/tests/fixtures/reference/binary_items.iy" "$corpus/iy/binary_items.iy"
