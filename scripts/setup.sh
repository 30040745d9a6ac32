#!/usr/bin/env bash
# Prepares a fresh Debian machine for building and testing: the system
# packages (zlib, libgsf and libzip as the tests' oracles, expat for the XML
# parsers' benchmark; GoogleTest, clang for fuzzing, valgrind, ccache for the
# wheels of several Python versions; Chromium and a Korean font, which open
# the built manual and screenshot it) and a virtual environment of CPython
# 3.13 with the build and test tools.
# Safe to run again: it installs only what is missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(pkg-config g++ zlib1g-dev libgsf-1-dev libzip-dev libexpat1-dev libgtest-dev clang
          libclang-rt-14-dev valgrind ccache chromium fonts-nanum)
"$root/scripts/apt-install.sh" "${packages[@]}"

# The environment is CPython 3.13, the main version; scripts/wheel.sh builds
# for 3.10 to 3.12 with their own interpreters.
python=${BRINDLE_PYTHON:-}
if [ -z "$python" ]; then
  for candidate in /root/.pyenv/versions/3.13*/bin/python3.13 "$(command -v python3.13 || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then python=$candidate; break; fi
  done
fi
if [ -z "$python" ] || ! "$python" -c 'import sys; sys.exit(sys.version_info[:2] != (3, 13))'; then
  echo "setup: CPython 3.13 not found (set BRINDLE_PYTHON to a python3.13 with headers)" >&2
  exit 1
fi

venv="$root/.venv"
if [ ! -x "$venv/bin/python" ] || ! "$venv/bin/python" -c 'import sys; sys.exit(sys.version_info[:2] != (3, 13))'; then
  rm -rf "$venv"
  "$python" -m venv "$venv"
fi
"$venv/bin/python" -m pip install -q --disable-pip-version-check -r "$root/requirements-dev.txt"
