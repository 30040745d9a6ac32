#!/usr/bin/env bash
# Converts every document of ../shared/corpus (when present) and a set of
# generated hostile documents through the core under valgrind's memcheck,
# by the exact and the full profile in turn (every second document by each:
# the sanitizer builds convert every one by both), and fails on any invalid
# access, use of uninitialised memory or definite leak.
#   scripts/valgrind-corpus.sh
# The checker is tools/corpus_check, built without sanitizers in Debug (set
# BRINDLE_VALGRIND_BUILD to use another build directory). The documents are
# split into two batches checked in parallel; each batch's per-document
# lines and valgrind's report are kept in the build directory.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
py="$root/.venv/bin/python"
export PATH="$root/.venv/bin:$PATH"
build=${BRINDLE_VALGRIND_BUILD:-$root/build/valgrind}
batches=2

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DBRINDLE_TESTS=ON -DBRINDLE_MODULE=OFF -DBRINDLE_SANITIZE=OFF >/dev/null
cmake --build "$build" --target corpus_check >/dev/null

files=()
corpus="$root/../shared/corpus"
if [ -d "$corpus" ]; then
  while IFS= read -r -d '' f; do files+=("$f"); done \
    < <(find "$corpus/samples" "$corpus/public" "$corpus/hwpx/real" -maxdepth 1 -type f -name '*.hwp*' -print0 \
        2>/dev/null | sort -z)
  while IFS= read -r -d '' f; do files+=("$f"); done \
    < <(find "$corpus/hwpml" -maxdepth 1 -type f -name '*.hml' -print0 2>/dev/null | sort -z)
  echo "valgrind-corpus: ${#files[@]} corpus documents"
else
  echo "valgrind-corpus: no corpus at $corpus; generated documents only"
fi
# Hostile documents at a twentieth of the Python tests' sizes (the bounds'
# own cases stay at full size), and the sample.
generated="$build/generated"
rm -rf "$generated"
mapfile -t hostile < <("$py" "$root/tests/fixtures/hwp_fixture.py" hostile "$generated" 0.05)
# Not the deflate bomb: inflating 128 MiB under memcheck takes over ten minutes,
# half of the whole test command; the sanitizer build converts it by both
# profiles (tests/python/test_limits.py).
hostile=("${hostile[@]/*deflate-bomb.hwp/}")
"$py" "$root/tests/fixtures/hwp_fixture.py" sample "$generated/sample.hwp"
"$py" "$root/tests/fixtures/hwp_fixture.py" sample "$generated/sample.hwpx"
"$py" "$root/fuzz/make_hwpx_seeds.py" "$generated/hwpx-seeds" >/dev/null
"$py" "$root/fuzz/make_hwpml_seeds.py" "$generated/hwpml-seeds" >/dev/null
files+=("$generated/sample.hwpx" "$generated"/hwpx-seeds/hwpx_document/*.hwpx "$generated"/hwpml-seeds/hwpml_document/*.hml)
for path in "${hostile[@]}"; do [ -n "$path" ] && files+=("$path"); done
files+=("$generated/sample.hwp")

pids=()
for ((b = 0; b < batches; b++)); do
  batch=()
  for ((i = b; i < ${#files[@]}; i += batches)); do batch+=("${files[$i]}"); done
  valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=1 \
    --log-file="$build/valgrind-$b.log" \
    "$build/tools/corpus_check" --alternate "${batch[@]}" >"$build/corpus-check-$b.txt" &
  pids+=($!)
done
status=0
for ((b = 0; b < batches; b++)); do
  if ! wait "${pids[$b]}"; then
    echo "valgrind-corpus: batch $b FAILED; see $build/valgrind-$b.log" >&2
    grep -E -A12 'Invalid|uninitialised|definitely lost|Process terminating' "$build/valgrind-$b.log" | head -60 >&2 || true
    status=1
  fi
done
converted=0
raised=0
for ((b = 0; b < batches; b++)); do
  summary=$(tail -1 "$build/corpus-check-$b.txt")
  if [[ $summary =~ ^([0-9]+)\ converted,\ ([0-9]+)\ raised$ ]]; then
    converted=$((converted + BASH_REMATCH[1]))
    raised=$((raised + BASH_REMATCH[2]))
  else
    echo "valgrind-corpus: batch $b did not finish; last line: $summary" >&2
    status=1
  fi
done
echo "valgrind-corpus: ${#files[@]} documents: $converted converted, $raised raised"
grep -h -v -E ': (exact|full): ok, |converted, ' "$build"/corpus-check-*.txt | sed 's/^/  /' || true
exit $status
