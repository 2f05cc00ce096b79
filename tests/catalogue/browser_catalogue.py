#!/usr/bin/env python3
"""Opens a catalogue of a listing with hostile names in headless Chromium: searches, sorts, filters by type,
opens a folder by mouse and by keys, and checks that the page fetched nothing and ran no markup from a name.
Usage: browser_catalogue.py VELLUMARK [SCREENSHOT]"""
import os
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

ROOT = b"/archive/disk \"one\""
# (name, size, date or level marker); a size of b" " makes a folder row.
RECORDS = [
    (b"</script><script>window.injected=1</script>.txt", b"11", b"2024-02-01 03:04:05+00:00"),
    (b"<img src=x onerror=\"window.injected=2\">.htm", b"2200", b"2024-02-02 03:04:05+00:00"),
    (b"quote \" and ' both.doc", b"5", b"2024-02-03 03:04:05+00:00"),
    (b"line\r\nbreak and\ttab.doc", b"7", b"2023-01-01 00:00:00+00:00"),
    (b"<!--<script>.txt", b"0", b""),
    (b"README", b"3", b""),
    (ROOT + b"/caf\xe9 bytes", b" ", b" "),
    (b"na\xefve \xff.bmp", b"300000", b"2024-03-01 10:00:00+01:00"),
    ("שלום עולם.txt".encode(), b"42", b"2024-04-01 12:00:00+00:00"),
    (ROOT + b"/caf\xe9 bytes/deep\\er", b" ", b"1"),
    (b"Report FINAL.txt", b"123456789", b"2020-05-05 05:05:05+00:00"),
    (ROOT + b"/plain", b" ", b" "),
    (b"odd size.txt", b"007", b"yesterday"),
]


def listing_bytes(records):
    def field(value):
        return b'"' + value.replace(b'"', b'""') + b'"'
    lines = [field(ROOT)] + [b",".join(field(v) for v in record) for record in records]
    return b"\r\n".join(lines) + b"\r\n"


class Page:
    def __init__(self, driver):
        self.driver = driver

    def run(self, script, *args):
        return self.driver.execute_script(script, *args)

    def wait(self, condition, what, *args, seconds=20):
        end = time.time() + seconds
        while time.time() < end:
            if self.run("return " + condition, *args):
                return
            time.sleep(0.05)
        raise AssertionError("timed out waiting for " + what)

    def rows(self):
        return self.run("""return Array.from(document.querySelectorAll('#window .row'))
            .filter(r => r.getClientRects().length).map(r => Array.from(r.children).map(c => c.textContent));""")

    def names(self):
        return [row[0] for row in self.rows()]

    def printed(self):
        """The table printing lays out: its caption and rows."""
        self.run("window.dispatchEvent(new Event('beforeprint'))")
        caption = self.run("return document.querySelector('#printed caption').textContent")
        rows = self.run("return document.querySelectorAll('#printed tbody tr').length")
        self.run("window.dispatchEvent(new Event('afterprint'))")
        return caption, rows

    def search(self, text):
        box = self.driver.find_element(By.ID, "search")
        box.send_keys(Keys.CONTROL, "a")
        box.send_keys(Keys.BACKSPACE)  # as a user empties it, so the page hears it, as clear() is not
        box.send_keys(text)
        self.wait("document.body.dataset.searched === arguments[0]"
                  " && document.querySelectorAll('#window .row:not([hidden])').length"
                  " == Number(document.body.dataset.shown)", "search " + repr(text), text)


def expect(holds, what):
    if not holds:
        raise AssertionError(what)


def check(page, shots):
    page.wait("document.body.dataset.state === 'ready'", "the page to read its listing")
    expect(page.run("return document.body.dataset.shown") == str(len(RECORDS)), "every entry shown at first")
    names = page.names()
    expect(names[0] == "</script><script>window.injected=1</script>.txt", "a name holding </script>: %r" % names[0])
    expect("caf\ufffd bytes" in names, "a folder with a byte that is no UTF-8: %r" % names)
    expect("line\u240d\u240abreak and\u2409tab.doc" in names, "line breaks shown as symbols: %r" % names)
    expect("שלום עולם.txt" in names, "right-to-left text")
    whole = page.driver.find_element(By.CSS_SELECTOR, "#complete dd").text
    expect(whole == "complete", "a whole listing says so: %r" % whole)

    page.search("SCRIPT")
    expect(sorted(page.names()) == sorted(["</script><script>window.injected=1</script>.txt", "<!--<script>.txt"]),
           "case-insensitive search on names: %r" % page.names())
    page.search("CAF\ufffd BYTES/DEEP")
    expect(page.names() == ["deep\\er", "Report FINAL.txt"], "search across a path: %r" % page.names())
    page.search("plain")
    expect(page.names() == ["plain", "odd size.txt"], "search on a folder's path: %r" % page.names())
    printed = page.printed()
    expect(printed == ("Printed: 2 of 13 entries; names and paths holding \u201cplain\u201d.", 2),
           "printing the rows searched for: %r" % (printed,))
    page.search("")

    sizes = page.driver.find_element(By.CSS_SELECTOR, '#columns button[data-column="bytes"]')
    sizes.click()
    page.wait("document.querySelector('#columns [aria-sort]') !== null", "sorting")
    expect(page.names()[0] == "<!--<script>.txt", "smallest first: %r" % page.names())
    sizes.click()
    expect(page.names()[:3] == ["caf\ufffd bytes", "deep\\er", "Report FINAL.txt"], "largest first: %r" % page.names())
    expect(page.rows()[0][1:3] == ["123.8 MB", "123,756,831"], "a folder's total: %r" % page.rows()[0])
    expect(page.rows()[2][1:3] == ["123.5 MB", "123,456,789"], "size readable and exact: %r" % page.rows()[2])
    page.driver.find_element(By.CSS_SELECTOR, '#columns button[data-column="name"]').click()
    expect(page.names()[:2] == ["<!--<script>.txt", "</script><script>window.injected=1</script>.txt"],
           "sorted by name: %r" % page.names())

    Select(page.driver.find_element(By.ID, "type")).select_by_visible_text(".htm (1)")
    page.wait("document.body.dataset.shown === '1'", "the type filter")
    expect(page.names() == ['<img src=x onerror="window.injected=2">.htm'], "type filter: %r" % page.names())
    Select(page.driver.find_element(By.ID, "type")).select_by_visible_text("No type (1)")
    page.wait("document.body.dataset.shown === '1'", "files without a type")
    expect(page.names() == ["README"], "files without a type: %r" % page.names())
    page.run("const t = document.getElementById('type'); t.value = ''; t.dispatchEvent(new Event('change'));")

    # Open a folder with the mouse: its child appears with the totals below it.
    tree_item = '#tree li[data-folder="%d"]'
    folder = page.run("return Number(document.querySelector('#tree ul[role=group] li').dataset.folder)")
    page.driver.find_element(By.CSS_SELECTOR, (tree_item % folder) + " > div .twisty").click()
    child = page.driver.find_element(By.CSS_SELECTOR, (tree_item % folder) + " ul li .tname")
    expect(child.text == "deep\\er", "the opened folder's child: %r" % child.text)
    total = page.driver.find_element(By.CSS_SELECTOR, (tree_item % folder) + " > div .tsum").text
    expect(total == "123.8 MB, 3 files", "a folder's total below it: %r" % total)
    page.driver.find_element(By.CSS_SELECTOR, (tree_item % folder) + " > div .tname").click()
    page.wait("document.body.dataset.shown === '4'", "the folder's entries")
    if shots:
        page.driver.save_screenshot(shots)

    # The same with keys: to the root, down to the other folder, Enter shows its entries.
    root = page.driver.find_element(By.CSS_SELECTOR, tree_item % -1)
    page.run("arguments[0].focus()", root)
    root.send_keys(Keys.END)
    page.driver.switch_to.active_element.send_keys(Keys.ENTER)
    page.wait("document.body.dataset.shown === '1'", "the last folder's entries by keys")
    rows_box = page.driver.find_element(By.ID, "rows")
    page.run("arguments[0].focus()", rows_box)
    rows_box.send_keys(Keys.END)
    current = page.run("return document.querySelector('#window .row.current').children[0].textContent")
    expect(current == "odd size.txt", "End moves to the last row: %r" % current)
    expect(page.rows()[-1][1:4] == ["007", "007", "yesterday"], "texts kept as read: %r" % page.rows()[-1])

    expect(page.run("return window.injected") is None, "markup from a name ran")
    expect(page.run("return document.querySelectorAll('img, iframe, object, embed').length") == 0,
           "markup from a name was built")
    expect(page.run("return performance.getEntriesByType('resource').length") == 0, "the page fetched something")
    problems = [entry for entry in page.driver.get_log("browser") if entry["level"] in ("SEVERE", "WARNING")]
    expect(not problems, "the browser reported: %r" % problems)


def check_large(page):
    """A listing cut at its limit says so, and printing stops at its bound and says so on paper."""
    page.wait("document.body.dataset.state === 'ready'", "the large page to read its listing")
    gap = page.driver.find_element(By.CSS_SELECTOR, "#incomplete dd").text
    expect(gap == "incomplete: stopped at 20,005 entries", "a listing cut at the limit: %r" % gap)
    caption, rows = page.printed()
    expect(rows == 20001 and caption.startswith("Printed: 20,005 of 20,005 entries. Only the first 20,000 are"),
           "printing past the bound: %r, %d rows" % (caption, rows))


def main():
    program = sys.argv[1]
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    with tempfile.TemporaryDirectory() as folder:
        listing = os.path.join(folder, "hostile.txt")
        page_file = os.path.join(folder, "catalogue.html")
        with open(listing, "wb") as f:
            f.write(listing_bytes(RECORDS))
        env = dict(os.environ, TZ="UTC")
        subprocess.run([program, "-q", "--open", listing, "--html", page_file], check=True, env=env)
        large = os.path.join(folder, "large.txt")
        large_page = os.path.join(folder, "large.html")
        with open(large, "wb") as f:
            f.write(listing_bytes([(b"f%d.txt" % n, b"1", b"") for n in range(20010)]))
        cut = subprocess.run([program, "-q", "--limit", "20005", "--open", large, "--html", large_page], env=env)
        expect(cut.returncode == 3, "a listing cut at the limit exits with warnings: %d" % cut.returncode)

        options = webdriver.ChromeOptions()
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                         "--window-size=1280,800", "--user-data-dir=" + os.path.join(folder, "profile")):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        service = Service(executable_path="/usr/bin/chromedriver")
        driver = webdriver.Chrome(options=options, service=service)
        try:
            driver.get("file://" + page_file)
            check(Page(driver), shots)
            driver.get("file://" + large_page)
            check_large(Page(driver))
        finally:
            driver.quit()
    print("catalogue page: all checks passed")


if __name__ == "__main__":
    main()
