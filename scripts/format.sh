#!/usr/bin/env bash
# Lays out our C++ (every .cc, .h and .cpp under core/, module/, tools/,
# tests/cpp/, tests/oracle/, fuzz/ and bench/) with clang-format and the
# repository's .clang-format. third_party/ is vendored and never touched;
# code between // clang-format off and // clang-format on keeps its layout.
#
#   scripts/format.sh           formats the files in place
#   scripts/format.sh --check   changes nothing; lists the files that are not
#                               formatted and exits 1 if there are any
#
# The layout is Debian's clang-format 14's: other versions break some lines
# differently, so this uses clang-format-14 and installs Debian's package of
# it when it is missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac

package=clang-format-14
"$root/scripts/apt-install.sh" "$package"
clang_format=$(command -v clang-format-14 || echo /usr/bin/clang-format-14)
if ! "$clang_format" --version | grep -q "version 14\."; then
  echo "format: $clang_format is not clang-format 14: $("$clang_format" --version)" >&2
  exit 1
fi

mapfile -d '' files < <(find core module tools tests/cpp tests/oracle fuzz bench -type f \
                          \( -name '*.cc' -o -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
if [ ${#files[@]} -eq 0 ]; then
  echo "format: no C++ files found under $root" >&2
  exit 1
fi
# A .clang-format clang-format cannot read fails here, not as every file
# being unformatted.
"$clang_format" --style=file --dump-config "${files[0]}" >/dev/null
jobs=$(nproc 2>/dev/null || echo 2)

if [ "$check" -eq 0 ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 16 -P "$jobs" "$clang_format" -i --style=file
  exit 0
fi

# --dry-run --Werror fails on a file that formatting would change; the
# names of those files, one a line, in order.
export clang_format
unformatted=$(printf '%s\0' "${files[@]}" | xargs -0 -n 1 -P "$jobs" sh -c \
  '"$clang_format" --dry-run --Werror --style=file "$1" >/dev/null 2>&1 || echo "$1"' sh | sort)
if [ -n "$unformatted" ]; then
  echo "format: these files are not formatted (scripts/format.sh formats them):" >&2
  echo "$unformatted" >&2
  exit 1
fi
echo "format: ${#files[@]} files formatted"
