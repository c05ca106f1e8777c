#!/usr/bin/python3
"""Takes the README's picture of the page: headless Chromium opens the built
page, a sample game file and changes clip 3 to 250 frames.

usage: screenshot.py PAGE MAKE_SAMPLE_GAME PICTURE.png
"""
import os
import subprocess
import sys
import tempfile
import time

from chromium import start_chromium
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

page, make_sample_game, picture = sys.argv[1:4]
with tempfile.TemporaryDirectory() as folder:
    subprocess.run([make_sample_game, folder], check=True, stdout=subprocess.DEVNULL)
    driver = start_chromium(os.path.join(folder, "profile"), "--hide-scrollbars",
                            "--window-size=800,1200")
    try:
        driver.get("file://" + os.path.abspath(page))
        driver.find_element(By.ID, "file").send_keys(os.path.join(folder, "Dunmarrow3.exe"))
        time.sleep(0.5)
        field = driver.find_element(By.ID, "frames-3")
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys("250", Keys.ENTER)
        driver.find_element(By.ID, "download").send_keys("")  # focus on the download
        time.sleep(0.3)
        height = driver.execute_script("return document.body.scrollHeight")
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 800, "height": height, "deviceScaleFactor": 1, "mobile": False})
        driver.execute_script("window.scrollTo(0, 0)")
        driver.save_screenshot(picture)
    finally:
        driver.quit()
