#!/usr/bin/python3
"""The page in headless Chromium, opened from a file:// address, against the
console tool on the same files: what it lists, what it saves, what it
refuses and with which words.

usage: web_test.py PAGE TOOL MAKE_SAMPLE_GAME
"""
import base64
import functools
import http.server
import statistics
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from chromium import start_chromium  # noqa: E402
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.expected_conditions import alert_is_present
from selenium.webdriver.support.wait import WebDriverWait

PAGE, TOOL, MAKE_SAMPLE_GAME = sys.argv[1:4]
GAME = "Dunmarrow3.exe"
TABLE_AT, NAME_BASE = 1161592, 1114112  # from the format, not from the tool
ROW = re.compile(r"^[ \d]\d \| [ \d]{5}\d \| .*$")


def sample_game():
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([MAKE_SAMPLE_GAME, folder], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, GAME), "rb") as f:
            return f.read()


def ansi(data):
    """Bytes as a Windows console in the code page 1252 shows them, as the
    page decodes them too (the five codes 1252 leaves free stand as they are)."""
    return "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b)
                   for b in data)


def native(image, *args):
    """The console tool on a copy of image: its lines, status and file."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, GAME)
        with open(path, "wb") as f:
            f.write(image)
        run = subprocess.run([TOOL, *args], cwd=folder, capture_output=True)
        with open(path, "rb") as f:
            return ansi(run.stdout).split("\r\n"), run.returncode, f.read()


def native_changes(image, changes):
    """The file after the console tool ran once per change."""
    for clip, frames in changes:
        image = native(image, clip, frames)[2]  # a refusal leaves it as it is
    return image


def errors(lines):
    return " ".join(line for line in lines if line.startswith("Error: "))


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # The browser's last helpers may still write in its profile as it goes.
        cls.folder = tempfile.TemporaryDirectory(ignore_cleanup_errors=True)
        cls.downloads = os.path.join(cls.folder.name, "downloads")
        os.mkdir(cls.downloads)
        cls.driver = start_chromium(os.path.join(cls.folder.name, "profile"))
        cls.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {
            "behavior": "allow", "downloadPath": cls.downloads})
        cls.sample = sample_game()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.folder.cleanup()

    def open_page(self, image, address="file://" + PAGE, name=GAME):
        """Opens the page and, through its file input, a game file."""
        for old in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, old))
        # A page left with unsaved changes would ask before it goes.
        self.driver.execute_script("""window.addEventListener("beforeunload",
            (e) => e.stopImmediatePropagation(), true);""")
        self.driver.get(address)
        self.wait_for(lambda: self.text("credits") != "")
        self.choose(image, name)

    def choose(self, image, name=GAME, forget=None):
        """Opens a file through the page's file input; forget answers the
        question before unsaved changes are forgotten, where it is asked."""
        path = os.path.join(self.folder.name, name)
        with open(path, "wb") as f:
            f.write(image)
        self.driver.execute_script('document.getElementById("status").textContent = ""')
        self.driver.find_element(By.ID, "file").send_keys(path)
        if forget is not None:
            alert = WebDriverWait(self.driver, 10).until(alert_is_present())
            self.assertEqual(alert.text, "Forget the changes not saved yet?")
            alert.accept() if forget else alert.dismiss()
            if not forget:
                return
        self.wait_for(lambda: self.text("status"))

    def would_ask_before_leaving(self):
        return self.driver.execute_script("""
            const leaving = new Event("beforeunload", {cancelable: true});
            window.dispatchEvent(leaving);
            return leaving.defaultPrevented;""")

    def text(self, element_id):
        """The element's text, also where it is only read out."""
        found = self.driver.find_elements(By.ID, element_id)
        return found[0].get_attribute("textContent") if found else ""

    def in_view(self, element_id):
        return self.driver.execute_script("""
            const box = document.getElementById(arguments[0]).getBoundingClientRect();
            return box.height > 0 && box.top >= 0 && box.bottom <= innerHeight;""", element_id)

    def wait_for(self, condition, seconds=10):
        end = time.time() + seconds
        while not condition():
            if time.time() > end:
                raise AssertionError("timed out")
            time.sleep(0.05)

    def rows(self):
        """The table as the console prints it: "%2s | %6s | %s"."""
        if not self.driver.find_element(By.ID, "clips-area").is_displayed():
            return []
        rows = []
        for row in self.driver.find_elements(By.CSS_SELECTOR, "#clips tr[id^=clip-]"):
            number, frames, name = row.find_elements(By.TAG_NAME, "td")[:3]
            value = frames.find_element(By.TAG_NAME, "input").get_attribute("value")
            rows.append("%2s | %6s | %s" % (number.text, value,
                                            name.get_attribute("textContent")))
        return rows

    def edit(self, clip, frames):
        field = self.driver.find_element(By.ID, "frames-" + clip)
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys(frames, Keys.ENTER)

    def save_by_download(self):
        self.driver.find_element(By.ID, "save").click()
        path = os.path.join(self.downloads, GAME)
        self.wait_for(lambda: os.path.exists(path) and not any(
            name.endswith(".crdownload") for name in os.listdir(self.downloads)))
        # Not a save: the page can't see the download.
        self.assertTrue(self.text("save-note").startswith("Asked the browser"))
        self.assertTrue(self.in_view("save-note"))
        self.assertTrue(self.would_ask_before_leaving())
        with open(path, "rb") as f:
            return f.read()

    def test_the_page_does_what_the_console_does(self):
        cut = self.sample[:TABLE_AT + 336]  # names past the end of the file
        moved = bytearray(self.sample)  # another release: the table elsewhere
        moved[TABLE_AT - 0x600:TABLE_AT - 0x600 + 336] = self.sample[TABLE_AT:TABLE_AT + 336]
        moved[TABLE_AT:TABLE_AT + 336] = bytes((i * 7 + 1) % 251 + 1 for i in range(336))
        moved = bytes(moved)
        cases = [
            # name, file, changes (clip, frames) typed in turn
            ("list the sample", self.sample, []),
            ("list names past the end", cut, []),
            ("change clip 3 to 250", self.sample, [("3", "250")]),
            ("several changes, one save", self.sample,
             [("3", "250"), ("1", "13"), ("14", "131080"), ("3", "12")]),
            ("refuse 11 frames", self.sample, [("1", "11")]),
            ("refuse 131081 frames", self.sample, [("1", "131081")]),
            ("refuse a non-number", self.sample, [("1", "25x")]),
            ("refuse a file too short for the table", self.sample[:TABLE_AT + 335], []),
            ("refuse an empty file", b"", []),
            ("a count of 243 characters", self.sample, [("1", "0" * 240 + "250")]),
            ("refuse a count in the last row", self.sample, [("14", "5"), ("14", "100")]),
            ("refuse another release", moved, [("3", "250")]),
        ]
        for name, image, changes in cases:
            with self.subTest(name):
                self.open_page(image)
                listing, status, _ = native(image)
                if status != 0:  # nothing to list, nor to save
                    self.assertEqual(self.text("open-note"), errors(listing))
                    self.assertEqual(self.rows(), [])
                    continue
                self.assertEqual(self.rows(), [l for l in listing if ROW.match(l)])
                expected = image
                for clip, frames in changes:
                    lines, status, after = native(expected, clip, frames)
                    self.edit(clip, frames)
                    if status == 0:
                        self.wait_for(lambda: self.text("refused-" + clip) == "" and
                                      "Movie #" + clip in self.text("status"))
                        self.assertIsNone(self.driver.find_element(
                            By.ID, "frames-" + clip).get_attribute("aria-invalid"))
                        expected = after
                    else:  # said beside the row, wherever that is
                        self.wait_for(lambda: self.text("refused-" + clip) != "")
                        self.assertTrue(self.text("refused-" + clip).startswith(errors(lines)),
                                        self.text("refused-" + clip))
                        self.assertTrue(self.in_view("refused-" + clip))
                        self.assertEqual(after, expected)
                self.assertEqual(self.rows(), [l for l in native(expected)[0] if ROW.match(l)])
                save = self.driver.find_element(By.ID, "save")
                if expected == image:
                    self.assertFalse(save.is_enabled())  # nothing to save
                else:
                    saved = self.save_by_download()
                    self.assertTrue(saved == expected)
                    self.assertTrue(saved == native_changes(image, changes))
                    self.choose(saved)  # the download, opened again
                    self.assertIn("holds the changes", self.text("open-note"))
                    self.assertFalse(self.would_ask_before_leaving())

    def test_is_one_small_file_that_fetches_nothing(self):
        with open(PAGE, encoding="utf-8") as f:
            page = f.read()
        self.assertLessEqual(os.path.getsize(PAGE), 24 * 1024)
        # The one name of the page and of the Windows program's version.
        self.assertIn("<title>Dunmarrow 3 FMV frame counts</title>", page)
        for reference in ("http:", "https:", "src=", "href=", "@import", "url("):
            self.assertNotIn(reference, page)

    def test_saves_in_place_where_the_browser_gives_a_file_handle(self):
        # A file of the browser's own storage stands in for the one the
        # picker or a drop hands over: the same kind of handle. That storage
        # is not open to a file:// page, so the page comes from a server on
        # this machine's loopback address for this case. A wrapped handle
        # whose createWritable and close wait for a gate stands in for the
        # browser's permission prompt and a slow disk.
        class Quiet(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass
        serve = functools.partial(Quiet, directory=os.path.dirname(PAGE))
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), serve)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        far = bytearray(self.sample)
        far[100] ^= 0xFF
        in_table = bytearray(self.sample)
        in_table[TABLE_AT + 4] = 99  # clip 1: 208 frames
        cases = [  # name, the file on the disk by the time Save is pressed, slow
            ("as it was opened", self.sample, False),
            ("changed far from the table", bytes(far), False),
            ("changed in the table", bytes(in_table), False),
            ("a re-open and an edit during a slow save", self.sample, True),
        ]
        script = """
            const [name, bytes, slow, done] = arguments;
            const root = await navigator.storage.getDirectory();
            const handle = await root.getFileHandle("Dunmarrow3.exe", {create: true});
            const data = Uint8Array.from(atob(bytes), (c) => c.charCodeAt(0));
            if (name === "write") {
              const writable = await handle.createWritable();
              await writable.write(data);
              await writable.close();
              return done(0);
            }
            if (name === "read") {
              const file = new Uint8Array(await (await handle.getFile()).arrayBuffer());
              return done(Array.from(file, (b) => String.fromCharCode(b)).join(""));
            }
            if (name === "reopen") return window.fmvframes.openHandle(handle).then(done);
            window.gate = new Promise((release) => { window.release = release; });
            const wrapped = {kind: "file", name: handle.name, getFile: () => handle.getFile(),
              async createWritable(options) {
                await window.gate;
                const writable = await handle.createWritable(options);
                return {write: (d) => writable.write(d), abort: () => writable.abort(),
                        async close() { await window.gate; return writable.close(); }};
              }};
            if (!slow) window.release();
            await window.fmvframes.openHandle(wrapped);
            done(0);"""
        b64 = lambda data: base64.b64encode(data).decode()
        try:
            for name, on_disk, slow in cases:
                with self.subTest(name):
                    self.open_page(b"", "http://127.0.0.1:%d/%s" % (
                        server.server_port, os.path.basename(PAGE)))
                    self.driver.set_script_timeout(20)
                    put = lambda data: self.driver.execute_async_script(script, "write", b64(data), False)
                    put(self.sample)
                    self.driver.execute_async_script(script, "open", "", slow)
                    self.edit("3", "250")
                    self.wait_for(lambda: "Movie #3" in self.text("status"))
                    put(on_disk)
                    self.driver.find_element(By.ID, "save").click()
                    if slow:
                        self.driver.execute_async_script(script, "reopen", "", False)
                        self.assertIn("has not ended", self.text("open-note"))
                        self.edit("4", "300")
                        self.wait_for(lambda: "Movie #4" in self.text("status"))
                        self.driver.execute_script("window.release()")
                    self.wait_for(lambda: self.text("save-note").startswith(("Saved", "Error")))
                    self.assertTrue(self.in_view("save-note"))
                    disk = self.driver.execute_async_script(script, "read", "", False).encode("latin-1")
                    if on_disk[TABLE_AT:TABLE_AT + 336] != self.sample[TABLE_AT:TABLE_AT + 336]:
                        self.assertIn("changed since it was opened", self.text("save-note"))
                        self.assertIn("clip 3 to 250", self.text("save-note"))
                        self.assertTrue(disk == on_disk)  # nothing written
                        self.assertEqual(self.rows(), [l for l in native(on_disk)[0] if ROW.match(l)])
                        continue
                    self.assertTrue(disk == native(on_disk, "3", "250")[2])
                    self.assertEqual(os.listdir(self.downloads), [])
                    # An edit made during the save is not saved, and is not called so.
                    self.assertEqual(self.would_ask_before_leaving(), slow)
                    self.assertEqual(self.driver.find_element(By.ID, "save").is_enabled(), slow)
        finally:
            server.shutdown()
            server.server_close()

    def test_keeps_the_player_in_place_and_says_every_failed_open(self):
        self.open_page(self.sample)
        listed = self.rows()
        field = self.driver.find_element(By.ID, "frames-3")
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys("250", Keys.TAB)  # goes on where Tab goes
        self.wait_for(lambda: "Movie #3" in self.text("status"))
        self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "frames-4")
        self.assertIn("edited", self.driver.find_element(By.ID, "clip-3").get_attribute("class"))
        self.assertEqual(self.text("clip-3").split("was ")[1], "90Put back")
        self.driver.switch_to.active_element.send_keys(Keys.SHIFT, Keys.TAB)
        self.assertEqual(self.driver.switch_to.active_element.text, "Put back")
        for fault, script in [
            ("a folder dropped", """const drop = new Event("drop");
                drop.dataTransfer = {files: [], items: [{getAsFileSystemHandle:
                  async () => ({kind: "directory", name: "Dunmarrow 3"})}]};
                document.getElementById("drop").dispatchEvent(drop);"""),
            ("a file that can't be read", """window.fmvframes.load({name: "Dunmarrow3.exe",
                arrayBuffer: () => Promise.reject(new Error("it changed while read"))}, null);"""),
        ]:
            with self.subTest(fault):
                self.driver.execute_script(script)
                self.wait_for(lambda: self.text("open-note").startswith("Error: "))
                self.assertEqual(self.rows()[2], " 3 |    250 | clip03.dat")
        self.choose(b"not the game", "README.txt", forget=False)
        self.assertEqual(self.rows()[2], " 3 |    250 | clip03.dat")
        self.driver.find_element(By.CSS_SELECTOR, "#clip-3 button").click()  # put back
        self.assertEqual(self.rows(), listed)
        self.assertFalse(self.would_ask_before_leaving())
        self.choose(b"not the game", "README.txt")
        self.assertEqual(self.text("open-note"), 'Error: can not read the movie table from "README.txt".')

    def test_draws_as_fast_as_the_tool_runs(self):
        self.open_page(self.sample)
        times = self.driver.execute_async_script("""
            const [bytes, done] = arguments;
            const file = new File([Uint8Array.from(atob(bytes), (c) => c.charCodeAt(0))], "Dunmarrow3.exe");
            const times = [];
            for (let i = 0; i < 9; i++) {
              let t = performance.now();
              await window.fmvframes.load(file, null);
              const open = performance.now() - t;
              const input = document.getElementById("frames-3");
              input.value = String(100 + 2 * i);
              t = performance.now();
              input.dispatchEvent(new Event("change"));
              times.push([open, performance.now() - t]);
              document.querySelector("#clip-3 button").click();
            }
            done(times);""", base64.b64encode(self.sample).decode())
        print("\nopen to drawn table: median %.1f ms; one edit redrawn: median %.2f ms" % (
            statistics.median(t[0] for t in times), statistics.median(t[1] for t in times)))

    def test_asks_before_leaving_unsaved_changes(self):
        self.open_page(self.sample)
        self.assertFalse(self.would_ask_before_leaving())
        self.edit("2", "300")
        self.wait_for(lambda: "Movie #2" in self.text("status"))
        self.assertTrue(self.would_ask_before_leaving())
        # A download the browser denies is no save: nothing says it is.
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "deny"})
        try:
            self.driver.find_element(By.ID, "save").click()
            self.assertTrue(self.text("save-note").startswith("Asked the browser"))
        finally:
            self.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {
                "behavior": "allow", "downloadPath": self.downloads})
        self.assertTrue(self.would_ask_before_leaving())
        self.assertTrue(self.driver.find_element(By.ID, "save").is_enabled())
        self.assertEqual(os.listdir(self.downloads), [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
