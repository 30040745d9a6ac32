#!/usr/bin/env bash
# Runs the benchmark (bench/bench.py) on a release build; with --abi3, sets
# the stable-ABI build of brindle._native against the per-version one over
# the corpus instead (bench/bench_abi3.py, ROUNDS rounds, 5 by default).
#   scripts/bench.sh [ROUNDS] [FILE...]
#   scripts/bench.sh --abi3 [ROUNDS]
# With BRINDLE_BENCH_PREVIOUS=<revision> (a branch, tag or commit), the
# native benchmarks of that revision are built too (from `git archive`, in
# build/bench-previous) and run right after this build's on the same
# documents, so that one run shows both.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
py="$root/.venv/bin/python"
export PATH="$root/.venv/bin:$PATH"
cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPython_EXECUTABLE="$py" \
  -DBRINDLE_BENCH=ON >/dev/null
cmake --build "$root/build/bench" >/dev/null
if [ "${1:-}" = --abi3 ]; then
  cmake -S "$root" -B "$root/build/bench-abi3" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPython_EXECUTABLE="$py" \
    -DBRINDLE_STABLE_ABI=ON >/dev/null
  cmake --build "$root/build/bench-abi3" >/dev/null
  exec "$py" "$root/bench/bench_abi3.py" "$root/build/bench/python" "$root/build/bench-abi3/python" "${2:-5}" \
    "$root/../shared/corpus"
fi
if [ -n "${BRINDLE_BENCH_PREVIOUS:-}" ]; then
  previous="$root/build/bench-previous"
  rm -rf "$previous/src"
  mkdir -p "$previous/src"
  git -C "$root" archive "$BRINDLE_BENCH_PREVIOUS" | tar -x -C "$previous/src"
  cmake -S "$previous/src" -B "$previous/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPython_EXECUTABLE="$py" \
    -DBRINDLE_BENCH=ON -DBRINDLE_MODULE=OFF >/dev/null
  cmake --build "$previous/build" --target bench_floor bench_hwpx >/dev/null
  export BRINDLE_BENCH_PREVIOUS_FLOOR="$previous/build/bench/bench_floor"
  export BRINDLE_BENCH_PREVIOUS_HWPX="$previous/build/bench/bench_hwpx"
fi
BRINDLE_BENCH_FLOOR="$root/build/bench/bench/bench_floor" BRINDLE_BENCH_HWPX="$root/build/bench/bench/bench_hwpx" \
  PYTHONPATH="$root/build/bench/module:$root/build/bench/python" \
  "$py" "$root/bench/bench.py" "$@"
