#!/usr/bin/python3
"""The page in headless Chromium, opened from a file:// address, against the
console tool on the same files: what it lists, what it saves, what it
refuses and with which words.

usage: web_test.py PAGE TOOL MAKE_SAMPLE_GAME
"""
import functools
import http.server
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
        lines, status, image = native(image, clip, frames)
        assert status == 0, lines
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

    def open_page(self, image, address="file://" + PAGE):
        """Opens the page and, through its file input, a game file."""
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        self.driver.get(address)
        self.wait_for(lambda: self.text("credits") != "")
        path = os.path.join(self.folder.name, GAME)
        with open(path, "wb") as f:
            f.write(image)
        self.driver.find_element(By.ID, "file").send_keys(path)
        self.wait_for(lambda: self.text("status") or self.text("error"))

    def would_ask_before_leaving(self):
        return self.driver.execute_script("""
            const leaving = new Event("beforeunload", {cancelable: true});
            window.dispatchEvent(leaving);
            return leaving.defaultPrevented;""")

    def text(self, element_id):
        return self.driver.find_element(By.ID, element_id).text

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
        for row in self.driver.find_elements(By.CSS_SELECTOR, "#clips tr"):
            number, frames, name = row.find_elements(By.TAG_NAME, "td")
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
            ("refuse another release", moved, [("3", "250")]),
        ]
        for name, image, changes in cases:
            with self.subTest(name):
                self.open_page(image)
                listing, status, _ = native(image)
                if status != 0:  # nothing to list, nor to save
                    self.assertEqual(self.text("error"), errors(listing))
                    self.assertEqual(self.rows(), [])
                    continue
                self.assertEqual(self.rows(), [l for l in listing if ROW.match(l)])
                expected = image
                for clip, frames in changes:
                    lines, status, after = native(expected, clip, frames)
                    self.edit(clip, frames)
                    if status == 0:
                        self.wait_for(lambda: self.text("error") == "" and
                                      "Movie #" + clip in self.text("status"))
                        expected = after
                    else:
                        self.wait_for(lambda: self.text("error") != "")
                        self.assertTrue(self.text("error").startswith(errors(lines)),
                                        self.text("error"))
                        self.assertEqual(after, expected)
                self.assertEqual(self.rows(), [l for l in native(expected)[0] if ROW.match(l)])
                save = self.driver.find_element(By.ID, "save")
                if expected == image:
                    self.assertFalse(save.is_enabled())  # nothing to save
                else:
                    saved = self.save_by_download()
                    self.assertTrue(saved == expected)
                    self.assertTrue(saved == native_changes(image, changes))

    def test_is_one_small_file_that_fetches_nothing(self):
        with open(PAGE, encoding="utf-8") as f:
            page = f.read()
        self.assertLessEqual(os.path.getsize(PAGE), 24 * 1024)
        for reference in ("http:", "https:", "src=", "href=", "@import", "url("):
            self.assertNotIn(reference, page)

    def test_saves_in_place_where_the_browser_gives_a_file_handle(self):
        # A file of the browser's own storage stands in for the one the
        # picker or a drop hands over: the same kind of handle. That storage
        # is not open to a file:// page, so the page comes from a server on
        # this machine's loopback address for this case.
        class Quiet(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass
        serve = functools.partial(Quiet, directory=os.path.dirname(PAGE))
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), serve)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        try:
            self.open_page(b"", "http://127.0.0.1:%d/%s" % (
                server.server_port, os.path.basename(PAGE)))
            self.driver.set_script_timeout(20)
            self.driver.execute_async_script("""
                const [bytes, done] = arguments;
                const root = await navigator.storage.getDirectory();
                const handle = await root.getFileHandle("Dunmarrow3.exe", {create: true});
                const writable = await handle.createWritable();
                await writable.write(new Uint8Array(bytes));
                await writable.close();
                await window.fmvframes.openHandle(handle);
                done();""", list(self.sample))
            self.edit("3", "250")
            self.wait_for(lambda: "Movie #3" in self.text("status"))
            self.driver.find_element(By.ID, "save").click()
            self.wait_for(lambda: self.text("status").startswith("Saved"))
            saved = self.driver.execute_async_script("""
                const done = arguments[0];
                const root = await navigator.storage.getDirectory();
                const file = await (await root.getFileHandle("Dunmarrow3.exe")).getFile();
                done(Array.from(new Uint8Array(await file.arrayBuffer())));""")
            self.assertTrue(bytes(saved) == native(self.sample, "3", "250")[2])
            self.assertEqual(os.listdir(self.downloads), [])
            self.assertFalse(self.would_ask_before_leaving())
        finally:
            server.shutdown()
            server.server_close()

    def test_asks_before_leaving_unsaved_changes(self):
        self.open_page(self.sample)
        self.assertFalse(self.would_ask_before_leaving())
        self.edit("2", "300")
        self.wait_for(lambda: "Movie #2" in self.text("status"))
        self.assertTrue(self.would_ask_before_leaving())
        self.save_by_download()
        self.assertFalse(self.would_ask_before_leaving())


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
