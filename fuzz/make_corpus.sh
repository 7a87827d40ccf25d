#!/usr/bin/env bash
# Builds the seed corpora of Halvorine's harnesses from the hand-written fixtures and the example
# case, plus a few hostile forms of them (CR line ends, LF line ends). Run from anywhere; the
# corpora are committed, so this is needed only when the fixtures change.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
corpus="$here/corpus"
rm -rf "$corpus"/{dtt,rls,case,merge,settings,numbers}
mkdir -p "$corpus"/{dtt,rls,case,merge,settings,numbers}

cases=()
while IFS= read -r f; do cases+=("$f"); done < <(cd "$root" && find tests/fixtures examples -name '*.dtt' | sort)

for dtt in "${cases[@]}"; do
  stem="${dtt%.dtt}"
  name="$(echo "$stem" | tr '/' '_')"
  cp "$root/$dtt" "$corpus/dtt/$name.dtt"
  tr -d '\n' < "$root/$dtt" > "$corpus/dtt/$name.cr.dtt"
  tr -d '\r' < "$root/$dtt" > "$corpus/dtt/$name.lf.dtt"
  cp "$root/$dtt" "$corpus/merge/$name.dtt"
  if [ -f "$root/$stem.rls" ]; then
    cp "$root/$stem.rls" "$corpus/rls/$name.rls"
    tr -d '\n' < "$root/$stem.rls" > "$corpus/rls/$name.cr.rls"
    { cat "$root/$dtt"; printf '\n--rls--\n'; cat "$root/$stem.rls"; } > "$corpus/case/$name.case"
  else
    cp "$root/$dtt" "$corpus/case/$name.case"
  fi
done

printf '/cases/STORM.dtt\r\n' > "$corpus/settings/path"
printf 'NONAME.rls\r\n' > "$corpus/settings/noname"
printf 'caf\xe9 \x01.dtt\rsecond\n' > "$corpus/settings/bytes"
printf '' > "$corpus/settings/empty"

i=0
for word in ' 1.00000E+0001' '-9.99600E+0002' '3.40282E+0038' '1e39' '1.17549E-0038' '.5' '5.' '-0' \
            '123456789012345678901234567890' '1e-45' ' 2.5e0' '9223372036854775807' '-9223372036854775808'; do
  printf '%s' "$word" > "$corpus/numbers/word$i"
  i=$((i + 1))
done
