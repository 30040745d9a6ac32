#!/usr/bin/env bash
# Runs every test: sets the machine up, checks the Python files with ruff,
# lint and format (pyproject.toml's [tool.ruff]), then
#   1. the C++ tests (CTest) and the Python tests (pytest) on a release build
#      with warnings as errors, the module installed into the venv with pip;
#   2. the same suites again on a build with AddressSanitizer and
#      UndefinedBehaviorSanitizer, the Python tests through that module;
#   3. the core converting documents on four threads at once under
#      ThreadSanitizer (tools/threads_check);
#   4. the corpus and generated documents under valgrind's memcheck
#      (scripts/valgrind-corpus.sh);
#   5. a short run of every fuzz target (BRINDLE_FUZZ_SECONDS each, 12 by
#      default, as many at once as there are cores; 0 skips it);
#   6. the manual, built strictly with its API reference, and its home page,
#      user guide and API reference opened in headless Chromium, which must
#      log no console error (scripts/docs.sh; screenshots in
#      build/site-screenshots).
# After the release build's C++ tests, the core is cross-built for other
# systems (scripts/cross.sh): for Windows with MinGW-w64, its tests and every
# corpus document run under Wine against this machine's digests; for macOS
# arm64 and x86-64 with Zig's Clang, compiled and linked. The wheel workflow
# (.github/workflows) is checked against the published schema, and
# cibuildwheel's reading of pyproject.toml for the wheels it must build.
# Between the release build's C++ and Python tests, every wheel (CPython
# 3.10 to 3.13 and abi3, for x86-64 and, cross-compiled, aarch64) is built,
# repaired, audited, installed into a fresh environment and smoke-tested
# there with every corpus document, the aarch64 ones in arm64 Debian roots
# under qemu, and the sdist is built for both with nothing but a compiler
# and checked the same way (scripts/wheel.sh --all --smoke --check-sdist);
# the Python tests check the 3.13, abi3 and aarch64 ones further.
# Any failure or sanitizer report fails the run. Each step's header says
# how long the run has taken so far.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
py="$root/.venv/bin/python"
export PATH="$root/.venv/bin:$PATH"
jobs=$(nproc 2>/dev/null || echo 2)
started=$SECONDS
step() { echo "== $* (at $((SECONDS - started)) s)"; }
# The Python tests on every core (pytest-xdist), a test file per worker, so
# that a file's module fixtures are built once.
parallel=(-n "$jobs" --dist loadfile)

configure() {  # configure <build dir> <extra cmake args...>
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja -DPython_EXECUTABLE="$py" -DBRINDLE_TESTS=ON -DBRINDLE_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

# The release build, the package pip installs and every wheel compile the
# core with the same command: through ccache it compiles once for them all.
export BRINDLE_WERROR=ON CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
cached=()
pip_cached=()
if command -v ccache >/dev/null; then
  cached=(-DCMAKE_CXX_COMPILER=g++ -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  pip_cached=(--config-settings=cmake.define.CMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

step "C++ layout: clang-format 14 with .clang-format (scripts/format.sh --check)"
"$root/scripts/format.sh" --check

step "Python lint and format: ruff check, ruff format --check"
"$root/.venv/bin/ruff" check "$root"
"$root/.venv/bin/ruff" format --check "$root"

step "release build: C++ tests"
configure "$root/build/release" -DCMAKE_BUILD_TYPE=Release ${cached[@]+"${cached[@]}"}
ctest --test-dir "$root/build/release" --output-on-failure -j "$jobs"

step "Windows x86-64: MinGW-w64 build, its tests and the corpus under Wine"
"$root/scripts/cross.sh" windows
step "macOS arm64 and x86-64: Zig builds, compiled and linked"
"$root/scripts/cross.sh" macos
step "wheel workflow against the published schema; the wheels cibuildwheel would build"
check-jsonschema --builtin-schema vendor.github-workflows "$root"/.github/workflows/*.yml
for platform in linux macos windows; do
  identifiers=$(cd "$root" && "$py" -m cibuildwheel --print-build-identifiers --platform "$platform" .)
  for version in cp310 cp311 cp312 cp313 cp314; do
    if [ "$(grep -c "^$version-" <<<"$identifiers")" -ne 2 ]; then
      echo "test.sh: cibuildwheel would not build $version for both architectures of $platform:" $identifiers >&2
      exit 1
    fi
  done
done

step "release build: pip install into .venv"
"$py" -m pip install -q --disable-pip-version-check --no-build-isolation ${pip_cached[@]+"${pip_cached[@]}"} "$root"

step "wheels for CPython 3.10 to 3.13 and abi3, x86-64 and aarch64: built, repaired, audited, installed fresh and smoke-tested; the sdist built and checked for both"
rm -rf "$root/build/wheels"
"$root/scripts/wheel.sh" --all --smoke --check-sdist --dist "$root/build/wheels" --build-dir "$root/build/wheels-build"

step "release build: Python tests (the 3.13 wheel's own tests on the wheel just built)"
(cd "$root/tests" && BRINDLE_WHEELS="$root/build/wheels" BRINDLE_CFB_COMPARE="$root/build/release/tools/cfb_compare" \
  BRINDLE_ZIP_COMPARE="$root/build/release/tools/zip_compare" "$py" -m pytest -q "${parallel[@]}" "$root/tests/python")

step "sanitizer build (address, undefined): C++ tests"
configure "$root/build/asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_SANITIZE=ON
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir "$root/build/asan" --output-on-failure -j "$jobs"

step "sanitizer build: Python tests through the sanitized module"
# The interpreter is not instrumented, so the ASan runtime is preloaded, and
# Python's own allocator is bypassed so that ASan sees every allocation.
asan_runtime=$(g++ -print-file-name=libasan.so)
# libstdc++ is preloaded with it: the interpreter does not link it, so without
# it ASan finds no __cxa_throw to forward to and aborts on the first C++
# exception (a bound's LimitExceeded, std::bad_alloc).
asan_runtime="$asan_runtime $(g++ -print-file-name=libstdc++.so)"
(cd "$root/tests" && \
  LD_PRELOAD="$asan_runtime" PYTHONMALLOC=malloc BRINDLE_MODULE_DIR="$root/build/asan/module" \
  BRINDLE_CFB_COMPARE="$root/build/asan/tools/cfb_compare" BRINDLE_ZIP_COMPARE="$root/build/asan/tools/zip_compare" \
  PYTHONPATH="$root/build/asan/module" "$py" -m pytest -q -p no:cacheprovider "${parallel[@]}" "$root/tests/python")

step "ThreadSanitizer: the core converting on several threads at once"
cmake -S "$root" -B "$root/build/tsan" -G Ninja -DPython_EXECUTABLE="$py" -DBRINDLE_TESTS=ON -DBRINDLE_WERROR=ON \
  -DBRINDLE_MODULE=OFF -DBRINDLE_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/tsan" -j "$jobs" --target threads_check >/dev/null
tsan_docs=("$root/build/tsan/generated")
rm -rf "${tsan_docs[0]}"
"$py" "$root/tests/fixtures/hwp_fixture.py" hostile "${tsan_docs[0]}" 0.02 >/dev/null
"$py" "$root/tests/fixtures/hwp_fixture.py" sample "${tsan_docs[0]}/sample.hwp"
"$py" "$root/tests/fixtures/hwp_fixture.py" sample "${tsan_docs[0]}/sample.hwpx"
threaded=("${tsan_docs[0]}"/container-*.hwp "${tsan_docs[0]}"/sample.hwp "${tsan_docs[0]}"/sample.hwpx
          "${tsan_docs[0]}"/nested-*.hwp)
[ -d "$root/../shared/corpus" ] && threaded+=("$root"/../shared/corpus/samples/*.hwp "$root"/../shared/corpus/public/*.hwp
                                             "$root"/../shared/corpus/hwpx/real/*.hwpx
                                             "$root"/../shared/corpus/hwpml/*.hml)
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" "$root/build/tsan/tools/threads_check" 4 "${threaded[@]}"

step "valgrind (memcheck): the corpus and generated documents through the core"
"$root/scripts/valgrind-corpus.sh"

seconds=${BRINDLE_FUZZ_SECONDS:-12}
if [ "$seconds" -gt 0 ]; then
  step "fuzzing, ${seconds}s per target"
  "$root/scripts/fuzz.sh" "$seconds"
fi

step "the manual: mkdocs build --strict, then the pages in headless Chromium"
"$root/scripts/docs.sh"
step "done"
