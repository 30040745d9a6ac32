"""scripts/check_site.py, the check that the built manual opens in headless Chromium
without a console error: it must report each kind of error on the page that has it,
and only there, save a screenshot of each page, and tell a search that shows results
from one that does not. Skipped without Chromium or the websockets client, and in
the sanitizer run."""

from __future__ import annotations

import os
import shutil
import sys

import pytest

from conftest import REPO_ROOT

if "asan" in os.environ.get("LD_PRELOAD", ""):
    pytest.skip("a check of the manual, not of the module: run once, in the release run", allow_module_level=True)
pytest.importorskip("websockets")
if shutil.which("chromium") is None and shutil.which("chromium-browser") is None:
    pytest.skip("no chromium (Debian's package chromium)", allow_module_level=True)

sys.path.insert(0, str(REPO_ROOT / "scripts"))
import check_site  # noqa: E402

PNG = b"\x89PNG\r\n\x1a\n"
PAGE = "<!doctype html><html><head><meta charset=utf-8><title>t</title><link rel=icon href='data:,'></head><body><p>{}</p>{}</body></html>"

# Each page's script or markup, and the error it must give (None for none).
FAULTS = {
    "clean": ("<script>console.log('fine'); console.warn('only a warning')</script>", None),
    "console_error": ("<script>console.error('broken widget')</script>", "console.error: broken widget"),
    "assert": ("<script>console.assert(1 === 2, 'one is two')</script>", "console.assert"),
    "exception": ("<script>undefinedFunction()</script>", "uncaught exception: ReferenceError"),
    "missing_image": ("<img src='missing.png' alt=''>", "HTTP 404"),
}


def site(folder, pages: dict[str, str]):
    folder.mkdir()
    for name, body in pages.items():
        path = folder / name / "index.html" if name else folder / "index.html"
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(PAGE.format(name or "home", body), encoding="utf-8")
    return folder


def test_each_error_is_reported_on_its_own_page(tmp_path):
    built = site(tmp_path / "site", {"": "", **{name: body for name, (body, _) in FAULTS.items()}})
    shots = tmp_path / "shots"
    shots.mkdir()
    pages = {name: f"{name}/" for name in FAULTS}
    errors = check_site.check(built, shots, pages, query=None)
    for name, (_, want) in FAULTS.items():
        mine = [e for e in errors if e.startswith(f"{name} ")]
        if want is None:
            assert mine == [], mine
        else:
            assert any(want in e for e in mine), (name, errors)
        assert (shots / f"{name}.png").read_bytes().startswith(PNG)
    assert not (shots / "search.png").exists()


# A page whose search box lists what it finds after a moment, as Material's does, and
# one whose search finds nothing.
SEARCH = """<div><input type=checkbox id=__search><input class=md-search__input><ul id=results></ul></div>
<script>
document.querySelector(".md-search__input").addEventListener("input", event => {{
  const found = {};
  setTimeout(() => {{ for (const text of found) {{
    const item = document.createElement("li"); item.className = "md-search-result__item";
    item.textContent = text; document.getElementById("results").append(item); }} }}, 300);
}});
</script>"""


@pytest.mark.parametrize(
    "body, want",
    [
        (SEARCH.format('["Outline and chunks"]'), []),
        (SEARCH.format("[]"), ["search: no result shown for 'chunks'"]),
        ("", ["search: the page has no search box"]),
    ],
)
def test_the_search_must_show_results(tmp_path, body, want):
    built = site(tmp_path / "site", {"": body})
    shots = tmp_path / "shots"
    shots.mkdir()
    assert check_site.check(built, shots, {"home": ""}, query="chunks") == want
    if body:
        assert (shots / "search.png").read_bytes().startswith(PNG)


def test_a_folder_without_a_site_is_a_usage_error(tmp_path, capsys):
    assert check_site.main(["check_site.py", str(tmp_path), str(tmp_path / "shots")]) == 2
    assert "no built site" in capsys.readouterr().err
