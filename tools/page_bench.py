#!/usr/bin/python3
"""Times the page in headless Chromium against its floor, side by side, each
round in a fresh browser for each, in turning order. The floor is built here
from the page: its own HTML, style and module, and a script that does only
what the page must (compile the module at once, read the part of the file
the tool reads, run the tool's listing, draw the 14 rows) and nothing else.
For each: the script's start-up (first line to ready: decoding and
compiling the module), a sample game file opened through the file input
until its table is painted (drawn, then a requestAnimationFrame and the
task after it), and, for the page, one edit. Prints each median with its
spread (lowest, highest) and the page's ratio to the floor.

usage: page_bench.py PAGE MAKE_SAMPLE_GAME [ROUNDS]   (9 rounds by default)
"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

from chromium import start_chromium
from selenium.webdriver.common.by import By

page, make_sample_game = sys.argv[1:3]
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 9
# The least a page can do with the same module to show the same table.
FLOOR = """"use strict";
const began = performance.now();
const MODULE = "%s";
const READ_AT = 1114112;
let copy = null, tool = null;
const bytes = Uint8Array.fromBase64 ? Uint8Array.fromBase64(MODULE) :
  Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0));
const memory = () => new Uint8Array(tool.memory.buffer);
tool = new WebAssembly.Instance(new WebAssembly.Module(bytes), { env: {
  game_read(offset, to, count) {
    const piece = copy.subarray(offset - READ_AT, offset - READ_AT + count);
    memory().set(piece, to);
    return piece.length;
  },
  game_write() { return -1; },
} }).exports;
window.fmvframes = { ready: performance.now() - began };
document.getElementById("file").addEventListener("change", async (event) => {
  const file = event.target.files[0];
  copy = new Uint8Array(await file.slice(READ_AT, READ_AT + 65568).arrayBuffer());
  new Uint8Array(tool.memory.buffer, tool.args(), 256).fill(0).set(new TextEncoder().encode("fmvframes\\0"));
  tool.set_game(true);
  tool.run(1);
  const lines = new TextDecoder("windows-1252").decode(new Uint8Array(tool.memory.buffer, tool.output(),
    tool.output_length())).split("\\r\\n");
  const rows = lines.map((line) => /^([ \\d]\\d) \\| ([ \\d]{5}\\d) \\| (.*)$/.exec(line)).filter((m) => m);
  document.getElementById("clips").replaceChildren(...rows.map(([, clip, frames, name]) => {
    const tr = document.createElement("tr");
    tr.insertCell().textContent = clip.trim();
    tr.insertCell().append(Object.assign(document.createElement("input"), { value: frames.trim() }));
    tr.insertCell().textContent = name;
    tr.insertCell();
    return tr;
  }));
  document.getElementById("clips-area").hidden = false;
});
"""
WATCH = """
const file = document.getElementById("file");
file.addEventListener("change", () => { window.opening = performance.now(); }, true);
new MutationObserver(() => requestAnimationFrame(() => setTimeout(() => {
  window.painted = performance.now() - window.opening;
}))).observe(document.getElementById("clips"), {childList: true});"""
EDIT = """
const input = document.getElementById("frames-3");
input.value = "250";
const t = performance.now();
input.dispatchEvent(new Event("change"));
return performance.now() - t;"""


def floor_of(html):
    module = re.search(r'"([A-Za-z0-9+/=]{1000,})"', html).group(1)
    start, end = html.index("<script>") + len("<script>"), html.index("</script>")
    return html[:start] + "\n" + FLOOR % module + html[end:]


def measure(address, game, profile, times, edit):
    driver = start_chromium(profile)
    try:
        time.sleep(2)  # the browser's own start-up is not the page's
        driver.get(address)
        times["start-up"].append(driver.execute_script("return window.fmvframes.ready"))
        driver.execute_script(WATCH)
        driver.find_element(By.ID, "file").send_keys(game)
        end = time.time() + 10
        while driver.execute_script("return window.painted") is None:
            if time.time() > end:
                raise RuntimeError("the table was not painted")
            time.sleep(0.02)
        times["open to painted"].append(driver.execute_script("return window.painted"))
        if edit:
            times["one edit"].append(driver.execute_script(EDIT))
    finally:
        driver.quit()


pages = {"page": {"start-up": [], "open to painted": [], "one edit": []},
         "floor": {"start-up": [], "open to painted": []}}
with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as folder:
    subprocess.run([make_sample_game, folder], check=True, stdout=subprocess.DEVNULL)
    with open(page, encoding="utf-8") as f:
        floor = os.path.join(folder, "floor.html")
        with open(floor, "w", encoding="utf-8") as out:
            out.write(floor_of(f.read()))
    addresses = {"page": "file://" + os.path.abspath(page), "floor": "file://" + floor}
    game = os.path.join(folder, "Dunmarrow3.exe")
    for n in range(rounds):
        for which in (("page", "floor") if n % 2 == 0 else ("floor", "page")):
            measure(addresses[which], game, os.path.join(folder, "profile-%s-%d" % (which, n)), pages[which],
                    which == "page")
for what, values in pages["page"].items():
    line = "%-16s median %6.2f ms  (%.2f to %.2f)" % (what, statistics.median(values), min(values), max(values))
    if what in pages["floor"]:
        low = pages["floor"][what]
        line += "; floor %6.2f ms  (%.2f to %.2f): %.2fx" % (
            statistics.median(low), min(low), max(low), statistics.median(values) / statistics.median(low))
    print(line)
print("%d rounds, each in a fresh browser, page and floor in turning order" % rounds)
