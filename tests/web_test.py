#!/usr/bin/python3
"""The page in headless Chromium, opened from a file:// address, against the
console tool on the same files: what it lists, what it saves, what it
refuses and with which words.

usage: web_test.py PAGE TOOL MAKE_SAMPLE_GAME [Page.test_name...]
"""
import base64
import functools
import http.server
import json
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
# What the page adds to the tool's words where a file can't be changed.
SHORT = " It is too short to be the game's program: open Dunmarrow3.exe from the game's folder."
# The steps after a download: a rename that refuses a taken name works, and
# the copy to keep is never overwritten.
STEPS = ("In the game's folder, if there is no Dunmarrow3-before.exe, rename Dunmarrow3.exe to it (the copy to "
         "keep); if there is, delete Dunmarrow3.exe (an earlier download). Then put the download there as "
         "Dunmarrow3.exe (a browser may have named it Dunmarrow3 (1).exe or Dunmarrow3(1).exe). On Windows, if its "
         "Properties say it came from another computer, tick Unblock.")
ANOTHER = (" If it is the game's own Dunmarrow3.exe, restore it with the store's file check (Steam: Verify integrity "
           "of game files) or from the copy you kept.")


# Where the file can't be read any more, nothing is said of what it holds.
GONE = ("Error: Dunmarrow3.exe can not be read any more: it may hold other counts now (a download put in place, "
        "another program): open it again, then ")


def sample_game(*edge_cases):
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([MAKE_SAMPLE_GAME, *edge_cases, folder], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(folder, GAME), "rb") as f:
            return f.read()


def ansi(data):
    """Bytes as a Windows console in the code page 1252 shows them, as the
    page decodes them too (the five codes 1252 leaves free stand as they are)."""
    return "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b)
                   for b in data)


def native(image, *args, raw=False):
    """The console tool on a copy of image: its lines (or its bytes), status
    and file."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, GAME)
        with open(path, "wb") as f:
            f.write(image)
        run = subprocess.run([TOOL, *args], cwd=folder, capture_output=True)
        with open(path, "rb") as f:
            return run.stdout if raw else ansi(run.stdout).split("\r\n"), run.returncode, f.read()


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
        cls.sample = sample_game("--edge-cases")
        cls.release = sample_game()  # names a release would have

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

    def downloaded(self, button, name):
        """Presses a button that downloads, and takes the file away."""
        self.driver.find_element(By.ID, button).click()
        path = os.path.join(self.downloads, name)
        self.wait_for(lambda: os.path.exists(path) and not any(
            name.endswith(".crdownload") for name in os.listdir(self.downloads)))
        with open(path, "rb") as f:
            data = f.read()
        os.remove(path)
        return data

    def restore(self, listing, name="fmvframes-before.txt", wait=True):
        path = os.path.join(self.folder.name, name)
        with open(path, "wb") as f:
            f.write(listing)
        self.driver.execute_script('document.getElementById("save-note").textContent = ""')
        self.driver.find_element(By.ID, "listing").send_keys(path)
        return wait and self.said()

    def said(self):
        """The note under the buttons once the file was read."""
        self.wait_for(lambda: self.text("save-note") and not self.text("save-note").startswith("Reading"))
        return self.text("save-note")

    def marks(self):
        """Each row's "was" mark, where it has one."""
        return self.driver.execute_script("""return Object.fromEntries([...document.querySelectorAll(
            "#clips-area:not([hidden]) tr[id^=clip-]")].map((tr) => [tr.id.slice(5), tr.cells[3].firstChild.textContent])
            .filter(([, mark]) => mark));""")

    def save_by_download(self):
        self.driver.find_element(By.ID, "download").click()
        path = os.path.join(self.downloads, GAME)
        self.wait_for(lambda: os.path.exists(path) and not any(
            name.endswith(".crdownload") for name in os.listdir(self.downloads)))
        # Not a save: the page can't see the download.
        self.assertTrue(self.text("save-note").startswith("Asked the browser"))
        self.assertTrue(self.in_view("save-note"))
        self.assertTrue(self.would_ask_before_leaving())
        self.assertTrue(self.text("pending").endswith(" changed: downloaded, not yet in place"))
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
            ("another release opens to no edit", moved, []),
        ]
        for name, image, changes in cases:
            with self.subTest(name):
                self.open_page(image)
                listing, status, _ = native(image)
                checked, refused, _ = native(image, "3", "250")  # what a change checks first
                if status != 0 or refused == 1:  # nothing to list, or to change: the console's words, and a way on
                    self.assertEqual(self.text("open-note"), errors(listing) + SHORT if status else
                                     " ".join(l for l in listing if l.startswith("Note: ")) + ANOTHER)
                    self.assertEqual(self.rows(), [])
                    continue
                self.assertEqual(self.rows(), [l for l in listing if ROW.match(l)])
                # The listing kept as the console keeps it, whatever is edited.
                self.assertTrue(self.downloaded("keep", "fmvframes-before.txt") == native(image, raw=True)[0])
                expected = image
                for clip, frames in changes:
                    lines, status, after = native(expected, clip, frames)
                    self.edit(clip, frames)
                    if status == 0:
                        self.wait_for(lambda: self.text("refused-" + clip) == "" and
                                      self.text("status").startswith("Clip %s: " % clip))
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
                download = self.driver.find_element(By.ID, "download")
                if expected == image:  # nothing to save
                    self.assertEqual(download.get_attribute("aria-disabled"), "true")
                else:
                    self.assertTrue(self.downloaded("before", "Dunmarrow3-before.exe") == image)
                    saved = self.save_by_download()
                    self.assertTrue(saved == expected)
                    self.assertTrue(saved == native_changes(image, changes))
                    self.choose(image, "Other.exe")  # all downloaded, nothing since: not asked
                    self.choose(saved)  # the download, opened again
                    self.assertTrue(self.text("open-note").startswith(
                        "This file holds the changes you downloaded: they are in place if it is the one in the game's "
                        "folder."))
                    self.assertFalse(self.would_ask_before_leaving())

    def test_is_one_small_file_that_fetches_nothing(self):
        with open(PAGE, encoding="utf-8") as f:
            page = f.read()
        self.assertLessEqual(os.path.getsize(PAGE), 32 * 1024)
        # The one name of the page and of the Windows program's version.
        self.assertIn("<title>Dunmarrow 3 FMV frame counts</title>", page)
        for reference in ("http:", "https:", "src=", "href=", "@import", "url("):
            self.assertNotIn(reference, page)

    def test_saves_in_place_where_the_browser_gives_a_file_handle(self):
        # A file of the browser's own storage stands in for the one the
        # picker or a drop hands over: the same kind of handle. That storage
        # is not open to a file:// page, so the page comes from a server on
        # this machine's loopback address for this case. A wrapped handle
        # stands in for the browser's permission question, its copy, its
        # close() and a disk that changes under the page: it waits at a
        # step for window.go() where asked.
        class Quiet(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass
        serve = functools.partial(Quiet, directory=os.path.dirname(PAGE))
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), serve)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        address = "http://127.0.0.1:%d/%s" % (server.server_port, os.path.basename(PAGE))
        far = bytearray(self.sample)
        far[100] ^= 0xFF
        far = bytes(far)
        in_table = bytearray(self.sample)
        in_table[TABLE_AT + 4] = 99  # clip 1: 208 frames
        in_table = bytes(in_table)
        changed = native(self.sample, "3", "250")[2]
        later = bytearray(changed)  # after a save, another program changes clip 1
        later[TABLE_AT + 4] = 99
        later = bytes(later)
        kept = ("Error: Dunmarrow3.exe was written again since it was opened, with the same clip table, so nothing "
                "was saved. Press Save again to write your changes into it as it is now.")
        lead = "Error: Dunmarrow3.exe changed since it was opened, so nothing was "
        refused = lead + "saved. It is shown as it is now. Tried: clip 3 to 250."
        retype = " Type again what is listed beside Save."
        dl = "download a changed copy and put it in the game's folder in place of Dunmarrow3.exe."
        words = " (the browser's words)"
        held = "Error: Dunmarrow3.exe is in use" + words + ", so nothing was saved. Close the game, then press Save again."
        security = "Error: this browser refuses to write this program" + words + ", so nothing was saved. Instead, " + dl
        prompt = "Error: the browser's question was closed without an answer, so nothing was saved. Press Save to be " \
            "asked again, or " + dl
        undone = "Error: the browser saved Dunmarrow3.exe, and then something else changed it. It is shown as it is " \
            "now. Tried: clip 3 to 250."
        b64 = lambda data: base64.b64encode(data).decode()
        cases = [
            # name, the handle's ways (and what the player does: "again"
            # presses Save once more, "undo" puts clip 3 back and saves,
            # "restore" sets it back from the kept listing and saves, "back"
            # puts it back while the browser asks, "during" edits clip 4 and
            # puts clip 3 back then, "typing" types clip 4 without Enter
            # before Save, "download" downloads instead; "then" is what
            # another program writes just after close(); "marks", "retype"
            # what the rows say afterwards where it is not the default), the
            # step it waits at, the file another program writes there (or
            # before Save), the whole note, the file afterwards
            ("as it was opened, then undone", {"undo": True}, None, None, "Saved: clip 3 90 → 250.", self.sample),
            ("kept, saved, then set back from the listing", {"restore": True}, None, None, "Saved: clip 3 90 → 250.",
             self.sample),
            ("changed far from the table", {"again": True}, None, far, kept, native(far, "3", "250")[2]),
            ("the same bytes written again", {"again": True}, None, self.sample, kept, changed),
            ("a count typed without Enter, then Save ends kept", {"again": True, "typing": "300", "marks": {
                "3": "was 90", "4": "was 610"}}, None, self.sample, kept, native(changed, "4", "300")[2]),
            # a clock as coarse as FAT's keeps lastModified over a quick change
            ("changed in the table", {"coarse": True, "ask": True}, None, in_table, refused + retype, in_table),
            ("its size changed, its table not", {"coarse": True}, None, self.sample + b"x", refused + retype,
             self.sample + b"x"),
            ("Download after another program changed the table", {"download": True}, None, in_table,
             lead + "downloaded. It is shown as it is now. Tried: clip 3 to 250." + retype, in_table),
            ("written while the browser asks", {}, "permission", in_table, refused + retype, in_table),
            ("Put back while the browser asks", {"back": True, "retype": ""}, "permission", in_table,
             refused + " Changed during the save: clip 3 to 90.", in_table),
            ("an edit and a Put back while the browser copies", {"during": True, "program": True,
             "retype": "clip 4 to 300"}, "copied",
             in_table, refused + " Changed during the save: clip 3 to 90, clip 4 to 300." + retype, in_table),
            ("written after the browser copied it", {"program": True}, "copied", in_table, refused + retype, in_table),
            ("written while the page writes", {"program": True}, "written", in_table, refused + retype, in_table),
            ("cut short, with the table hidden", {"program": True}, "copied", self.sample[:TABLE_AT], refused,
             self.sample[:TABLE_AT]),
            ("another program writes just after a save", {"then": b64(in_table)}, None, None, undone + retype, in_table),
            ("another program puts the counts back just after a save", {"then": b64(self.sample), "marks": {}},
             None, None, undone + retype, self.sample),
            ("a save, then another program changes clip 1 and Save is refused", {"later": later, "marks": {
                "3": "saved, was 90"}}, None, None, lead + "saved. It is shown as it is now. Tried: clip 6 to 100." +
             retype, later),
            ("close() rejects after the file was replaced", {"fail": ["close", "AbortError", True]}, None, None,
             "Saved: clip 3 90 → 250. The browser reported a problem afterwards" + words + ", but the file holds them.",
             changed),
            ("close() fails and the file holds other counts", {"fail": ["close", "InvalidStateError", b64(in_table)]},
             None, None, "Error: the browser could not save Dunmarrow3.exe" + words + ", and Dunmarrow3.exe holds "
             "other counts now. It is shown as it is now. Tried: clip 3 to 250." + retype, in_table),
            ("held by the game at close()", {"fail": ["close", "NoModificationAllowedError"]}, None, None, held,
             self.sample),
            ("InvalidStateError at close(), the file unchanged", {"fail": ["close", "InvalidStateError"]}, None, None,
             held, self.sample),
            ("a full disk", {"fail": ["write", "QuotaExceededError"]}, None, None, "Error: the disk is full" + words +
             ", so nothing was saved. Make room on it, then press Save again.", self.sample),
            ("the browser's security check", {"fail": ["close", "AbortError"]}, None, None, security, self.sample),
            ("createWritable says SecurityError", {"fail": ["copy", "SecurityError"]}, None, None, security,
             self.sample),
            ("another failure", {"fail": ["copy", "TypeError"]}, None, None, "Error: the browser could not save "
             "Dunmarrow3.exe" + words + ", so nothing was saved: press Save again, or " + dl, self.sample),
            ("written, then unreadable", {"unreadable": "closed", "again": True}, None, None,
             "Error: the browser reports Dunmarrow3.exe saved, but it can not be read back now to check: open it "
             "again to see what it holds.", changed),
            ("stale when read again", {"unreadable": "copied"}, None, None,
             GONE + "press Save again.",
             self.sample),
            # Chromium keeps "denied" and asks nothing more; a closed
            # question leaves "prompt", and the next Save asks again.
            ("the question closed, then Save again", {"permission": "prompt", "again": True}, None, None, prompt,
             changed),
            ("denied, then Save again", {"permission": "denied", "again": True}, None, None,
             "Error: the browser was told not to let this page change Dunmarrow3.exe and does not ask again, so "
             "nothing was saved: " + dl, self.sample),
            ("createWritable says NotAllowedError", {"fail": ["copy", "NotAllowedError"], "query": "prompt"}, None,
             None, prompt, self.sample),
            ("Open, Save, a read and an edit during a slow save", {"marks": {"3": "saved, was 90", "4": "was 610"}},
             "copied", None, "Saved: clip 3 90 → 250. The changes made since are not saved yet.", changed),
        ]
        script = """
            const [name, arg, done] = arguments;
            const root = await navigator.storage.getDirectory();
            const handle = await root.getFileHandle("Dunmarrow3.exe", {create: true});
            const bytes = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
            const write = async (text) => {
              const writable = await handle.createWritable();
              await writable.write(bytes(text));
              await writable.close();
            };
            if (name === "write") return write(arg).then(() => done(0));
            if (name === "read") {
              const file = new Uint8Array(await (await handle.getFile()).arrayBuffer());
              return done(Array.from(file, (b) => String.fromCharCode(b)).join(""));
            }
            if (name === "reopen") return window.fmvframes.openHandle(handle).then(done);
            const how = JSON.parse(arg);
            window.permission = how.permission || "granted";
            const step = (at) => how.pause !== at ? null :
              new Promise((go) => { window.go = go; window.pausedAt = at; });
            const fail = async (at, writable) => {
              if (!how.fail || how.fail[0] !== at) return;
              const [, error, replaced] = how.fail;
              if (!replaced) await writable.abort();
              else await writable.close();
              if (typeof replaced === "string") await write(replaced);
              throw new DOMException("the browser's words", error);
            };
            let state = "open";
            const wrapped = {kind: "file", name: handle.name,
              async getFile() {
                let file = await handle.getFile();
                if (how.coarse) file = new File([file], file.name, {lastModified: 0});
                if (how.unreadable !== state) return file;
                const stale = () => Promise.reject(new DOMException("changed", "NotReadableError"));
                return {size: file.size, lastModified: file.lastModified, arrayBuffer: stale,
                        slice: () => ({arrayBuffer: stale})};
              },
              async requestPermission() {
                await step("permission");
                return window.permission;
              },
              async queryPermission() {
                return how.query || window.permission;
              },
              async createWritable(options) {
                // Another program, unlike another tab, is not kept out.
                const writable = await handle.createWritable(how.program ? {keepExistingData: true} : options);
                await fail("copy", writable);
                state = "copied";
                await step("copied");
                return {abort: () => writable.abort(),
                  async write(d) {
                    await writable.write(d);
                    await fail("write", writable);
                    await step("written");
                  },
                  async close() {
                    await fail("close", writable);
                    await writable.close();
                    state = "closed";
                    if (how.then) await write(how.then);
                  }};
              }};
            await window.fmvframes.openHandle(wrapped);
            done(0);"""
        call = lambda name, arg="": self.driver.execute_async_script(script, name, arg)
        put = lambda data: call("write", b64(data))
        click = lambda element_id: self.driver.find_element(By.ID, element_id).click()
        note = lambda: self.text("save-note")
        try:
            for name, ways, pause, other, says, after in cases:
                with self.subTest(name):
                    self.open_page(b"", address)
                    self.driver.set_script_timeout(20)
                    put(self.sample)
                    call("open", json.dumps(dict(ways, pause=pause, later=None)))
                    if ways.get("restore"):  # kept as the console keeps it
                        listing = self.downloaded("keep", "fmvframes-before.txt")
                        self.assertTrue(listing == native(self.sample, raw=True)[0])
                    self.edit("3", "250")
                    self.edit("5", "7")  # refused, and the refusal goes on Save
                    self.wait_for(lambda: self.text("refused-5") != "")
                    if pause is None and other is not None:
                        put(other)
                    busy = pause is not None and other is None
                    if busy:  # a read that ends during the save
                        self.driver.execute_script("""window.fmvframes.load({name: "Dunmarrow3.exe", slice() {
                            return {arrayBuffer: () => new Promise((r) => { window.readEnds = r; })}; }}, null)""")
                    if ways.get("typing"):
                        field = self.driver.find_element(By.ID, "frames-4")
                        field.send_keys(Keys.CONTROL, "a")
                        field.send_keys(ways["typing"])
                    click("download" if ways.get("download") else "save")
                    self.assertEqual(self.text("refused-5"), "")
                    if pause is not None:
                        self.wait_for(lambda: self.driver.execute_script("return window.pausedAt") == pause)
                        self.assertIn("answer it", note())
                        for button in ("save", "download"):
                            self.assertEqual(self.driver.find_element(By.ID, button).get_attribute(
                                "aria-disabled"), "true")
                        if ways.get("during"):
                            self.edit("4", "300")
                        if ways.get("back") or ways.get("during"):
                            self.driver.find_element(By.CSS_SELECTOR, "#clip-3 button").click()
                        if other is not None:
                            put(other)
                        else:
                            call("reopen")
                            self.assertIn("has not ended", self.text("open-note"))
                            self.driver.execute_script('document.getElementById("open-note").textContent = ""')
                            click("open")
                            self.assertIn("has not ended", self.text("open-note"))
                            click("save")  # still the one save
                            self.driver.execute_script("window.readEnds(new ArrayBuffer(8))")
                            self.wait_for(lambda: "has not ended" in self.text("open-note"))
                            self.edit("4", "300")
                            self.wait_for(lambda: self.text("status").startswith("Clip 4: "))
                        self.driver.execute_script("window.go()")
                    self.wait_for(lambda: note().startswith(("Saved", "Error")))
                    if ways.get("later"):
                        self.assertEqual(note(), "Saved: clip 3 90 → 250.")
                        put(ways["later"])
                        self.edit("6", "100")
                        self.driver.execute_script('document.getElementById("save-note").textContent = ""')
                        click("save")
                        self.wait_for(lambda: note().startswith(("Saved", "Error")))
                    said = note()
                    self.assertEqual(said, says)
                    self.assertTrue(self.in_view("save-note"))
                    self.assertEqual(self.marks(), ways.get("marks", {"3": "saved, was 90"} if says.startswith("Saved")
                                                            else {} if "shown as it is now" in says else {"3": "was 90"}))
                    if "shown as it is now" in says:  # what Save tried named, the file shown as it is now
                        self.assertEqual(self.rows(), [l for l in native(after)[0] if ROW.match(l)])
                        wanted = ways.get("retype", "clip 6 to 100" if ways.get("later") else "" if not self.rows()
                                          else "clip 3 to 250")
                        self.assertEqual(self.text("retype"), wanted and "Still to type again: " + wanted + ".")
                        self.assertEqual(self.would_ask_before_leaving(), self.text("retype") != "")
                        if ways.get("ask"):  # the same file again keeps them; another asks first
                            call("reopen")
                            self.assertEqual(self.text("retype"), "Still to type again: " + wanted + ".")
                            self.choose(self.sample, "Other.exe", forget=False)
                            self.assertEqual(self.text("retype"), "Still to type again: " + wanted + ".")
                        if not self.rows():  # the keyboard goes to the reason
                            self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "open-note")
                        elif ways.get("later") or ways.get("during"):
                            pass
                        elif self.text("retype"):
                            self.edit("3", "250")
                            self.wait_for(lambda: self.text("retype") == "")
                    if says == kept:  # the edits stand, on the file as it is now
                        self.assertEqual(self.rows()[2], " 3 |    250 | clip03.dat")
                    if ways.get("again"):
                        if ways.get("permission") == "prompt":  # asked again, and answered
                            self.driver.execute_script('window.permission = "granted"')
                        self.driver.execute_script('document.getElementById("save-note").textContent = ""')
                        click("save")  # in place again, not a download
                        self.wait_for(lambda: note().startswith(("Saved", "Error")))
                        self.assertTrue(note().startswith(says if after == self.sample else "Saved"), note())
                    if says.startswith("Saved: "):  # the rows keep what changed
                        self.assertEqual(self.text("clip-3").split("saved, was ")[1], "90Put back")
                        self.assertEqual(self.would_ask_before_leaving(), busy)  # an edit made meanwhile
                    if ways.get("undo") or ways.get("restore"):
                        if ways.get("undo"):
                            self.driver.find_element(By.CSS_SELECTOR, "#clip-3 button").click()
                            self.assertEqual(note(), "")  # what was saved is no longer what will be
                        else:
                            self.assertEqual(self.restore(listing),
                                             "Set back from fmvframes-before.txt, not saved yet: clip 3 250 → 90.")
                            self.assertEqual(self.marks(), {"3": "was 250"})
                        self.assertTrue(self.would_ask_before_leaving())
                        click("save")
                        self.wait_for(lambda: note() == "Saved: clip 3 250 → 90.")
                        self.assertTrue(self.downloaded("before", "Dunmarrow3-before.exe") == self.sample)
                    disk = call("read").encode("latin-1")
                    self.assertTrue(disk == after, name)
                    self.assertEqual(os.listdir(self.downloads), [])
            # Two tabs save the same file: one writer at a time.
            self.open_page(b"", address)
            put(self.sample)
            call("open", json.dumps({"pause": "copied"}))
            self.edit("3", "250")
            click("save")
            self.wait_for(lambda: self.driver.execute_script("return window.pausedAt") == "copied")
            first = self.driver.current_window_handle
            self.driver.switch_to.new_window("tab")
            self.open_page(b"", address)
            call("open", "{}")
            self.edit("5", "100")
            click("save")
            self.wait_for(lambda: note().startswith("Error: another tab or window is saving Dunmarrow3.exe"))
            self.driver.close()
            self.driver.switch_to.window(first)
            self.driver.execute_script("window.go()")
            self.wait_for(lambda: note().startswith("Saved"))
            self.assertTrue(call("read").encode("latin-1") == changed)
            # Save is reached by Tab from a first edit in the last row.
            self.open_page(b"", address)
            put(self.sample)
            call("open", "{}")
            field = self.driver.find_element(By.ID, "frames-14")
            field.send_keys(Keys.CONTROL, "a")
            field.send_keys("100", Keys.TAB)
            self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "save")
        finally:
            server.shutdown()
            server.server_close()

    def test_keeps_the_player_in_place_and_says_every_failed_open(self):
        self.open_page(self.sample)
        listed = self.rows()
        field = self.driver.find_element(By.ID, "frames-3")
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys("131080", Keys.TAB)  # goes on where Tab goes; code 0xFFFF
        self.wait_for(lambda: self.text("status").startswith("Clip 3: "))
        self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "frames-4")
        self.assertIn("edited", self.driver.find_element(By.ID, "clip-3").get_attribute("class"))
        self.assertEqual(self.text("clip-3").split("was ")[1], "90Put back")
        self.driver.switch_to.active_element.send_keys(Keys.SHIFT, Keys.TAB)
        back = self.driver.switch_to.active_element
        self.assertEqual(back.text, "Put back")
        self.assertEqual(back.get_attribute("aria-label"), "Put back clip 3 to 90 frames")
        folder = "Error: Dunmarrow 3 is a folder: open the file Dunmarrow3.exe in it."
        drop = """const drop = new Event("drop"); drop.dataTransfer = %s;
            document.getElementById("drop").dispatchEvent(drop);"""
        empty = """{name: "Dunmarrow 3", size: 0, slice: () => ({arrayBuffer: async () => new ArrayBuffer(0)}),
            arrayBuffer: () => Promise.reject(new DOMException("a folder", "NotReadableError"))}"""
        for fault, says, script in [
            ("a folder dropped", folder, drop % """{files: [], items: [{getAsFileSystemHandle:
                async () => ({kind: "directory", name: "Dunmarrow 3"})}]}"""),
            # Firefox and WebKit: a File whose slices read as empty, and an entry
            ("a folder dropped without handles", folder, drop % ("""{files: [%s], items: [{webkitGetAsEntry:
                () => ({isDirectory: true, name: "Dunmarrow 3"})}]}""" % empty)),
            ("a folder as an empty File alone", "Error: Dunmarrow 3 is a folder, or a file that could not be read: "
             "open the file Dunmarrow3.exe in the game's folder.", drop % ("{files: [%s], items: []}" % empty)),
            ("a file that can't be read", "Error: ", """window.fmvframes.load({name: "Dunmarrow3.exe", size: 2e6,
                slice: () => ({arrayBuffer: () => Promise.reject(new Error("it changed while read"))})}, null);"""),
            ("the picker ends as a cancel does", "Nothing was opened.", """window.showOpenFilePicker = () =>
                Promise.reject(new DOMException("refused", "AbortError"));
                document.getElementById("open").click();"""),
        ]:
            with self.subTest(fault):
                self.driver.execute_script('document.getElementById("open-note").textContent = ""; ' + script)
                self.wait_for(lambda: self.text("open-note").startswith(says))
                if says == "Error: ":
                    self.assertNotIn("(", self.text("open-note"))  # no browser wording
                self.assertEqual(self.rows()[2], " 3 | 131080 | clip03.dat")
        self.choose(b"not the game", "README.txt", forget=False)
        self.assertEqual(self.rows()[2], " 3 | 131080 | clip03.dat")
        # A kept listing sets counts back only where it is this file's listing,
        # from either console program, with either line end; exactly, below
        # 12 frames too; else it says why and changes nothing.
        kept = native(self.sample, raw=True)[0]
        row5 = b" 5 |     12 | movidat\r\n"
        wrong = "Error: fmvframes-before.txt can not set back Dunmarrow3.exe: "
        for case, listing, says in [
            ("the listing", kept, None),
            ("LF line ends", kept.replace(b"\r\n", b"\n"), None),
            ("the Windows program's", kept.replace(b"Usage: fmvframes i", b"Usage: fmvframes.exe i"), None),
            ("dropped", kept, None),
            ("another file's", native(self.release, raw=True)[0], wrong + 'it lists clip 2 as "TOWN.dat", where '
             'Dunmarrow3.exe has "CLIP02.dat": it is a listing of another file. Nothing was changed.'),
            ("another release's", kept + b"Note: it is not.\r\n", wrong + "it is a listing of another release (its "
             "Note line says so). Nothing was changed."),
            ("a row missing", kept.replace(row5, b""), wrong + 'line 10 should be the row of clip 5: " 6 |     10 | '
             'c.dat". Nothing was changed.'),
            ("a row more", kept.replace(row5, row5 * 2), wrong + 'line 11 should be the row of clip 6: " 5 |     12 | '
             'movidat". Nothing was changed.'),
            ("a count no file holds", kept.replace(row5, row5.replace(b"12", b"13")), wrong + "clip 5 has 13 frames "
             "there, a count no file holds. Nothing was changed."),
            ("cut short", kept[:-8], wrong + 'line 22 is not as fmvframes writes it: "Where: i - movie clip number '
             '(#); f - new frames". Nothing was changed.'),
        ]:
            with self.subTest(case):
                self.edit("6", "100")
                if case == "dropped":
                    self.driver.execute_script(drop % """{files: [new File([Uint8Array.from(atob(arguments[0]),
                        (c) => c.charCodeAt(0))], "fmvframes-before.txt")], items: []}""",
                        base64.b64encode(listing).decode())
                    self.said()
                else:
                    self.restore(listing)
                self.assertEqual(self.text("save-note"), says or "Set back from fmvframes-before.txt: clip 3 131080 → "
                                 "90, clip 6 100 → 10. Dunmarrow3.exe holds them already: nothing to save.")
                self.assertEqual([r[:13] for r in self.rows()[2:6:3]], [" 3 | 131080 |", " 6 |    100 |"] if says
                                 else [" 3 |     90 |", " 6 |     10 |"])
                self.edit("3", "131080")
        self.driver.find_element(By.CSS_SELECTOR, "#clip-6 button").click()
        self.edit("1", "5")  # refused; typing again takes the refusal away
        self.wait_for(lambda: self.text("refused-1") != "")
        self.driver.find_element(By.ID, "frames-1").send_keys("0")
        self.assertEqual(self.text("refused-1"), "")
        self.assertIsNone(self.driver.find_element(By.ID, "frames-1").get_attribute("aria-invalid"))
        self.driver.find_element(By.ID, "frames-1").send_keys(Keys.BACKSPACE)
        self.driver.find_element(By.CSS_SELECTOR, "#clip-3 button").click()  # put back
        self.assertEqual(self.rows(), listed)
        self.assertFalse(self.would_ask_before_leaving())
        self.choose(b"not the game", "README.txt")
        self.assertEqual(self.text("open-note"), 'Error: can not read the movie table from "README.txt".' + SHORT)
        # A name is never a replacement pattern; what was typed is quoted;
        # Esc restores the count before this edit; an odd count says how it
        # was kept, a leading zero nothing.
        self.choose(self.sample, "Dunmarrow3 $&.exe")
        for clip, keys, line in [
            ("1", ["5", Keys.ENTER], 'Error: invalid frames count, must be from 12 to 131080 (inclusive). '
             'You typed "5": clip 1 keeps 300 frames.'),
            ("2", ["777", Keys.ESCAPE], ""),
            ("4", ["251", Keys.ENTER], "251 is stored as 250: only even counts are kept."),
            ("5", ["300", Keys.ENTER, "8", Keys.ESCAPE, Keys.TAB], ""),
            ("6", ["0250", Keys.ENTER], ""),
        ]:
            field = self.driver.find_element(By.ID, "frames-" + clip)
            field.send_keys(Keys.CONTROL, "a")
            field.send_keys(*keys)
            self.assertEqual(self.text("refused-" + clip) or self.text("odd-" + clip), line)
        self.assertEqual([row[:13] for row in self.rows()[:6]], [" 1 |    300 |", " 2 |    200 |", " 3 |     90 |",
                                                                 " 4 |    250 |", " 5 |    300 |", " 6 |    250 |"])
        # A count typed without Enter when the file is opened again stays
        # typed in its field, focused, and is applied only on Enter.
        field = self.driver.find_element(By.ID, "frames-2")
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys("444")
        self.driver.execute_script('document.getElementById("open-note").textContent = ""; ' + drop % """{files: [
            new File([Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0))], "Dunmarrow3 $&.exe")], items: []}""",
            base64.b64encode(self.sample).decode())
        self.wait_for(lambda: self.text("open-note").startswith("Opened a copy of Dunmarrow3 $&.exe"))
        # The same name, its table as last read: the edits stay.
        self.assertEqual(self.text("retype"), "")
        self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "frames-2")
        edits = {"4": "was 610", "5": "was 12", "6": "was 10"}
        self.assertEqual((self.rows()[1][:13], self.marks()), (" 2 |    444 |", edits))
        self.driver.switch_to.active_element.send_keys(Keys.ENTER)
        self.assertEqual(self.marks(), {**edits, "2": "was 200"})
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 320, "height": 640, "deviceScaleFactor": 1, "mobile": False})
        try:  # 400% zoom: nothing to scroll sideways, Put back in view, 8.3 names on one line
            self.assertTrue(self.driver.execute_script("""const page = document.documentElement;
                const back = document.querySelector("#clip-2 button").getBoundingClientRect();
                return page.scrollWidth <= page.clientWidth && back.right <= page.clientWidth;"""))
            columns = """return [...document.querySelectorAll("#clip-1 td, #clip-11 td")].map((td) =>
                [td.getBoundingClientRect().left, td.getBoundingClientRect().height]);"""
            before = self.driver.execute_script(columns)
            self.assertEqual(before[2][1], before[6][1])  # INTRO.dat and CREDITS.dat: one line each
            self.edit("1", "131080")  # a row that changes moves no column
            self.assertEqual([left for left, _ in self.driver.execute_script(columns)], [left for left, _ in before])
        finally:
            self.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        self.edit("1", "5")
        self.wait_for(lambda: self.text("refused-1") != "")
        self.choose(b"", "Launcher $&.exe", forget=True)  # another name: asked
        self.assertEqual(self.text("open-note"), 'Error: can not read the movie table from "Launcher $&.exe".' + SHORT)

    def test_says_what_the_file_holds_when_it_moves_on(self):
        # A file on a disk of the page's own that another program, or the
        # player putting a download in place, changes meanwhile: opened by a
        # handle that writes in place (Chromium's Open), as a File that reads
        # as the file is now (Firefox, Safari), or as a File that can't be
        # read once the file changed (Chromium's Open a copy).
        disk = """
            window.put = (text) => {
              window.disk = Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
              window.stamp = (window.stamp || 0) + 1;
            };
            window.opens = (mode, name) => {
              const now = () => new File([window.disk], name, {lastModified: window.stamp});
              const stale = () => Promise.reject(new DOMException("changed", "NotReadableError"));
              if (mode === "handle") {
                return window.fmvframes.openHandle({kind: "file", name, getFile: async () => now(),
                  requestPermission: async () => "granted", queryPermission: async () => "granted",
                  async createWritable() {
                    const copy = window.disk.slice();
                    return {write: async ({position, data}) => copy.set(data, position), abort: async () => {},
                            async close() { window.disk = copy; window.stamp += 1; }};
                  }});
              }
              const at = window.stamp, file = now();
              const read = (from, to) => mode === "live" ? now().slice(from, to).arrayBuffer() :
                window.stamp === at ? file.slice(from, to).arrayBuffer() : stale();
              return window.fmvframes.load({name, get size() { return mode === "live" ? window.disk.length : file.size; },
                get lastModified() { return mode === "live" ? window.stamp : at; },
                slice: (from, to) => ({arrayBuffer: () => read(from, to)}), arrayBuffer: () => read()}, null);
            };"""
        b64 = lambda data: base64.b64encode(data).decode()
        sample = self.sample

        def program(image, counts):
            """The file after another program set clips to counts."""
            image = bytearray(image)
            for clip, frames in counts.items():
                image[TABLE_AT + (clip - 1) * 24 + 4:TABLE_AT + (clip - 1) * 24 + 6] = ((frames - 10) // 2).to_bytes(2, "little")
            return bytes(image)
        moved = "Dunmarrow3.exe changed since it was read (%s): it is shown as it is now, with your changes. "
        lead = "Asked the browser to download the changed Dunmarrow3.exe: against the file as first opened, it changes "
        newest = " It is the newest copy, with every change of the earlier ones. "
        kept = "Asked the browser to download fmvframes-before.txt, the counts Dunmarrow3.exe holds now. Keep it: opened " \
            "here later, it sets them back."
        before = "Asked the browser to download Dunmarrow3-before.exe, Dunmarrow3.exe as first opened: against the file " \
            "now, it undoes %s. Keep it: to undo every change, delete Dunmarrow3.exe in the game's folder, then put " \
            "Dunmarrow3-before.exe there and rename it Dunmarrow3.exe."
        scenarios = [
            # name, steps: (what the player or another program does, its
            # argument, and the whole note it leaves, where there is one),
            # what the file holds at the end
            ("another program changed clip 5: the kept listing sets it back", [
                ("open", "handle", None), ("keep", None, kept), ("program", {5: 100}, None),
                ("restore", 0, moved % "clip 5 12 → 100" + "Set back from fmvframes-before.txt, not saved yet: clip 5 "
                 "100 → 12."),
                ("marks", {"5": "was 100"}, None), ("save", None, "Saved: clip 5 100 → 12.")], sample),
            ("a download put in place, read as it is now, then set back", [
                ("open", "live", None), ("keep", None, kept), ("edit", ("3", "250"), None),
                ("download", None, lead + "clip 3 90 → 250. " + STEPS), ("place", None, None),
                ("restore", 0, moved % "clip 3 90 → 250" + "Set back from fmvframes-before.txt, not downloaded yet: "
                 "clip 3 250 → 90."),
                ("download", None, "Asked the browser to download the changed Dunmarrow3.exe: it has the counts first "
                 "opened. An earlier download also changed clip 3, which this one does not. " + STEPS),
                ("place", None, None)], sample),
            ("a download put in place where the opened copy can't be read: open it again, then the listing", [
                ("open", "copy", None), ("keep", None, kept), ("edit", ("3", "250"), None),
                ("download", None, lead + "clip 3 90 → 250. " + STEPS), ("place", None, None),
                ("restore", 0, GONE + "the listing."),
                ("pending", "1 clip changed: Dunmarrow3.exe can not be read any more, open it again", None),
                ("before", None, GONE + "download it as first opened."),
                ("open", "copy", "This file holds the changes you downloaded: they are in place if it is the one in "
                 "the game's folder."),
                ("restore", 0, "Set back from fmvframes-before.txt, not downloaded yet: clip 3 250 → 90."),
                ("download", None, "Asked the browser to download the changed Dunmarrow3.exe: it has the counts first "
                 "opened. An earlier download also changed clip 3, which this one does not. " + STEPS),
                ("place", None, None)], sample),
            ("a listing kept after another program's change is the console's for the file", [
                ("open", "handle", None), ("edit", ("3", "250"), None), ("program", {5: 100}, None),
                ("keep", None, moved % "clip 5 12 → 100" + kept), ("marks", {"3": "was 90"}, None),
                ("save", None, "Saved: clip 3 90 → 250.")], program(native(sample, "3", "250")[2], {5: 100})),
            ("a download not put in place, the file opened again, another change", [
                ("open", "copy", None), ("edit", ("3", "250"), None),
                ("download", None, lead + "clip 3 90 → 250. " + STEPS),
                ("open", "copy", "Opened a copy of Dunmarrow3.exe: the changes are downloaded."),
                ("pending", "1 clip changed: downloaded, not yet in place", None), ("edit", ("5", "100"), None),
                ("download", None, lead + "clip 3 90 → 250, clip 5 12 → 100." + newest + STEPS),
                ("place", None, None)], native_changes(sample, [("3", "250"), ("5", "100")])),
            ("saved, opened again: the file as first opened", [
                ("open", "handle", None), ("edit", ("3", "250"), None), ("save", None, "Saved: clip 3 90 → 250."),
                ("open", "handle", "Opened Dunmarrow3.exe: Save writes the changes into it."),
                ("before", None, before % "clip 3 250 → 90"), ("marks", {"3": "saved, was 90"}, None)],
             native(sample, "3", "250")[2]),
            ("another file after a download has none of its downloads, and is asked about", [
                ("open", "live", None), ("edit", ("3", "250"), None),
                ("download", None, lead + "clip 3 90 → 250. " + STEPS),
                ("open", "live:Dunmarrow3-before.exe", "Opened a copy of Dunmarrow3-before.exe: the changes are "
                 "downloaded."),
                ("edit", ("3", "250"), None), ("pending", "1 clip changed, not downloaded yet", None),
                ("open", "live:Other.exe", "asked"), ("pending", "", None)], sample),
            ("counts to type again, set back from a listing; the same file in other case", [
                ("open", "live", None), ("keep", None, kept), ("edit", ("3", "250"), None),
                ("program", {5: 100}, None),
                ("open", "live:dunmarrow3.exe", "Opened a copy of dunmarrow3.exe: the changes are downloaded."),
                ("retype", "Still to type again: clip 3 to 250.", None),
                ("restore", 0, "Set back from fmvframes-before.txt, not downloaded yet: clip 5 100 → 12."),
                ("retype", "", None)], program(sample, {5: 100})),
            ("a count typed and not saved stays out of the listing and in the copy", [
                ("open", "handle", None), ("edit", ("3", "250"), None), ("keep", None, kept),
                ("pending", "1 clip changed, not saved yet", None),
                ("save", None, "Saved: clip 3 90 → 250.")], native(sample, "3", "250")[2]),
            ("after a download, another program's change of the same size is no download put in place", [
                ("open", "live", None), ("edit", ("3", "250"), None),
                ("download", None, lead + "clip 3 90 → 250. " + STEPS), ("program", {1: 100}, None),
                ("download", None, "Error: Dunmarrow3.exe changed since it was opened, so nothing was downloaded. It is "
                 "shown as it is now. Tried: clip 3 to 250. Type again what is listed beside Download.")],
             program(sample, {1: 100})),
            ("a download put in place is the file: kept, counted and downloaded from", [
                ("open", "live", None), ("edit", ("3", "250"), None),
                ("download", None, lead + "clip 3 90 → 250. " + STEPS), ("place", None, None),
                ("edit", ("4", "100"), None),
                ("download", None, lead + "clip 3 90 → 250, clip 4 610 → 100." + newest + STEPS),
                ("pending", "1 clip changed: downloaded, not yet in place", None),
                ("keep", None, kept), ("place", None, None)],
             native_changes(sample, [("3", "250"), ("4", "100")])),
            ("a listing dropped where no table is shown", [
                ("put", b"MZ", None), ("open", "live:Other.exe", None), ("restore", 0, None)], b"MZ"),
        ]
        for name, steps, after in scenarios:
            with self.subTest(name):
                self.open_page(b"")
                self.driver.execute_script(disk + "window.put(arguments[0]);", b64(sample))
                listings, last = [native(sample, raw=True)[0]], None
                for do, arg, says in steps:
                    self.driver.execute_script('for (const id of ["open-note", "save-note", "status"]) '
                                               'document.getElementById(id).textContent = ""')
                    now = lambda: base64.b64decode(self.driver.execute_script("""let text = "";
                        for (let i = 0; i < window.disk.length; i += 8192) {
                          text += String.fromCharCode(...window.disk.subarray(i, i + 8192));
                        }
                        return btoa(text);"""))
                    if do == "open":
                        mode, _, called = arg.partition(":")
                        self.driver.execute_script("window.opens(arguments[0], arguments[1])", mode, called or GAME)
                        if says == "asked":
                            alert = WebDriverWait(self.driver, 10).until(alert_is_present())
                            self.assertEqual(alert.text, "Forget the changes not saved yet?")
                            alert.accept()
                        self.wait_for(lambda: self.text("open-note"))
                        if says not in (None, "asked"):
                            self.assertEqual(self.text("open-note"), says)
                    elif do == "edit":
                        self.edit(*arg)
                    elif do == "program":
                        self.driver.execute_script("window.put(arguments[0])", b64(program(now(), arg)))
                    elif do in ("place", "put"):  # the last download put in place, or other bytes
                        self.driver.execute_script("window.put(arguments[0])", b64(last if do == "place" else arg))
                    elif do in ("keep", "before", "download", "restore", "save"):
                        file = {"keep": "fmvframes-before.txt", "before": "Dunmarrow3-before.exe"}.get(do, GAME)
                        if do == "restore" and says is None:  # said under Open
                            self.restore(listings[arg], wait=False)
                            self.wait_for(lambda: self.text("open-note").startswith("Error: Other.exe has no"))
                            continue
                        if do == "restore":
                            self.restore(listings[arg])
                        elif do != "save" and says.startswith("Asked"):
                            got = self.downloaded(do, file)
                            if do == "keep":  # the console's listing of the file as it is now
                                self.assertTrue(got == native(now(), raw=True)[0])
                                listings.append(got)
                            elif do == "before":  # the file as it is, with the table first opened
                                self.assertTrue(got == now()[:TABLE_AT] + sample[TABLE_AT:TABLE_AT + 336] +
                                                now()[TABLE_AT + 336:])
                            else:
                                last = got
                        else:
                            self.driver.find_element(By.ID, do).click()
                        self.assertEqual(self.said(), says)
                    elif do == "marks":
                        self.assertEqual(self.marks(), arg)
                    else:
                        self.assertEqual(self.text(do), arg)
                if name == "a listing dropped where no table is shown":
                    self.assertEqual(self.text("open-note"), "Error: Other.exe has no table shown to set back: open the "
                                     "game's Dunmarrow3.exe, then the listing.")
                self.assertTrue(now() == after)

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
        edit = statistics.median(t[1] for t in times)
        print("\nopen to drawn table: median %.1f ms; one edit redrawn: median %.2f ms" % (
            statistics.median(t[0] for t in times), edit))
        self.assertLessEqual(edit, 5)

    def test_asks_before_leaving_unsaved_changes(self):
        self.open_page(self.sample)
        self.assertFalse(self.would_ask_before_leaving())
        self.edit("2", "300")
        # What is read out is what the screen says.
        self.assertEqual(self.text("status"), "Clip 2: 300 frames. 1 clip changed, not downloaded yet.")
        self.assertTrue(self.would_ask_before_leaving())
        # Opened from the file input, or by a handle that can't write: a copy,
        # and where both ways are offered, the words tell them apart.
        self.assertTrue(self.text("open-note").startswith("Opened a copy of Dunmarrow3.exe"))
        self.assertTrue(self.driver.find_element(By.ID, "open-ways").is_displayed())
        self.assertTrue(self.text("way-why").startswith("You opened a copy, which the page can't save in place"))
        self.assertEqual(self.text("pending"), "1 clip changed, not downloaded yet")
        for opened in ("input", "handle"):
            if opened == "handle":
                self.driver.execute_script("""const file = new File([Uint8Array.from(atob(arguments[0]),
                    (c) => c.charCodeAt(0))], "Dunmarrow3.exe");
                    window.fmvframes.openHandle({kind: "file", name: file.name, getFile: async () => file});""",
                    base64.b64encode(self.sample).decode())
                # The same name, its table as last read: the edits stay, unasked.
                self.wait_for(lambda: self.text("open-note").startswith("Opened a copy of Dunmarrow3.exe"))
                self.assertEqual((self.text("retype"), self.marks()), ("", {"2": "was 200"}))
            self.assertFalse(self.driver.find_element(By.ID, "save").is_displayed())
            self.assertTrue(self.driver.find_element(By.ID, "way-copy").is_displayed())
            self.assertFalse(self.driver.find_element(By.ID, "way-in-place").is_displayed())
        self.edit("3", "5")  # refused, and the refusal goes on download
        self.wait_for(lambda: self.text("refused-3") != "")
        # A download the browser denies is no save: nothing says it is.
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "deny"})
        try:
            self.driver.find_element(By.ID, "download").click()
            self.wait_for(lambda: self.text("save-note").startswith("Asked the browser"))
        finally:
            self.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {
                "behavior": "allow", "downloadPath": self.downloads})
        self.assertTrue(self.would_ask_before_leaving())
        self.assertEqual(self.text("refused-3"), "")
        self.assertEqual(os.listdir(self.downloads), [])
        # A later download is the newest, its steps in an order that works,
        # the names set as names. Put in place, the file opened can't be read
        # any more; opened again, an edit made since stays listed to type
        # again; under another name it is asked about, and not called in place.
        saved = self.save_by_download()
        self.assertEqual(self.text("save-note"), "Asked the browser to download the changed Dunmarrow3.exe: against "
                         "the file as first opened, it changes clip 2 200 → 300. It is the newest copy, with every "
                         "change of the earlier ones. " + STEPS)
        names = 'return [...document.querySelectorAll("#save-note code")].map((c) => c.textContent)'
        self.assertEqual(self.driver.execute_script(names), [
            "Dunmarrow3-before.exe", GAME, GAME, GAME, "Dunmarrow3 (1).exe", "Dunmarrow3(1).exe"])
        self.choose(self.sample)  # from the disk; all downloaded, nothing since: not asked
        with open(os.path.join(self.folder.name, GAME), "wb") as f:
            f.write(saved)
        self.edit("4", "100")
        self.wait_for(lambda: self.text("status").startswith("Clip 4: "))
        self.driver.find_element(By.ID, "download").click()
        self.wait_for(lambda: self.text("save-note").startswith("Error"))
        self.assertEqual(self.text("save-note"), GONE + "press Download again.")
        self.choose(saved)
        self.assertTrue(self.rows()[3].startswith(" 4 |    610 | "))
        self.assertEqual(self.text("retype"), "Still to type again: clip 4 to 100.")
        self.choose(saved, "Dunmarrow3 (1).exe", forget=True)
        self.assertEqual(self.text("open-note"), "This file holds the changes you downloaded, but the game reads only "
                         "Dunmarrow3.exe: put it in the game's folder as Dunmarrow3.exe.")
        # Where the opened file reads as it is now (Firefox), the first
        # download put in its place is no change by another program.
        os.remove(os.path.join(self.downloads, GAME))
        self.driver.execute_script("""window.disk = Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0));
            window.fmvframes.load({name: "Dunmarrow3.exe", lastModified: 1, get size() { return window.disk.length; },
              slice: (from, to) => new Blob([window.disk.slice(from, to)]),
              arrayBuffer: async () => window.disk.slice().buffer}, null);""", base64.b64encode(self.sample).decode())
        self.wait_for(lambda: self.text("open-note").startswith("Opened a copy of Dunmarrow3.exe"))
        self.edit("3", "250")
        first = self.downloaded("download", GAME)
        self.driver.execute_script("window.disk = Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0));",
                                   base64.b64encode(first).decode())
        self.edit("4", "100")
        self.assertTrue(self.downloaded("download", GAME) == native_changes(self.sample, [("3", "250"), ("4", "100")]))
        # Without the file picker (Firefox, Safari), Open is the file input:
        # no word of a second way to open, nor that the file is a copy.
        added = self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                            {"source": "delete window.showOpenFilePicker"})
        try:
            self.open_page(self.sample)
            self.assertEqual([self.driver.find_element(By.ID, part).is_displayed() for part in ("open-ways", "open-copy")],
                             [False, False])
            self.assertEqual(" ".join(self.text("way-why").split()), "This browser changes a copy of the file:")
        finally:
            self.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", added)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[4:], verbosity=2)  # then test names, if any
