#!/usr/bin/env python3
"""The control panel in a real browser: zx serve on a demo data folder, headless Chromium driven
over its DevTools pipe. The page cues the evening show from its titles tree, Play is pressed with
the mouse, and the state the page shows is read back; a title's fields are filled and rendered.
Pictures of the panel at a desktop and a tablet size are left in OUT_DIR.

Usage: panel_browser_test.py ZX OUT_DIR
Exit 77 (skipped) without Chromium, unless ZX_REQUIRE_ALL=1."""
import base64
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

SEQUENCE = "Sequences/Evening show.zxs"
TITLE = "Titr/Name and role.zxs"


def fail(why):
    print("FAIL: " + why, flush=True)
    sys.exit(1)


class Browser:
    """Chromium with --remote-debugging-pipe: requests on fd 3, answers on fd 4, each a JSON
    text ended by a NUL byte."""

    def __init__(self, chromium, profile, out_dir):
        self.out_dir = out_dir
        self.url = None
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()

        def fds():
            os.dup2(to_browser_r, 3)
            os.dup2(from_browser_w, 4)

        self.proc = subprocess.Popen(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-dev-shm-usage", "--user-data-dir=" + profile, "--remote-debugging-pipe",
             "--window-size=1280,900", "about:blank"],
            preexec_fn=fds, close_fds=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.next_id = 0
        self.buffer = b""
        self.session = None

    def call(self, method, params=None, session=True, timeout=30):
        self.next_id += 1
        msg = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            msg["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(msg).encode() + b"\0")
        deadline = time.time() + timeout
        while time.time() < deadline:
            while b"\0" in self.buffer:
                raw, self.buffer = self.buffer.split(b"\0", 1)
                answer = json.loads(raw)
                if answer.get("id") == self.next_id:
                    if "error" in answer:
                        fail("%s: %s" % (method, answer["error"]))
                    return answer.get("result", {})
            chunk = os.read(self.from_browser, 1 << 16)
            if not chunk:
                fail("Chromium closed its pipe during " + method)
            self.buffer += chunk
        fail("no answer to " + method)

    def open(self, url):
        self.url = url
        target = self.call("Target.createTarget", {"url": "about:blank"}, session=False)["targetId"]
        self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True},
                                 session=False)["sessionId"]
        self.call("Page.enable")
        self.call("Runtime.enable")
        self.size(1280, 900, False)
        self.call("Page.navigate", {"url": url})

    def size(self, width, height, mobile):
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})

    def eval(self, expression, quiet=False):
        r = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True, "awaitPromise": True})
        if "exceptionDetails" in r:
            if quiet:
                return None
            fail("page script failed: %s: %s" % (expression, r["exceptionDetails"]))
        return r.get("result", {}).get("value")

    def wait(self, expression, timeout, what):
        """Until the expression holds (one that fails, on a page still loading, does not)."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.eval(expression, quiet=True):
                return
            time.sleep(0.05)
        shown = self.eval("document.getElementById('status') && document.getElementById('status').textContent", True)
        self.screenshot(os.path.join(self.out_dir, "panel-failed.png"))
        server = ""
        if self.url:
            try:
                server = json.loads(urllib.request.urlopen(self.url + "api/v1/state", timeout=10).read())["status"]
            except Exception as e:  # the server's own state, for the message only
                server = "(no answer: %s)" % e
        fail("timed out waiting for " + what + "; the page shows: " + str(shown) + "; the server says: " + server)

    def click(self, selector):
        """A press of the mouse at the middle of the element, as an operator clicks."""
        box = self.eval("(() => { const e = document.querySelector(%s); e.scrollIntoView({block: 'center'});"
                        " const r = e.getBoundingClientRect();"
                        " return [r.x + r.width / 2, r.y + r.height / 2]; })()" % json.dumps(selector))
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent",
                      {"type": kind, "x": box[0], "y": box[1], "button": "left", "clickCount": 1})

    def screenshot(self, path):
        self.eval("window.scrollTo(0, 0)")
        data = self.call("Page.captureScreenshot", {"format": "png", "captureBeyondViewport": False})["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        try:
            self.call("Browser.close", session=False, timeout=5)
        except SystemExit:
            pass
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    zx, out_dir = sys.argv[1], sys.argv[2]
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        if os.environ.get("ZX_REQUIRE_ALL") == "1":
            fail("chromium is not installed (scripts/setup installs it)")
        print("SKIP: no chromium")
        return 77
    os.makedirs(out_dir, exist_ok=True)
    work = tempfile.mkdtemp(prefix="zx-panel-")
    serve = None
    browser = None
    try:
        subprocess.run([zx, "demo", work + "/data"], check=True, stdout=subprocess.DEVNULL)
        serve = subprocess.Popen([zx, "serve", "--home", work + "/data", "--time-scale", "10", "--listen",
                                  "127.0.0.1:0"], stdout=subprocess.PIPE, text=True)
        url = None
        deadline = time.time() + 60
        while time.time() < deadline and url is None:
            line = serve.stdout.readline()
            if not line:
                fail("zx serve ended before it listened")
            print("zx serve: " + line.rstrip(), flush=True)
            if line.startswith("listening on "):
                url = line.split()[2]
        if url is None:
            fail("zx serve did not listen")

        browser = Browser(chromium, work + "/profile", out_dir)
        browser.open(url)
        # The page has the state from the event stream once the Device is reset.
        browser.wait("document.getElementById('lamp-stream').classList.contains('on')", 30, "the event stream")
        browser.wait("document.getElementById('lamp-link').classList.contains('on')", 60, "the Device link")
        browser.wait("document.querySelector('.tree li.file') !== null", 30, "the titles tree")

        # The evening show chosen in the tree and cued, then Play pressed with the mouse.
        browser.click(".tree li.file[data-path=%s] > span" % json.dumps(SEQUENCE))
        browser.wait("!document.getElementById('render').disabled", 10, "the Cue button")
        browser.click("#render")
        browser.wait("document.getElementById('status').dataset.state === 'cued'", 60, "the sequence cued")
        browser.wait("!document.querySelector('[data-action=play]').disabled", 10, "Play enabled")
        browser.screenshot(os.path.join(out_dir, "panel-cued.png"))
        browser.click("[data-action=play]")
        browser.wait("document.getElementById('status').textContent.startsWith('On air')"
                     " || document.getElementById('status').textContent.startsWith('In effect')", 30,
                     "the page to show the show on air")
        shown = browser.eval("document.getElementById('status').textContent")
        print("the page shows: " + shown, flush=True)
        browser.wait("!document.querySelector('[data-action=stop]').disabled", 10, "Stop enabled")
        browser.wait("document.getElementById('status').textContent.startsWith('On air')", 30, "on air")
        browser.wait("document.getElementById('elapsed').textContent !== '–'", 10, "the times")
        browser.wait("document.getElementById('program').naturalWidth === 720", 10, "the program picture")
        time.sleep(0.5)
        browser.screenshot(os.path.join(out_dir, "panel-desktop.png"))
        browser.click("[data-action=stop]")
        browser.wait("document.getElementById('status').dataset.state === 'cued'", 60, "the show stopped")

        # A title: its fields filled in the page and rendered; the page shows the trimmed texts.
        browser.click(".tree li.file[data-path=%s] > span" % json.dumps(TITLE))
        browser.wait("document.querySelectorAll('#fields input').length === 2", 10, "the title's fields")
        browser.eval("(() => { const f = document.querySelectorAll('#fields input');"
                     " f[0].value = '  Anna Petrova '; f[1].value = 'Editor'; })()")
        browser.click("#render")
        browser.wait("document.querySelectorAll('#fields input')[0].value === 'Anna Petrova'", 20,
                     "the rendered texts")
        browser.wait("document.getElementById('status').dataset.state === 'cued'", 60, "the title cued")

        # The same panel on a tablet held upright.
        browser.size(800, 1280, True)
        time.sleep(0.5)
        browser.screenshot(os.path.join(out_dir, "panel-tablet.png"))
        print("PASS; pictures in " + out_dir, flush=True)
        return 0
    finally:
        if browser:
            browser.close()
        if serve:
            serve.send_signal(signal.SIGINT)
            try:
                serve.wait(timeout=30)
            except subprocess.TimeoutExpired:
                serve.kill()
                serve.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
