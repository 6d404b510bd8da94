#!/usr/bin/env bash
# A 1 GB Sogou list through marvoset-convert, there and back: the result is
# the input again, byte for byte, and the peak resident memory of each run
# stays within three times the input size. Long: ctest label "long".
#   one_gigabyte_test.sh PATH-TO-marvoset-convert
set -euo pipefail
bin=$1
tmp=$(mktemp -d "${TMPDIR:-/tmp}/marvoset-1gb.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

python3 - "$tmp/piece.txt" <<'PY'
import random, sys
rng = random.Random(7)
hanzi = [bytes([r, c]) for r in range(0xB0, 0xD8) for c in range(0xA1, 0xFF)]
out, size = [], 0
while size < 16 * 1024 * 1024:
    key = "".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(1, 6)))
    line = f"{key},{rng.randint(1, 9)}=".encode() + b"".join(
        rng.choice(hanzi) for _ in range(rng.randint(2, 12))) + b"\r\n"
    out.append(line)
    size += len(line)
open(sys.argv[1], "wb").write(b"".join(out))
PY
for _ in $(seq 64); do cat "$tmp/piece.txt"; done >"$tmp/sogou.txt"
rm "$tmp/piece.txt"
size_kb=$(($(stat -c %s "$tmp/sogou.txt") / 1024))

/usr/bin/time -f %M -o "$tmp/rss1" "$bin" --to qq "$tmp/sogou.txt" -o "$tmp/qq.txt"
/usr/bin/time -f %M -o "$tmp/rss2" "$bin" --to sogou "$tmp/qq.txt" -o "$tmp/back.txt"
cmp "$tmp/sogou.txt" "$tmp/back.txt"
for rss in "$tmp/rss1" "$tmp/rss2"; do
  kb=$(tail -n 1 "$rss")
  echo "input ${size_kb} KB, peak RSS ${kb} KB"
  [ "$kb" -le $((3 * size_kb)) ] || { echo "peak memory above 3 times the input" >&2; exit 1; }
done
