"""Headless Chromium from Debian's packages, driven by Selenium, for the
page's tests and its picture."""
import os
import signal
import subprocess
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common import utils


class LoopbackService(Service):
    """Reaches chromedriver at 127.0.0.1: a machine need not have the name
    localhost (a fresh chroot has no /etc/hosts)."""

    @property
    def service_url(self):
        return "http://127.0.0.1:%d" % self.port

    def is_connectable(self):
        return utils.is_connectable(self.port, "127.0.0.1")


def start_chromium(profile, *flags):
    """A new browser with its own profile folder, for this machine's closed
    network: no background connections, no sandbox (it may run as root).
    It is started here and the driver attaches to it at 127.0.0.1, since a
    browser that chromedriver starts is reached by the name localhost."""
    browser = subprocess.Popen(
        ["/usr/lib/chromium/chromium", "--headless=new", "--no-sandbox",
         "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
         "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--remote-debugging-address=127.0.0.1",
         "--remote-debugging-port=0", "--user-data-dir=" + profile, *flags,
         "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)  # its helpers end with it
    port_file = os.path.join(profile, "DevToolsActivePort")
    end = time.time() + 30
    while not (os.path.exists(port_file) and os.path.getsize(port_file) > 0):
        if time.time() > end or browser.poll() is not None:
            os.killpg(browser.pid, signal.SIGKILL)
            raise RuntimeError("Chromium did not start")
        time.sleep(0.05)
    with open(port_file) as f:
        port = int(f.readline())
    options = webdriver.ChromeOptions()
    options.debugger_address = "127.0.0.1:%d" % port
    options.set_capability("unhandledPromptBehavior", "ignore")
    try:
        driver = webdriver.Chrome(
            service=LoopbackService("/usr/bin/chromedriver"), options=options)
    except Exception:
        os.killpg(browser.pid, signal.SIGKILL)
        raise
    quit_driver = driver.quit

    def quit_both():
        try:
            quit_driver()
        finally:
            os.killpg(browser.pid, signal.SIGTERM)
            browser.wait()
    driver.quit = quit_both
    return driver
