#!/usr/bin/env bash
# Coverage-guided fuzzing of the core with libFuzzer (clang).
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# Targets: records inflate inflate_differential para_text click_here table walk container
# document full_walk doc_info full_document zip hwpx_walk hwpx_document
# hwpml_document equation properties (all
# by default); 60 seconds each by default. Seeds come from the fixture
# writer and, when present, ../shared/corpus; they are gathered afresh
# under fuzz/work (never committed). Inputs found earlier stay in
# fuzz/work/corpus and the committed regression inputs in fuzz/regressions
# are replayed first. Exits non-zero when a target crashes, leaks or hangs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(records inflate inflate_differential para_text click_here table walk container document
                                    full_walk doc_info full_document zip hwpx_walk hwpx_document hwpml_document equation
                                    properties)

"$root/scripts/setup.sh"
py="$root/.venv/bin/python"
export PATH="$root/.venv/bin:$PATH"
build="$root/build/fuzz"
work="$root/fuzz/work"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON -DBRINDLE_MODULE=OFF -DBRINDLE_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" >/dev/null

rm -rf "$work/seeds" "$work/docs"
"$py" "$root/fuzz/make_seed_documents.py" "$work/docs"
docs=("$work"/docs/*.hwp)
corpus="$root/../shared/corpus"
if [ -d "$corpus" ]; then docs+=("$corpus"/samples/*.hwp "$corpus"/public/*.hwp); fi
ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/seed_tool" "$work/seeds" "${docs[@]}"
packages=()
if [ -d "$corpus/hwpx" ]; then packages+=("$corpus"/hwpx/real/*.hwpx "$corpus"/hwpx/twins/samples/*.hwpx); fi
"$py" "$root/fuzz/make_hwpx_seeds.py" "$work/seeds" "${packages[@]}"
"$py" "$root/fuzz/make_inflate_seeds.py" "$work/seeds" "${packages[@]}"
hmls=()
if [ -d "$corpus/hwpml" ]; then hmls+=("$corpus"/hwpml/*.hml); fi
"$py" "$root/fuzz/make_hwpml_seeds.py" "$work/seeds" ${hmls[@]+"${hmls[@]}"}
# Markup the entry names for what it is (HWPML, HTML, XML), from its first bytes.
mkdir -p "$work/seeds/hwpx_document"
if [ -d "$corpus/hwpml" ]; then
  for f in "$corpus"/hwpml/*.hml; do head -c 8192 "$f" >"$work/seeds/hwpx_document/markup-$(basename "$f")"; done
fi
printf '<!DOCTYPE html>\n<html><body>x</body></html>' >"$work/seeds/hwpx_document/markup-page.html"

export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
fuzz_one() {  # fuzz_one <target>: its report on stdout, non-zero when it failed
  local target=$1
  mkdir -p "$work/corpus/$target" "$work/artifacts/$target" "$work/seeds/$target"
  local regressions=()
  [ -d "$root/fuzz/regressions/$target" ] && regressions=("$root/fuzz/regressions/$target")
  if ! "$build/fuzz/fuzz_$target" "$work/corpus/$target" "$work/seeds/$target" ${regressions[@]+"${regressions[@]}"} \
      -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -max_len=1048576 -print_final_stats=0 \
      -artifact_prefix="$work/artifacts/$target/" >"$work/$target.log" 2>&1; then
    { echo "fuzz_$target FAILED; see $work/$target.log and $work/artifacts/$target/"; tail -40 "$work/$target.log"; } >&2
    return 1
  fi
  echo "== fuzz_$target: ${seconds}s, $(grep -E '^Done [0-9]+ runs' "$work/$target.log" | tail -1 || true)"
}

# Each target is one process on one core: run as many at once as there are
# cores (BRINDLE_FUZZ_JOBS), so that the run takes its seconds per target
# divided by the cores.
jobs=${BRINDLE_FUZZ_JOBS:-$(nproc 2>/dev/null || echo 2)}
status=0
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
  fuzz_one "$target" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
