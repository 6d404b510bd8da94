#!/usr/bin/env bash
# Times `marvoset-convert --to qq` on a generated Sogou list (GB18030, CR LF,
# Chinese phrases) against the sed one-liner a user would write and against
# cp of the same file, and prints the medians, the ratios and the peak
# resident memory. For context it also times dd with 16 MiB blocks: a copy
# through user space, which cp (copy_file_range, all in the kernel) skips.
#
# Usage: bench/cli_vs_sed.sh [PATH-TO-marvoset-convert]
#   Without a path (or $MARVOSET_CONVERT), builds the bench preset first.
# Environment: ROUNDS (default 5), SIZE_MB (default 100), KEEP=1 keeps the
#   data directory, STRICT=1 exits 1 when a target is missed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
rounds=${ROUNDS:-5}
size_mb=${SIZE_MB:-100}

bin=${1:-${MARVOSET_CONVERT:-}}
if [ -z "$bin" ]; then
  echo "=== building the bench preset"
  (cd "$root" && cmake --preset bench >/dev/null && cmake --build --preset bench --target marvoset-convert >/dev/null)
  bin=$root/build/bench/cli/marvoset-convert
fi
[ -x "$bin" ] || { echo "no marvoset-convert at $bin" >&2; exit 2; }
if [ ! -x /usr/bin/time ]; then
  echo "GNU time is missing: apt-get install time (it is in packages.txt)" >&2
  exit 2
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/marvoset-bench.XXXXXX")
if [ "${KEEP:-0}" = 1 ]; then echo "data kept in $tmp"; else trap 'rm -rf "$tmp"' EXIT; fi
input=$tmp/sogou.txt

echo "=== generating a ${size_mb} MB Sogou list"
python3 - "$input" "$((size_mb * 1000 * 1000))" <<'PY'
import random, sys
path, size = sys.argv[1], int(sys.argv[2])
rng = random.Random(20240611)
# Common characters: GB2312 level 1 (rows 0xB0-0xD7), two bytes each.
hanzi = [bytes([r, c]) for r in range(0xB0, 0xD8) for c in range(0xA1, 0xFF)
         if not (r == 0xD7 and c > 0xF9)]
letters = "abcdefghijklmnopqrstuvwxyz"
def phrase():
    p = b"".join(rng.choice(hanzi) for _ in range(rng.choice((2, 2, 3, 4, 4, 5, 6, 8, 10, 14))))
    r = rng.random()
    if r < 0.05:
        p += str(rng.randrange(1, 9999)).encode()                  # 北京市海淀区1号
    elif r < 0.08:
        p = ("".join(rng.choice(letters) for _ in range(6)) + "@mail.com").encode()
    elif r < 0.10:
        p += b"\xa3\xac" + b"".join(rng.choice(hanzi) for _ in range(3))  # full-width comma
    return p
def line():
    if rng.random() < 0.002:
        return b"; " + b"".join(rng.choice(hanzi) for _ in range(6)) + b"\r\n"  # a comment
    key = "".join(rng.choice(letters) for _ in range(rng.choice((1, 2, 2, 3, 3, 4, 5, 6, 8))))
    return key.encode() + b"," + str(rng.randrange(1, 10)).encode() + b"=" + phrase() + b"\r\n"
pool = [line() for _ in range(200000)]
with open(path, "wb") as f:
    written = 0
    while written < size:
        chunk = b"".join(rng.choice(pool) for _ in range(20000))
        f.write(chunk)
        written += len(chunk)
PY
input_bytes=$(stat -c %s "$input")
echo "input: $input_bytes bytes, $(wc -l <"$input") lines"

# run_timed OUTPUT COMMAND...: one timed run; prints "microseconds peak-RSS-KB".
run_timed() {
  local out=$1
  shift
  rm -f "$out"
  sync "$tmp" 2>/dev/null || true
  local t0 t1
  t0=$(date +%s%N)
  /usr/bin/time -f %M -o "$tmp/rss" "$@"
  t1=$(date +%s%N)
  echo "$(((t1 - t0) / 1000)) $(tail -n 1 "$tmp/rss")"
}

tool_cmd=("$bin" --to qq "$input" -o "$tmp/tool.out")
sed_cmd=(sh -c 'LC_ALL=C exec sed -E "s/^([^,=]*),([0-9])=/\1=\2,/" "$1" >"$2"' sh "$input" "$tmp/sed.out")
cp_cmd=(cp "$input" "$tmp/cp.out")
dd_cmd=(dd if="$input" of="$tmp/dd.out" bs=16M status=none)

# Warm-up: the input in the page cache, and a check that the tool and sed
# agree on this well-formed list.
"${tool_cmd[@]}"
"${sed_cmd[@]}"
cmp -s "$tmp/tool.out" "$tmp/sed.out" || { echo "marvoset-convert and sed disagree" >&2; exit 1; }

declare -a tool_t sed_t cp_t dd_t tool_m sed_m cp_m dd_m
echo "=== $rounds rounds"
for ((r = 1; r <= rounds; r++)); do
  read -r t m < <(run_timed "$tmp/tool.out" "${tool_cmd[@]}"); tool_t+=("$t"); tool_m+=("$m")
  read -r t m < <(run_timed "$tmp/sed.out" "${sed_cmd[@]}"); sed_t+=("$t"); sed_m+=("$m")
  read -r t m < <(run_timed "$tmp/cp.out" "${cp_cmd[@]}"); cp_t+=("$t"); cp_m+=("$m")
  read -r t m < <(run_timed "$tmp/dd.out" "${dd_cmd[@]}"); dd_t+=("$t"); dd_m+=("$m")
  echo "round $r: marvoset-convert $((tool_t[-1] / 1000)) ms, sed $((sed_t[-1] / 1000)) ms," \
    "cp $((cp_t[-1] / 1000)) ms, dd $((dd_t[-1] / 1000)) ms"
done

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : int((v[NR/2]+v[NR/2+1])/2)}'; }
max() { printf '%s\n' "$@" | sort -n | tail -n 1; }
tool=$(median "${tool_t[@]}"); sed_med=$(median "${sed_t[@]}"); cp_med=$(median "${cp_t[@]}")
dd_med=$(median "${dd_t[@]}")
tool_rss=$(max "${tool_m[@]}")

python3 - "$tool" "$sed_med" "$cp_med" "$dd_med" "$tool_rss" "$(max "${sed_m[@]}")" \
  "$(max "${cp_m[@]}")" "$(max "${dd_m[@]}")" "$input_bytes" "${STRICT:-0}" <<'PY'
import sys
tool, sed, cp, dd, tool_rss, sed_rss, cp_rss, dd_rss, size, strict = map(int, sys.argv[1:])
mb = size / 1e6
print()
print(f"{'':18}{'median':>10}{'MB/s':>9}{'peak RSS':>12}")
rows = (("marvoset-convert", tool, tool_rss), ("sed", sed, sed_rss), ("cp", cp, cp_rss),
        ("dd bs=16M", dd, dd_rss))
for name, t, rss in rows:
    print(f"{name:18}{t / 1000:>8.0f} ms{mb / (t / 1e6):>9.0f}{rss / 1024:>9.0f} MB")
speedup, vs_cp, mem = sed / tool, tool / cp, tool_rss * 1024 / size
targets = [
    (f"faster than sed:  {speedup:5.1f} x (target at least 10 x)", speedup >= 10),
    (f"time of cp:       {vs_cp:5.1f} x (target at most 3 x)", vs_cp <= 3),
    (f"peak RSS / input: {mem:5.2f} x (target at most 3 x)", mem <= 3),
]
print()
for text, ok in targets:
    print(("PASS  " if ok else "MISS  ") + text)
print(f"info  time of dd:       {tool / dd:5.1f} x (a copy through user space)")
sys.exit(1 if strict and not all(ok for _, ok in targets) else 0)
PY
