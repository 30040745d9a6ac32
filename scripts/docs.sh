#!/usr/bin/env bash
# Builds the manual, the site in docs/ with the API reference generated from the
# docstrings of brindle, its loaders and the compatibility module _brindle as
# installed in .venv (scripts/test.sh installs this tree there first), and
# checks it in a browser. Part of the test command, so that a broken link or
# anchor, a page missing from the navigation, a module that no longer imports,
# a docstring mkdocstrings cannot render, an exported name without its entry,
# or a page that logs an error in the browser fails the tests.
#
#   scripts/docs.sh [OUTPUT_DIR]
#
# The site goes into OUTPUT_DIR (default build/site; never committed); the
# screenshots of the home page, the user guide, the API reference and a search
# into build/site-screenshots, for a person to look at. BRINDLE_DOCS_BROWSER=0
# builds and checks the site without opening it in Chromium.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
py=${PYTHON:-$root/.venv/bin/python}
out=$(realpath -m "${1:-$root/build/site}")
export HAYSTACK_TELEMETRY_ENABLED=False NO_MKDOCS_2_WARNING=1

# Every module the reference documents imports, as installed (from outside the
# tree, so that python/ is not what is imported), without a warning.
(cd / && "$py" -W error -c 'import brindle, brindle.integrations, _brindle
import brindle.integrations.langchain, brindle.integrations.llamaindex
import brindle.integrations.haystack, brindle.integrations.markitdown')

# --strict: any warning (a broken link or anchor, a page left out of the
# navigation, a docstring mkdocstrings cannot read) fails the build.
"$py" -m mkdocs build --strict --clean --config-file "$root/mkdocs.yml" --site-dir "$out"

# Every name the package exports has its entry in the reference.
"$py" - "$out/reference/brindle/index.html" <<'PYTHON'
import sys
import brindle
page = open(sys.argv[1], encoding="utf-8").read()
missing = [name for name in brindle.__all__ if not name.startswith("__") and f'id="brindle.{name}"' not in page]
if missing:
    sys.exit(f"docs.sh: the API reference has no entry for {', '.join(missing)}")
PYTHON
echo "manual: $out/index.html ($(find "$out" -name index.html | wc -l) pages)"

if [ "${BRINDLE_DOCS_BROWSER:-1}" != 0 ]; then
  "$py" "$root/scripts/check_site.py" "$out" "$root/build/site-screenshots"
fi
