#!/usr/bin/python3
"""Times the page in headless Chromium, each round in a fresh browser: its
script's start-up (first line to ready: decoding and compiling the module),
a sample game file opened through the file input until its table is painted
(drawn, then a requestAnimationFrame and the task after it), and one edit.
Prints the median of each with its spread (lowest, highest).

usage: page_bench.py PAGE MAKE_SAMPLE_GAME [ROUNDS]   (9 rounds by default)
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from chromium import start_chromium
from selenium.webdriver.common.by import By

page, make_sample_game = sys.argv[1:3]
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 9
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

times = {"start-up": [], "open to painted": [], "one edit": []}
with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as folder:
    subprocess.run([make_sample_game, folder], check=True, stdout=subprocess.DEVNULL)
    for n in range(rounds):
        driver = start_chromium(os.path.join(folder, "profile-%d" % n))
        try:
            time.sleep(2)  # the browser's own start-up is not the page's
            driver.get("file://" + os.path.abspath(page))
            ready = driver.execute_script("return window.fmvframes.ready")
            if ready is not None:  # a page that does not say when it is ready
                times["start-up"].append(ready)
            driver.execute_script(WATCH)
            driver.find_element(By.ID, "file").send_keys(os.path.join(folder, "Dunmarrow3.exe"))
            end = time.time() + 10
            while driver.execute_script("return window.painted") is None:
                if time.time() > end:
                    raise RuntimeError("the table was not painted")
                time.sleep(0.02)
            times["open to painted"].append(driver.execute_script("return window.painted"))
            times["one edit"].append(driver.execute_script(EDIT))
        finally:
            driver.quit()
for what, values in times.items():
    if values:
        print("%-16s median %6.2f ms  (%.2f to %.2f, %d fresh browsers)" % (
            what, statistics.median(values), min(values), max(values), len(values)))
