#!/usr/bin/env bash
# Runs the benchmark (bench/bench.py) on a release build; with --abi3, sets
# the stable-ABI build of brindle._native against the per-version one over
# the corpus instead (bench/bench_abi3.py, ROUNDS rounds, 5 by default).
#   scripts/bench.sh [ROUNDS] [FILE...]
#   scripts/bench.sh --abi3 [ROUNDS]
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
BRINDLE_BENCH_FLOOR="$root/build/bench/bench/bench_floor" BRINDLE_BENCH_HWPX="$root/build/bench/bench/bench_hwpx" \
  PYTHONPATH="$root/build/bench/module" \
  "$py" "$root/bench/bench.py" "$@"
