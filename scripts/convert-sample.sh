#!/usr/bin/env bash
# Sets up, builds and installs _brindle, writes the bundled sample document
# with the fixture writer, and prints what the module makes of it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
py="$root/.venv/bin/python"
"$py" -m pip install -q --disable-pip-version-check --no-build-isolation "$root"
sample="$root/build/sample.hwp"
mkdir -p "$root/build"
"$py" "$root/tests/fixtures/hwp_fixture.py" sample "$sample"
"$py" -c 'import sys, _brindle; print(_brindle.hwp_to_markdown(sys.argv[1]))' "$sample"
