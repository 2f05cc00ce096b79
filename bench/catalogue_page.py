#!/usr/bin/env python3
"""Times a catalogue page in headless Chromium: from asking for the page to its first rows drawn, and from typing
a search to the narrowed rows drawn, then a sort by size. Usage: catalogue_page.py PAGE [SEARCH]"""
import os
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def wait(driver, condition, seconds=120):
    end = time.time() + seconds
    while time.time() < end:
        if driver.execute_script("return " + condition):
            return
        time.sleep(0.02)
    raise AssertionError("timed out: " + condition)


def main():
    page = os.path.abspath(sys.argv[1])
    text = sys.argv[2] if len(sys.argv) > 2 else "report, final 1234"
    with tempfile.TemporaryDirectory() as profile:
        options = webdriver.ChromeOptions()
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                         "--window-size=1280,800", "--user-data-dir=" + profile):
            options.add_argument(argument)
        driver = webdriver.Chrome(options=options, service=Service(executable_path="/usr/bin/chromedriver"))
        try:
            started = time.time()
            driver.get("file://" + page)
            wait(driver, "document.body.dataset.state === 'ready'"
                 " && document.querySelectorAll('#window .row:not([hidden])').length > 0")
            opened = time.time() - started
            total = driver.execute_script("return document.body.dataset.shown")

            started = time.time()
            driver.execute_script("const s = document.getElementById('search'); s.value = arguments[0];"
                                  " s.dispatchEvent(new Event('input'));", text)
            wait(driver, "document.body.dataset.shown !== arguments[0]".replace("arguments[0]", repr(total)))
            searched = time.time() - started
            found = driver.execute_script("return document.body.dataset.shown")

            started = time.time()
            driver.execute_script("const s = document.getElementById('search'); s.value = '';"
                                  " s.dispatchEvent(new Event('input'));")
            wait(driver, "document.body.dataset.shown === " + repr(total))
            driver.execute_script("document.querySelector('#columns [data-column=bytes]').click()")
            sorted_ = time.time() - started
            heap = driver.execute_script("return performance.memory ? performance.memory.usedJSHeapSize : 0")
        finally:
            driver.quit()
    print("page %.1f MB, %s entries: first rows %.2f s; search %r -> %s rows %.2f s; all rows sorted by size %.2f s;"
          " script heap %.0f MB" % (os.path.getsize(page) / 1e6, total, opened, text, found, searched, sorted_,
                                    heap / 1e6))


if __name__ == "__main__":
    main()
