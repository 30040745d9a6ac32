#!/usr/bin/env bash
# Runs the benchmark (bench/bench.py) on a release build.
#   scripts/bench.sh [ROUNDS] [FILE...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
py="$root/.venv/bin/python"
export PATH="$root/.venv/bin:$PATH"
cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPython_EXECUTABLE="$py" \
  -DBRINDLE_BENCH=ON >/dev/null
cmake --build "$root/build/bench" >/dev/null
BRINDLE_BENCH_FLOOR="$root/build/bench/bench/bench_floor" BRINDLE_BENCH_HWPX="$root/build/bench/bench/bench_hwpx" \
  PYTHONPATH="$root/build/bench/module" \
  "$py" "$root/bench/bench.py" "$@"
