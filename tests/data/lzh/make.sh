#!/usr/bin/env bash
# Remakes the test archives of this folder (see README.md). Needs jlha-utils (the "lha"
# command) and xxd; run it here. The archives are committed, so the tests never run this.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Two small day files of made-up lines, CR LF, as the real ones are laid out.
day_file() { # KIND: B or K
  printf 'START%s\r\n' "$1"
  for i in $(seq 1 60); do
    printf '%02dKBGN\r\n' "$i"
    printf 'line %03d of a made-up %s day file, not real race data 0123456789\r\n' "$i" "$1"
  done
  printf 'FINAL%s\r\n' "$1"
}
day_file B > "$work/B050123.TXT"
day_file K > "$work/K050123.TXT"
cp "$work/B050123.TXT" "$work/K050123.TXT" .

(cd "$work" && lha c0o5 good.lzh B050123.TXT >/dev/null)
(cd "$work" && lha c0o5 kgood.lzh K050123.TXT >/dev/null)
(cd "$work" && lha c0o5 two.lzh B050123.TXT K050123.TXT >/dev/null)
mkdir -p "$work/sub" "$work/in"
cp "$work/B050123.TXT" "$work/sub/"
(cd "$work" && lha c2o5 folder.lzh sub/B050123.TXT >/dev/null)
printf 'not the one you want\r\n' > "$work/evil.TXT"
(cd "$work/in" && lha c2o5 ../evil.lzh ../evil.TXT >/dev/null)
cp "$work"/{good,kgood,two,folder,evil}.lzh .

# A data byte in the middle of the compressed data flipped (the header of good.lzh is 35 bytes).
cp good.lzh corrupt.lzh
size=$(stat -c %s corrupt.lzh)
pos=$(( 35 + (size - 36) / 2 ))
byte=$(xxd -s "$pos" -l 1 -p corrupt.lzh)
printf '%02x' $(( 0x$byte ^ 0xff )) | xxd -r -p | dd of=corrupt.lzh bs=1 seek="$pos" conv=notrunc status=none

head -c $(( $(stat -c %s good.lzh) / 2 )) good.lzh > truncated.lzh
printf '<html><body><h1>404 Not Found</h1></body></html>\r\n' > notarchive.lzh
: > empty.lzh
