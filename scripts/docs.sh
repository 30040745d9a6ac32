#!/usr/bin/env bash
# Generates the API reference from the docstrings with pdoc into docs/api
# (or the folder given): the brindle package, each of its loaders and the
# compatibility module _brindle, as installed in .venv (scripts/test.sh
# installs this tree there first). Part of the test command, so that a
# module that no longer imports, a docstring pdoc cannot render or a page
# that goes missing fails the tests.
#
#   scripts/docs.sh [OUTPUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
py=${PYTHON:-$root/.venv/bin/python}
out=$(realpath -m "${1:-$root/docs/api}")
# pdoc documents the public submodules of a package without __all__ (the
# integrations) with it.
modules=(brindle brindle.integrations "!brindle.integrations._metadata" _brindle)
pages=(brindle brindle.integrations brindle.integrations.langchain brindle.integrations.llamaindex
       brindle.integrations.haystack brindle.integrations.markitdown _brindle)

rm -rf "$out"
# From outside the tree, so that the installed package is documented, not
# python/; pdoc's own warnings (an annotation it cannot resolve, a broken
# cross-reference) are errors.
(cd / && HAYSTACK_TELEMETRY_ENABLED=False "$py" -W error::UserWarning -m pdoc --docformat markdown \
  --footer-text "brindle $("$py" -c 'import brindle; print(brindle.__version__)')" -o "$out" "${modules[@]}")
for module in "${pages[@]}"; do
  page="$out/${module//.//}.html"
  if [ ! -s "$page" ]; then
    echo "docs.sh: pdoc wrote no page for $module ($page)" >&2
    exit 1
  fi
done
# Every name the package exports has its entry on the package's page.
"$py" - "$out/brindle.html" <<'PYTHON'
import sys
import brindle
page = open(sys.argv[1], encoding="utf-8").read()
missing = [name for name in brindle.__all__ if f'id="{name}"' not in page]
if missing:
    sys.exit(f"docs.sh: brindle.html has no entry for {', '.join(missing)}")
PYTHON
echo "API reference: $out/index.html ($(find "$out" -name '*.html' | wc -l) pages)"
