#!/usr/bin/env bash
# Builds the core for another system from this Debian machine and checks it
# there as far as this machine can:
#
#   scripts/cross.sh windows   64-bit Windows, with MinGW-w64 (cmake/
#       x86_64-w64-mingw32.cmake): the core, its unit tests and the corpus
#       tools, built into build/cross/windows and run under Wine. The unit
#       tests open files by Korean names, past 260 characters, locked by
#       another handle; tools/corpus_digests converts every corpus document
#       (and copies of some under Korean names, at a long path and by a
#       relative one), and each digest must be the one this machine's build
#       gives and, for the compatibility module, the one
#       tests/data/corpus_digests.tsv records; threads_check converts on four
#       threads at once. The Python modules, which cannot be linked here,
#       are compiled against CPython's Windows headers (from Debian's
#       python3.11 sources, fetched once; apt's deb-src entries are added
#       when missing).
#   scripts/cross.sh macos     macOS on arm64 (11.0 and later) and x86-64
#       (10.15 and later), with Zig's Clang and libc++ (cmake/zig-macos.cmake):
#       the core library, its unit tests and the corpus tools compiled and
#       linked into build/cross/macos-arm64 and build/cross/macos-x86_64. They
#       cannot run here; each is checked to be a Mach-O file of its
#       architecture, for its minimum macOS, that links only the system's
#       libSystem.
#
# Either way the build must see nothing of this machine's own: a header
# outside the toolchain, GoogleTest's sources and this tree, or a library
# beyond the target system's own, fails the run with its name. The tools it
# needs are installed when missing: Debian's g++-mingw-w64-x86-64-posix and
# wine64, PyPI's ziglang (into .venv), LLVM's objdump (with clang).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
py=${PYTHON:-$root/.venv/bin/python}
jobs=$(nproc 2>/dev/null || echo 2)
corpus=${BRINDLE_CORPUS:-$root/../shared/corpus}
reference_build=${BRINDLE_REFERENCE_BUILD:-$root/build/release}

usage() { echo "usage: scripts/cross.sh windows|macos" >&2; exit 2; }
[ $# -eq 1 ] || usage

ccache_args=()
command -v ccache >/dev/null && ccache_args=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cross_build() {  # cross_build <folder> <toolchain file> <target>...
  local folder=$1 toolchain=$2
  shift 2
  local log="$folder.log"
  mkdir -p "$(dirname "$folder")"
  if ! { cmake -S "$root" -B "$folder" -G Ninja -Wno-deprecated -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
           -DCMAKE_BUILD_TYPE=Release -DBRINDLE_TESTS=ON -DBRINDLE_WERROR=ON -DBRINDLE_MODULE=OFF \
           -DBRINDLE_ORACLES=OFF -DBRINDLE_GTEST_SOURCE=/usr/src/googletest ${ccache_args[@]+"${ccache_args[@]}"} &&
         cmake --build "$folder" -j "$jobs" --target "$@"; } >"$log" 2>&1; then
    echo "cross.sh: the build in ${folder#"$root"/} failed:" >&2
    grep -E "error|Error|FAILED" "$log" | head -30 >&2
    exit 1
  fi
}

# Every header a compilation read must come from one of the allowed folders.
# A relative path is one within the tree (ccache's base_dir, the test
# command's, writes them so), and is not looked at.
check_headers() {  # check_headers <build folder> <allowed folder>...
  local folder=$1 foreign
  shift
  local allowed=("$root" /usr/src/googletest "$@")
  foreign=$(ninja -C "$folder" -t deps | sed -n 's/^    //p' | sort -u |
            awk -v list="$(printf '%s\n' "${allowed[@]}")" '
              BEGIN { n = split(list, prefixes, "\n") }
              !/^\// { next }
              { for (i = 1; i <= n; i++) if (prefixes[i] != "" && index($0, prefixes[i]) == 1) next; print }')
  if [ -n "$foreign" ]; then
    echo "cross.sh: the build in $folder read headers outside its toolchain:" >&2
    echo "$foreign" | head -20 >&2
    exit 1
  fi
}

# CPython's headers for Windows: the platform-independent Include folder and
# PC/pyconfig.h, from Debian's python3.11 sources (no Windows CPython can be
# had here), unpacked once into build/cross/cpython-windows.
windows_python_headers() {
  local folder="$root/build/cross/cpython-windows" download
  if [ ! -f "$folder/PC/pyconfig.h" ]; then
    if ! grep -qsE '^Types:.*deb-src|^deb-src ' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list \
           /etc/apt/sources.list.d/*.list; then
      echo "cross.sh: adding Debian's source packages to apt's sources" >&2
      local sudo_cmd=()
      [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
      # Either way apt may be told its sources: deb822 files or one-line lists.
      if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        "${sudo_cmd[@]}" sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
      fi
      if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/brindle-sources.list >/dev/null
      fi
      "${sudo_cmd[@]}" apt-get update -qq
    fi
    download=$(mktemp -d)
    # Only the upstream tarball is needed; a missing Debian part is no matter.
    (cd "$download" && apt-get source -qq --download-only python3.11 >/dev/null 2>&1 || true)
    if ! compgen -G "$download/python3.11_*.orig.tar.*" >/dev/null; then
      echo "cross.sh: could not fetch Debian's python3.11 sources for CPython's Windows headers" >&2
      rm -rf "$download"
      exit 1
    fi
    rm -rf "$folder"
    mkdir -p "$folder"
    tar -xf "$download"/python3.11_*.orig.tar.* -C "$folder" --strip-components=1 --wildcards '*/Include' '*/PC/pyconfig.h'
    rm -rf "$download"
  fi
  echo "$folder"
}

reference_digests() {  # reference_digests <list> <out>: this machine's build, the reference
  if [ ! -x "$reference_build/tools/corpus_digests" ]; then
    cmake -S "$root" -B "$reference_build" -G Ninja -DPython_EXECUTABLE="$py" -DBRINDLE_TESTS=ON \
      -DBRINDLE_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$reference_build" -j "$jobs" --target corpus_digests >/dev/null
  fi
  "$reference_build/tools/corpus_digests" "$1" "$2"
}

windows() {
  "$root/scripts/apt-install.sh" g++-mingw-w64-x86-64-posix wine64 wine
  local build="$root/build/cross/windows" check="$root/build/cross/windows-check"
  echo "== Windows x86-64: MinGW-w64 build into ${build#"$root"/}"
  cross_build "$build" "$root/cmake/x86_64-w64-mingw32.cmake" core_tests corpus_digests threads_check
  check_headers "$build" /usr/share/mingw-w64/ /usr/x86_64-w64-mingw32/ /usr/lib/gcc/x86_64-w64-mingw32/
  # Linked statically: nothing but Windows' own DLLs.
  local exe dlls
  for exe in "$build"/tests/cpp/core_tests.exe "$build"/tools/*.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' |
           grep -viE '^(kernel32|msvcrt|ucrtbase|advapi32|user32|shell32|ws2_32|bcrypt|api-ms-win-[a-z0-9-]+)\.dll$' || true)
    if [ -n "$dlls" ]; then
      echo "cross.sh: ${exe#"$root"/} needs DLLs Windows does not have: $dlls" >&2
      exit 1
    fi
  done

  # The modules cannot be linked here (no Windows CPython to link with), but
  # they compile, warnings as errors, against CPython's Windows headers.
  local headers module
  headers=$(windows_python_headers)
  for module in "$root"/module/*.cc; do
    x86_64-w64-mingw32-g++-posix -std=c++20 -Wall -Wextra -Werror -fsyntax-only -DMS_WIN64 \
      -I"$headers/Include" -I"$headers/PC" -I"$root/core/include" -I"$root/module" "$module" || {
      echo "cross.sh: ${module#"$root"/} does not compile for Windows" >&2
      exit 1
    }
  done
  echo "   the modules ($(cd "$root/module" && echo *.cc)) compile for Windows against CPython 3.11's headers"

  # Wine in a prefix of its own, quiet, without the Mono and Gecko prompts.
  # Outside the tree: the prefix links its Z: drive to /, and a tool that
  # walks the tree (the sdist's build) would walk the whole file system.
  export WINEPREFIX="${BRINDLE_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/brindle/wine-prefix}"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" DISPLAY=
  mkdir -p "$(dirname "$WINEPREFIX")"
  # One wine server for all the runs below: a program started while the
  # last one's server is shutting down loses its connection to it.
  wineboot -i >/dev/null 2>&1  # makes the prefix when there is none
  wineserver -k 2>/dev/null || true
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  echo "== Windows x86-64: unit tests under Wine"
  under_wine "unit tests" "$build/tests/cpp/core_tests.exe" --gtest_brief=1

  if [ ! -d "$corpus" ]; then
    echo "cross.sh: no corpus at $corpus; the documents are not converted under Wine" >&2
    return
  fi
  echo "== Windows x86-64: every corpus document under Wine, digests against this machine's"
  rm -rf "$check"
  mkdir -p "$check/copies"
  "$py" "$root/scripts/cross_check.py" list "$corpus" "$check/copies" >"$check/linux.list"
  "$py" "$root/scripts/cross_check.py" list "$corpus" "$check/copies" --windows >"$check/windows.list"
  # Both run in the copies' folder, which the relative paths start from.
  (cd "$check/copies" && reference_digests ../linux.list ../linux.tsv)
  (cd "$check/copies" && wine "$build/tools/corpus_digests.exe" 'Z:'"${check//\//\\}"'\windows.list' \
     'Z:'"${check//\//\\}"'\windows.tsv')
  "$py" "$root/scripts/cross_check.py" table "$check/linux.tsv"
  "$py" "$root/scripts/cross_check.py" compare "$check/linux.tsv" "$check/windows.tsv"
  "$py" "$root/scripts/cross_check.py" table "$check/windows.tsv"
  echo "== Windows x86-64: four threads at once under Wine"
  local threaded=("$corpus"/samples/*.hwp "$corpus"/hwpx/real/*.hwpx "$corpus"/hwpml/*.hml)
  local windows_paths=()
  for f in "${threaded[@]}"; do windows_paths+=("Z:${f//\//\\}"); done
  under_wine threads_check "$build/tools/threads_check.exe" 4 "${windows_paths[@]}"
}

# Runs a program under Wine, printing the end of what it says; on failure,
# more of it, and the run fails.
under_wine() {  # under_wine <what> <program> <argument>...
  local what=$1 log
  shift
  log=$(mktemp)
  if wine "$@" >"$log" 2>&1; then
    grep -v '^wine: ' "$log" | tail -n 2
    rm -f "$log"
    return
  fi
  tail -n 30 "$log" >&2
  rm -f "$log"
  echo "cross.sh: $what failed under Wine" >&2
  exit 1
}

macos() {
  "$root/scripts/apt-install.sh" clang llvm
  "$py" -c 'import ziglang' 2>/dev/null || "$py" -m pip install -q --disable-pip-version-check ziglang
  export BRINDLE_ZIG_PYTHON="$py"
  local zig_lib arch target minimum build cputype
  zig_lib=$("$py" -c 'import os, ziglang; print(os.path.dirname(ziglang.__file__))')
  for arch in arm64 x86_64; do
    case $arch in
      arm64) target=aarch64-macos.11.0 minimum=11.0 cputype=16777228 ;;
      x86_64) target=x86_64-macos.10.15 minimum=10.15 cputype=16777223 ;;
    esac
    build="$root/build/cross/macos-$arch"
    echo "== macOS $arch ($minimum and later): Zig build into ${build#"$root"/}"
    BRINDLE_ZIG_TARGET=$target cross_build "$build" "$root/cmake/zig-macos.cmake" brindle_core core_tests corpus_digests
    check_headers "$build" "$zig_lib/"
    local binary
    for binary in "$build/tests/cpp/core_tests" "$build/tools/corpus_digests"; do
      # The Mach-O header: 64-bit magic, then the CPU type.
      if [ "$(od -An -tu4 -N8 "$binary" | tr -s ' ')" != " 4277009103 $cputype" ]; then
        echo "cross.sh: ${binary#"$root"/} is no Mach-O executable for $arch" >&2
        exit 1
      fi
      if ! llvm-objdump --macho --private-headers "$binary" | grep -qE "^ +minos $minimum$"; then
        echo "cross.sh: ${binary#"$root"/} is not built for macOS $minimum" >&2
        exit 1
      fi
      local libraries
      libraries=$(llvm-objdump --macho --dylibs-used "$binary" | tail -n +2 | grep -v '^\s*/usr/lib/libSystem\.B\.dylib ' || true)
      if [ -n "$libraries" ]; then
        echo "cross.sh: ${binary#"$root"/} links libraries beyond the system's:$libraries" >&2
        exit 1
      fi
    done
    echo "   $(basename "$build")/core/libbrindle_core.a, tests/cpp/core_tests, tools/corpus_digests: linked (they cannot run here)"
  done
}

case ${1:-} in
  windows) windows ;;
  macos) macos ;;
  *) usage ;;
esac
