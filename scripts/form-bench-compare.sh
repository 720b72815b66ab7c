#!/bin/sh
# Compares our form conversion with the Free Pascal converter's "bench" mode
# on the same generated large form, and prints the ratios the form model is
# held to: ResourceToText at least 2x, ReadForm at least 1x formconv res2txt.
# Usage: scripts/form-bench-compare.sh [BUILD_DIR]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shared=${KST_SHARED_DIR:-$root/../shared}
bench="$build/bin/bench_formmodel"
[ -x "$bench" ] || { echo "form-bench-compare: $bench not built (cmake --build $build --target bench_formmodel)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "form-bench-compare: python3 needed to read the results" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kst-form-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

"$shared/tools/fpc-formconv/build.sh" "$work/fpc" || exit 1
"$bench" --write-form "$work/big.dfm"

# About three seconds of formconv work; the first pass tells the time per run.
fpc_line=$("$work/fpc/formconv" bench res2txt "$work/big.dfm" 20)
runs=$(echo "$fpc_line" | python3 -c 'import re,sys
s=sys.stdin.read(); m=re.search(r"(\d+) runs in ([\d.]+) s", s)
print(max(20, int(3.0 * int(m.group(1)) / max(float(m.group(2)), 0.001))))')
fpc_line=$("$work/fpc/formconv" bench res2txt "$work/big.dfm" "$runs")
echo "formconv: $fpc_line"

"$bench" --benchmark_filter='BM_(ResourceToText|ReadForm)$' --benchmark_min_time=2 \
  --benchmark_format=json --benchmark_out="$work/ours.json" --benchmark_out_format=json >/dev/null

FPC_LINE="$fpc_line" python3 - "$work/ours.json" <<'PY'
import json, os, re, sys
fpc = float(re.search(r"([\d.]+) bytes/s", os.environ["FPC_LINE"]).group(1))
ours = {b["name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
def show(name, goal):
    b = ours[name]
    rate = b["bytes_per_second"]
    ratio = rate / fpc
    verdict = "ok" if ratio >= goal else "BELOW GOAL"
    print(f"{name[3:]:<15} {rate/1e6:9.1f} MB/s  formconv res2txt {fpc/1e6:7.1f} MB/s  ratio {ratio:6.2f}  (goal >= {goal}) {verdict}")
    return ratio >= goal
ok = show("BM_ResourceToText", 2.0)
ok = show("BM_ReadForm", 1.0) and ok
tree = ours["BM_ReadForm"].get("tree_bytes_per_stream_byte")
if tree:
    print(f"tree memory: {tree:.2f} bytes per byte of component stream")
sys.exit(0 if ok else 1)
PY
