#!/usr/bin/env bash
# Builds the simulation and batch benchmarks of two commits side by side and prints, benchmark by
# benchmark, the median time of each and the ratio TARGET / BASE (below 1: TARGET is faster).
#
#   scripts/bench-compare.sh [options] BASE [TARGET]      TARGET defaults to HEAD
#
# Each commit is checked out in a git worktree of a temporary folder and built in its own build
# folder (Release; through ccache where installed). The two programs then run in turn, BASE TARGET
# BASE TARGET …, so that a machine whose speed drifts slows both alike; the medians are over the
# rounds.
#
# Options:
#   -n ROUNDS      rounds of each program (default 5)
#   -s REGEX       simulation_bench's filter (default 'Product/'; '' skips it)
#   -b REGEX       batch_bench's filter (default '(Default|Plain|Template|Economics)Houses/jobs:1';
#                  '' skips it)
#   -k             keep the temporary folder (its path is printed) instead of removing it
set -euo pipefail

rounds=5
simFilter='Product/'
batchFilter='(Default|Plain|Template|Economics)Houses/jobs:1'
keep=0
while getopts 'n:s:b:kh' option; do
    case "$option" in
    n) rounds="$OPTARG" ;;
    s) simFilter="$OPTARG" ;;
    b) batchFilter="$OPTARG" ;;
    k) keep=1 ;;
    *) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 [-n ROUNDS] [-s REGEX] [-b REGEX] [-k] BASE [TARGET]" >&2
    exit 2
fi
if ! [[ "$rounds" =~ ^[1-9][0-9]*$ ]]; then
    echo "$0: ROUNDS must be a positive whole number, not '$rounds'" >&2
    exit 2
fi

repo="$(git -C "$(dirname "$0")" rev-parse --show-toplevel)"
base="$(git -C "$repo" rev-parse --verify "$1^{commit}")"
target="$(git -C "$repo" rev-parse --verify "${2:-HEAD}^{commit}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/bench-compare.XXXXXX")"

cleanup() {
    if [[ $keep -eq 0 ]]; then
        for side in base target; do
            if [[ -d "$work/$side/src" ]]; then
                git -C "$repo" worktree remove --force "$work/$side/src" || true
            fi
        done
        rm -rf "$work"
    else
        echo "kept: $work (remove its worktrees with git worktree remove)" >&2
    fi
}
trap cleanup EXIT

targets=()
[[ -n "$simFilter" ]] && targets+=(simulation_bench)
[[ -n "$batchFilter" ]] && targets+=(batch_bench)
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "$0: both filters are empty: nothing to compare" >&2
    exit 2
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

build() { # side commit
    local dir="$work/$1"
    git -C "$repo" worktree add --quiet --detach "$dir/src" "$2"
    echo "== building $1 ($(git -C "$repo" log -1 --format='%h %s' "$2" | cut -c1-70))" >&2
    # The same relative paths on both sides, so that ccache serves files they share.
    export CCACHE_BASEDIR="$dir"
    cmake -S "$dir/src" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DVIRASVET_BENCHMARKS=ON "${launcher[@]}" >"$dir/cmake.log" ||
        { cat "$dir/cmake.log" >&2; exit 1; }
    ninja -C "$dir/build" "${targets[@]}" >"$dir/build.log" ||
        { tail -40 "$dir/build.log" >&2; exit 1; }
}
build base "$base"
build target "$target"

run() { # side round
    local dir="$work/$1"
    if [[ -n "$simFilter" ]]; then
        "$dir/build/bench/simulation_bench" --benchmark_filter="$simFilter" \
            --benchmark_out="$work/$1-sim-$2.json" --benchmark_out_format=json >/dev/null \
            2>>"$dir/run.log"
    fi
    if [[ -n "$batchFilter" ]]; then
        "$dir/build/bench/batch_bench" --benchmark_filter="$batchFilter" \
            --benchmark_out="$work/$1-batch-$2.json" --benchmark_out_format=json >/dev/null \
            2>>"$dir/run.log"
    fi
}
for ((round = 1; round <= rounds; ++round)); do
    echo "== round $round of $rounds" >&2
    run base "$round"
    run target "$round"
done

python3 - "$work" "$(git -C "$repo" log -1 --format=%h "$base")" \
    "$(git -C "$repo" log -1 --format=%h "$target")" <<'EOF'
import glob, json, statistics, sys

work, baseName, targetName = sys.argv[1:4]

def times(side):
    found = {}
    for path in sorted(glob.glob(f"{work}/{side}-*.json")):
        with open(path) as f:
            for b in json.load(f)["benchmarks"]:
                if b.get("run_type", "iteration") != "iteration":
                    continue
                scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
                found.setdefault(b["name"], []).append(b["real_time"] * scale)
    return found

base, target = times("base"), times("target")
names = [n for n in target if n in base]
width = max([len(n) for n in names] + [9])
print(f"{'benchmark':<{width}}  {baseName + ' ms':>12}  {targetName + ' ms':>12}  ratio  (min..max of pairs)")
for name in names:
    b, t = base[name], target[name]
    pairs = [y / x for x, y in zip(b, t)]
    print(f"{name:<{width}}  {statistics.median(b):12.3f}  {statistics.median(t):12.3f}  "
          f"{statistics.median(t) / statistics.median(b):5.3f}  ({min(pairs):.3f}..{max(pairs):.3f})")
for name in sorted(set(base) ^ set(target)):
    print(f"{name}: only in {baseName if name in base else targetName}")
EOF
