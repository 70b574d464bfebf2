#!/usr/bin/env python3
"""The page of `tonquill --serve` in headless Chromium.

Signs in with the token (by keyboard), records the local test station from
its preset, follows the recording in the live list until the station has
sent its bytes, stops it, then plays the file in the page's audio element
and downloads it: the download is the file on disk, byte for byte.
Network traffic goes to 127.0.0.1 only; every wait is bounded.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TOTAL = 56000  # audio bytes the station sends before it goes down


def skip(why):
    if os.environ.get("CI") == "true":
        print("FAIL (CI): " + why)
        sys.exit(1)
    print("SKIP: " + why)
    sys.exit(77)


try:
    from selenium import webdriver
    from selenium.common.exceptions import StaleElementReferenceException, TimeoutException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    skip("python3-selenium is not installed")

CHROMIUM = shutil.which("chromium")
DRIVER = shutil.which("chromedriver")
if not CHROMIUM or not DRIVER:
    skip("chromium and chromium-driver are not installed")

SOURCE = os.environ.get("TONQUILL_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "../../.."))
BUILD = os.environ.get("TONQUILL_BUILD_DIR", os.path.join(SOURCE, "build"))
TONQUILL = os.path.join(BUILD, "app", "tonquill")


def read_line(process, pattern, timeout):
    """The first line of `process`'s output matching `pattern` (bounded)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        line = process.stdout.readline()
        if not line:
            break
        m = re.search(pattern, line)
        if m:
            return m
    raise AssertionError("no line matching %r" % pattern)


# The lists are drawn again at every event: a row found may be gone a moment
# later, so rows are read and clicked by their text, again while they change.
ROW_TEXTS = "return Array.from(document.querySelectorAll(arguments[0])).map((li) => li.innerText);"


def row_texts(browser, css):
    return browser.execute_script(ROW_TEXTS, css)


def click_in(browser, css, text, label, timeout=30):
    """Clicks the `label` button or link of the row of `css` whose text holds `text`."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            for li in browser.find_elements(By.CSS_SELECTOR, css):
                if text in li.text:
                    li.find_element(By.XPATH, ".//*[self::button or self::a][text()='%s']" % label).click()
                    return
        except StaleElementReferenceException:
            pass
        time.sleep(0.1)
    raise AssertionError("no %s in a row of %s with %r" % (label, css, text))


def audio_in(folder):
    """The audio of every .mp3 in `folder` (ID3v1 tags left off) and the untagged count."""
    total, untagged = 0, 0
    for name in os.listdir(folder):
        if not name.endswith(".mp3"):
            continue
        data = open(os.path.join(folder, name), "rb").read()
        if len(data) >= 128 and data[-128:-125] == b"TAG":
            data = data[:-128]
        else:
            untagged += 1
        total += len(data)
    return total, untagged


def main():
    work = tempfile.mkdtemp(prefix="tonquill-browser-")
    home, recorded, downloads = (os.path.join(work, d) for d in ("home", "recorded", "downloads"))
    for d in (os.path.join(home, "Presets"), recorded, downloads):
        os.makedirs(d)
    with open(os.path.join(home, "Tonquill-user.ini"), "wb") as f:
        f.write(b"[Registration]\r\nCleanCuts=0\r\n")
    station = tonquill = browser = None
    try:
        station = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE, "tools", "teststation.py"), "--lifetime", "150",
             "--cache", os.path.join(BUILD, "teststation-cache"), "--log", os.path.join(work, "station.log"),
             "--metaint", "4000", "--song-bytes", "24000", "--titles", "Alpha - One,Alpha - Two,Alpha - Three"],
            stdout=subprocess.PIPE, text=True)
        port = read_line(station, r"^LISTENING (\d+)", 60).group(1)
        playlist = "http://127.0.0.1:%s/station.pls?paths=/stream%%3Ftotal%%3D%d%%26down%%3D600&as=.pls" % (port, TOTAL)
        with open(os.path.join(home, "Presets", "harbour.tvp"), "wb") as f:
            f.write(("Harbour Jazz\r\n%s\r\nSONGNAMEONLY\r\n%s/\r\n 0 \r\n 0 \r\n" % (playlist, recorded)).encode())

        env = dict(os.environ, TONQUILL_HOME=home, TONQUILL_HEADLESS="1", XDG_DATA_HOME=os.path.join(home, "xdg"))
        tonquill = subprocess.Popen([TONQUILL, "--serve", "--listen", "127.0.0.1:0"], cwd=home, env=env,
                                    stdout=subprocess.PIPE, text=True)
        base = "http://127.0.0.1:%s/" % read_line(tonquill, r"Serving on http://127\.0\.0\.1:(\d+)/", 20).group(1)
        token = open(os.path.join(home, "server-token")).read().strip()

        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                         "--autoplay-policy=no-user-gesture-required", "--mute-audio", "--no-proxy-server",
                         "--window-size=420,900", "--user-data-dir=" + os.path.join(work, "profile")):
            options.add_argument(argument)
        options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                  "download.prompt_for_download": False})
        browser = webdriver.Chrome(service=Service(DRIVER), options=options)
        browser.set_page_load_timeout(30)
        wait = WebDriverWait(browser, 30, ignored_exceptions=(StaleElementReferenceException,))

        # Signed out: the form, then the token typed and sent with Enter.
        browser.get(base)
        wait.until(lambda b: b.find_element(By.ID, "signin").is_displayed())
        assert not browser.find_element(By.ID, "app").is_displayed()
        field = browser.find_element(By.ID, "token")
        field.send_keys(token)
        field.send_keys(Keys.ENTER)
        wait.until(lambda b: b.find_element(By.ID, "app").is_displayed())
        cookies = {c["name"]: c for c in browser.get_cookies()}
        assert cookies["tonquill-token"]["httpOnly"], cookies
        assert browser.execute_script("return document.cookie") == "", "the page cannot read the token"

        # Record the preset's station; the live list shows it recording.
        click_in(browser, "#stations li", "Harbour Jazz", "Record")
        live = lambda b: next((t for t in row_texts(b, "#recordings li") if "Harbour Jazz" in t), "")
        wait.until(lambda b: "recording" in live(b))
        # The station sends its bytes and goes down: the list says so.
        WebDriverWait(browser, 60).until(lambda b: "reconnecting" in live(b))
        click_in(browser, "#recordings li", "Harbour Jazz", "Stop")
        # It stays listed as stopped, without its buttons, until it is forgotten.
        wait.until(lambda b: "stopped" in live(b))
        buttons = browser.execute_script(
            "return [...document.querySelectorAll('#recordings li')]"
            ".filter((li) => li.textContent.includes('Harbour Jazz'))"
            ".map((li) => li.querySelectorAll('button').length)")
        assert buttons == [0], buttons
        audio, untagged = audio_in(recorded)
        assert (audio, untagged) == (TOTAL, 0), (audio, untagged)

        # The files: one plays in the audio element, one downloads whole.
        names = sorted(n for n in os.listdir(recorded) if n.endswith(".mp3"))
        wait.until(lambda b: len(row_texts(b, "#files li")) == len(names))
        name = row_texts(browser, "#files li")[0].split("\n")[0]
        assert name in names, (name, names)
        click_in(browser, "#files li", name, "Play")
        wait.until(lambda b: b.execute_script(
            "const a = document.getElementById('player'); return a.error ? -1 : a.readyState") >= 2)
        assert browser.execute_script("return document.getElementById('player').error") is None
        click_in(browser, "#files li", name, "Download")
        target = os.path.join(downloads, name)
        expected = open(os.path.join(recorded, name), "rb").read()
        WebDriverWait(browser, 30).until(
            lambda b: os.path.exists(target) and os.path.getsize(target) == len(expected))
        assert open(target, "rb").read() == expected
        # A termination signal ends the server with status 0.
        tonquill.send_signal(signal.SIGTERM)
        code = tonquill.wait(15)
        tonquill = None
        assert code == 0, "the server ended with %d" % code
        print("PASS: signed in, recorded %d bytes into %d files, played and downloaded %s" % (audio, len(names), name))
        return 0
    except (AssertionError, TimeoutException, subprocess.TimeoutExpired) as e:
        print("FAIL: %r" % (e,))
        if browser:
            print(browser.find_element(By.TAG_NAME, "body").text)
        return 1
    finally:
        if browser:
            browser.quit()
        if tonquill:
            tonquill.kill()
            tonquill.wait(10)
        if station:
            station.terminate()
            try:
                station.wait(10)
            except subprocess.TimeoutExpired:
                station.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
