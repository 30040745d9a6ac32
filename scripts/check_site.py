"""Opens pages of the built manual in headless Chromium, as a reader's browser would,
and fails on any console error: an uncaught exception, a console.error, an error the
browser logs (a resource that failed to load, a blocked request) or a response of 400
and above. Saves a screenshot of each page, and checks that the site's search finds
a word and shows what it found.

    python scripts/check_site.py SITE_DIR SCREENSHOT_DIR [PAGE...]

The site is served over HTTP on the loopback interface for the check (Material's
search does not work from file:// URLs). PAGE is a path below the site, "" for its
home page; by default the home page, the user guide and the API reference. The
browser is Debian's chromium (BRINDLE_CHROMIUM names another), driven through its
DevTools protocol. Exits 1 and lists the errors when a page has any, 2 for a usage
error.
"""

from __future__ import annotations

import base64
import contextlib
import functools
import http.server
import itertools
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path
from typing import Any

from websockets.exceptions import ConnectionClosed
from websockets.sync.client import ClientConnection, connect

PAGES = {"home": "", "guide": "guide/converting/", "reference": "reference/brindle/"}
# The word searched for on the home page, and where Material lists what it found.
SEARCH_QUERY = "chunks"
SEARCH_RESULTS = ".md-search-result__item"
WINDOW = (1280, 900)
TIMEOUT = 30.0
SETTLE = 0.5  # seconds of quiet after a page's load event before it is judged


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format: str, *args: Any) -> None:
        pass


class DevTools:
    """A DevTools protocol connection to the browser, with one page attached: commands
    and their answers, and the page's events kept as they come."""

    def __init__(self, socket: ClientConnection) -> None:
        self.socket = socket
        self.ids = itertools.count(1)
        self.events: list[dict[str, Any]] = []
        self.session: str | None = None

    def call(self, method: str, params: dict[str, Any] | None = None, *, browser: bool = False) -> dict[str, Any]:
        message: dict[str, Any] = {"id": next(self.ids), "method": method, "params": params or {}}
        if self.session is not None and not browser:
            message["sessionId"] = self.session
        self.socket.send(json.dumps(message))
        deadline = time.monotonic() + TIMEOUT
        while True:
            answer = self._receive(deadline - time.monotonic())
            if answer is None:
                raise TimeoutError(f"no answer to {method}")
            if answer.get("id") == message["id"]:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer.get("result", {})

    def wait_for(self, method: str, seconds: float = TIMEOUT) -> dict[str, Any]:
        """The next event `method` of the page (not one already kept)."""
        start = len(self.events)
        deadline = time.monotonic() + seconds
        while True:
            for event in self.events[start:]:
                if event["method"] == method:
                    return event
            start = len(self.events)
            if self._receive(deadline - time.monotonic()) is None:
                raise TimeoutError(f"no {method} within {seconds} s")

    def drain(self, seconds: float) -> None:
        """Keeps the events that come within `seconds`."""
        deadline = time.monotonic() + seconds
        while self._receive(deadline - time.monotonic()) is not None:
            pass

    def _receive(self, seconds: float) -> dict[str, Any] | None:
        if seconds <= 0:
            return None
        try:
            message = json.loads(self.socket.recv(timeout=seconds))
        except TimeoutError:
            return None
        if "method" in message:
            self.events.append(message)
        return message


def errors_of(events: list[dict[str, Any]]) -> list[str]:
    """What counts as a console error among a page's events."""
    found = []
    for event in events:
        method, params = event["method"], event.get("params", {})
        if method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            found.append(f"uncaught exception: {details.get('exception', {}).get('description') or details['text']}")
        elif method == "Runtime.consoleAPICalled" and params["type"] in ("error", "assert"):
            text = " ".join(str(arg.get("value", arg.get("description", ""))) for arg in params["args"])
            found.append(f"console.{params['type']}: {text}")
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            entry = params["entry"]
            found.append(f"{entry['source']} error: {entry['text']} {entry.get('url', '')}".rstrip())
        elif method == "Network.loadingFailed" and not params.get("canceled"):
            found.append(f"request failed: {params['errorText']}")
        elif method == "Network.responseReceived" and params["response"]["status"] >= 400:
            response = params["response"]
            found.append(f"HTTP {response['status']}: {response['url']}")
    return found


def visit(tools: DevTools, url: str, screenshot: Path) -> list[str]:
    """Opens `url`, waits for it to load and settle, saves its screenshot, and returns
    its console errors."""
    start = len(tools.events)
    tools.call("Page.navigate", {"url": url})
    tools.wait_for("Page.loadEventFired")
    tools.drain(SETTLE)
    errors = errors_of(tools.events[start:])
    shot = tools.call("Page.captureScreenshot", {"format": "png"})
    screenshot.write_bytes(base64.b64decode(shot["data"]))
    return errors


# Opens the search box and types the query, as a reader would.
TYPE_QUERY = """(() => {
  const toggle = document.getElementById("__search");
  if (toggle) { toggle.checked = true; toggle.dispatchEvent(new Event("change")); }
  const input = document.querySelector(".md-search__input");
  if (!input) return false;
  input.focus();
  input.value = %s;
  for (const kind of ["input", "keyup"]) input.dispatchEvent(new Event(kind, {bubbles: true}));
  return true;
})()"""


def search(tools: DevTools, query: str, screenshot: Path) -> list[str]:
    """Searches the page open for `query`; an error unless results show."""
    start = len(tools.events)
    typed = tools.call("Runtime.evaluate", {"expression": TYPE_QUERY % json.dumps(query), "returnByValue": True})
    if not typed["result"].get("value"):
        return ["search: the page has no search box"]
    count = 0
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and count == 0:
        tools.drain(0.25)
        answer = tools.call(
            "Runtime.evaluate",
            {"expression": f"document.querySelectorAll({json.dumps(SEARCH_RESULTS)}).length", "returnByValue": True},
        )
        count = answer["result"].get("value", 0)
    shot = tools.call("Page.captureScreenshot", {"format": "png"})
    screenshot.write_bytes(base64.b64decode(shot["data"]))
    errors = [f"search: {e}" for e in errors_of(tools.events[start:])]
    if count == 0:
        errors.append(f"search: no result shown for {query!r}")
    return errors


def browser_command(profile: Path) -> list[str]:
    browser = os.environ.get("BRINDLE_CHROMIUM") or shutil.which("chromium") or shutil.which("chromium-browser")
    if browser is None:
        sys.exit("check_site: no chromium (Debian's package chromium; or set BRINDLE_CHROMIUM)")
    return [
        browser,
        "--headless=new",
        "--no-sandbox",  # run as root in the test command's containers
        "--disable-gpu",
        "--no-first-run",
        "--no-default-browser-check",
        "--disable-extensions",
        "--remote-debugging-address=127.0.0.1",
        "--remote-debugging-port=0",
        f"--user-data-dir={profile}",
        f"--window-size={WINDOW[0]},{WINDOW[1]}",
        "about:blank",
    ]


def devtools_url(profile: Path, browser: subprocess.Popen[bytes]) -> str:
    """The browser's DevTools address, from the file it writes once it listens."""
    port_file = profile / "DevToolsActivePort"
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        if browser.poll() is not None:
            log = (profile / "chromium.log").read_text(errors="replace").strip().splitlines()[-20:]
            sys.exit(
                f"check_site: chromium exited with status {browser.returncode} before it listened:\n" + "\n".join(log)
            )
        lines = port_file.read_text().split() if port_file.is_file() else []
        if len(lines) == 2:
            return f"ws://127.0.0.1:{lines[0]}{lines[1]}"
        time.sleep(0.1)
    sys.exit(f"check_site: chromium did not listen within {TIMEOUT} s")


def visit_all(tools: DevTools, base: str, screenshots: Path, pages: dict[str, str], query: str | None) -> list[str]:
    """Attaches to a new page, opens each page and then, when there is a `query`, the
    search on the home page."""
    target = tools.call("Target.createTarget", {"url": "about:blank"})
    tools.session = tools.call("Target.attachToTarget", {"targetId": target["targetId"], "flatten": True})["sessionId"]
    for domain in ("Page", "Runtime", "Log", "Network"):
        tools.call(f"{domain}.enable")
    tools.call(
        "Emulation.setDeviceMetricsOverride",
        {"width": WINDOW[0], "height": WINDOW[1], "deviceScaleFactor": 1, "mobile": False},
    )
    errors: list[str] = []
    for name, path in pages.items():
        errors += [f"{name} ({path or '/'}): {e}" for e in visit(tools, base + path, screenshots / f"{name}.png")]
    if query is None:
        return errors
    tools.call("Page.navigate", {"url": base})
    tools.wait_for("Page.loadEventFired")
    return errors + search(tools, query, screenshots / "search.png")


def check(site: Path, screenshots: Path, pages: dict[str, str], query: str | None = SEARCH_QUERY) -> list[str]:
    """Every page's errors, each named by its page, and the search's for `query` (none
    without one); the screenshots saved as they go, one per page and search.png."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(QuietHandler, directory=str(site)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = f"http://127.0.0.1:{server.server_address[1]}/"
    errors: list[str] = []
    with tempfile.TemporaryDirectory(prefix="brindle-chromium-") as folder:
        profile = Path(folder)
        log = (profile / "chromium.log").open("wb")
        # Not under a sanitizer's runtime that the caller may have preloaded.
        env = {key: value for key, value in os.environ.items() if key != "LD_PRELOAD"}
        browser = subprocess.Popen(browser_command(profile), stdout=log, stderr=log, env=env)
        try:
            with connect(devtools_url(profile, browser), max_size=None, open_timeout=TIMEOUT) as socket:
                tools = DevTools(socket)
                errors = visit_all(tools, base, screenshots, pages, query)
                with contextlib.suppress(ConnectionClosed):  # it may close before it answers
                    tools.call("Browser.close", browser=True)
        finally:
            try:
                browser.wait(timeout=5)
            except subprocess.TimeoutExpired:
                browser.kill()
                browser.wait()
            log.close()
            server.shutdown()
    return errors


def main(argv: list[str]) -> int:
    if len(argv) < 3:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    site, screenshots = Path(argv[1]), Path(argv[2])
    if not (site / "index.html").is_file():
        print(f"check_site: {site} holds no built site (no index.html)", file=sys.stderr)
        return 2
    pages = {Path(page).stem or "home": page for page in argv[3:]} if len(argv) > 3 else PAGES
    shutil.rmtree(screenshots, ignore_errors=True)
    screenshots.mkdir(parents=True)
    errors = check(site, screenshots, pages)
    for error in errors:
        print(f"check_site: {error}", file=sys.stderr)
    if errors:
        return 1
    print(
        f"check_site: {len(pages)} pages and the search open in Chromium without a console error; "
        f"screenshots in {screenshots}"
    )
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
