#!/usr/bin/env bash
# Sets up, builds and installs brindle, writes the bundled sample document
# with the fixture writer, and prints what the brindle command line makes of
# it (the full profile; add --profile exact for what _brindle gives).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
py="$root/.venv/bin/python"
"$py" -m pip install -q --disable-pip-version-check --no-build-isolation "$root"
sample="$root/build/sample.hwp"
mkdir -p "$root/build"
"$py" "$root/tests/fixtures/hwp_fixture.py" sample "$sample"
"$root/.venv/bin/brindle" convert "$sample" "$@"
echo
