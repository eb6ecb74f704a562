#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The web page as its user sees it, in a real browser.

vorellad on the simulated telephony line, its page on a free port of
127.0.0.1 and its password set through vorella-tool; headless Chromium
driven by chromedriver logs in, starts monitoring, sees the simulated
caller ring and leave a message, plays it (and the same message stored as
GSM 6.10) to its end, notes it, deletes it to the trash and brings it back,
and blocks its caller, who then shows on the contacts page.

usage: browser_story.py SOURCE_DIR PROGRAM_DIR
Exits 77 (skipped) when Chromium, chromedriver or selenium is missing.
"""
import ctypes
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
PASSWORD = "a good password"
CALLER = "SIMULATED CALLER"
# Markup, quotes and a letter outside ASCII: the memo must come back as typed.
MEMO = 'Call back <Tuesday> & bring "the list" \u2014 J\u00fcrgen'
# Keeps the last stream of events a page opens as window.liveStream.
KEEP_STREAM = """
if (window.EventSource) {
  const Original = window.EventSource;
  window.EventSource = function (url, init) {
    window.liveStream = new Original(url, init);
    return window.liveStream;
  };
  window.EventSource.prototype = Original.prototype;
  Object.setPrototypeOf(window.EventSource, Original);
}
"""
WAIT = 40  # seconds: a bound for a condition on a loaded machine, never a pause

try:
    from selenium import webdriver
    from selenium.common.exceptions import (NoAlertPresentException, NoSuchElementException,
                                            StaleElementReferenceException, WebDriverException)
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("SKIPPED: python3-selenium is not installed (the browser test needs it)")
    sys.exit(SKIPPED)
# What a page on its way shows (or lacks) while a condition is awaited.
NOT_YET = (NoAlertPresentException, NoSuchElementException, StaleElementReferenceException)
for program in (CHROMIUM, CHROMEDRIVER):
    if not os.access(program, os.X_OK):
        print("SKIPPED: %s is missing (install chromium and chromium-driver)" % program)
        sys.exit(SKIPPED)


def ends_with_this_script():
    """In a child: SIGTERM when this script ends, however it ends."""
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def run(args, stdin=None, env=None):
    done = subprocess.run(args, input=stdin, env=env, capture_output=True, text=True,
                          timeout=WAIT)
    if done.returncode != 0:
        raise AssertionError("%s failed: %s" % (args, done.stderr))
    return done.stdout


def sound_seconds(path):
    return float(run(["/usr/bin/soxi", "-D", path]))


class Story:
    def __init__(self, source, programs):
        self.programs = programs
        self.home = tempfile.mkdtemp(prefix="vorella-browser-")
        self.port = free_port()
        self.env = dict(os.environ, VORELLA_HOME=self.home + "/", VORELLA_TAPI="simulated",
                        VORELLA_AUDIO="null", XDG_RUNTIME_DIR=self.home + "/run",
                        XDG_DATA_HOME=self.home + "/data-home")
        os.makedirs(self.home + "/run", mode=0o700)
        os.makedirs(self.home + "/wave")
        os.makedirs(self.home + "/cfg")
        shutil.copytree(os.path.join(source, "data/web"), self.home + "/web")
        for name in ("vorella.def", "modem.ini", "brand.ini", "cfg/custom.cfg"):
            shutil.copy(os.path.join(source, "data", name), os.path.join(self.home, name))
        # A greeting of a second, so that the caller speaks soon.
        shutil.copy(os.path.join(source, "data/wave/wait.wav"), self.home + "/wave/greet.wav")
        with open(self.home + "/vorella.ini", "w") as ini:
            ini.write("[Options]\nbStartDisabled=1\nnDebugLevel=1\ndwTimeoutQuant=10\n"
                      "dwTimeoutDefault=2000\niPopup=0\nbSoftAGC=0\nbEMailCID=0\n"
                      "nTAPI=1\nnTAPILine=0\nnComPort=1\nnCIDType=2\nnAction=1\nnRings=2\n"
                      "bSilenceDetection=0\n[Sounds]\nsWaveRingIn=\n"
                      "[Web]\nbEnable=1\nnPort=%d\n" % self.port)
        self.tool(["web-password"], PASSWORD + "\n")
        self.service = None
        self.driver = None

    def tool(self, args, stdin=None):
        return run([os.path.join(self.programs, "vorella-tool")] + args, stdin, self.env)

    def log(self):
        with open(self.home + "/vorellad.log", errors="replace") as f:
            return f.read()

    def wait_for(self, what, condition):
        try:
            return WebDriverWait(self.driver, WAIT, poll_frequency=0.1,
                                 ignored_exceptions=NOT_YET).until(lambda d: condition())
        except Exception:
            raise AssertionError("waited in vain for %s\n--- service log:\n%s\n--- page:\n%s" % (
                what, self.log(), self.driver.page_source if self.driver else ""))

    def start(self):
        with open(self.home + "/vorellad.log", "w") as log:
            self.service = subprocess.Popen([os.path.join(self.programs, "vorellad")],
                                            env=self.env, stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT,
                                            preexec_fn=ends_with_this_script)
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                         "--disable-gpu", "--user-data-dir=" + self.home + "/browser",
                         "--autoplay-policy=no-user-gesture-required", "--mute-audio"):
            options.add_argument(argument)
        self.driver = webdriver.Chrome(
            service=Service(CHROMEDRIVER, popen_kw={"preexec_fn": ends_with_this_script},
                            env=dict(self.env, HOME=self.home)),  # its crash reports too
            options=options)
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                    {"source": KEEP_STREAM})
        self.wait_for("the page to be served", lambda: "web page at http://127.0.0.1:%d/"
                      % self.port in self.log())

    def stop(self):
        """The service's exit code (None when it was not started)."""
        if self.driver:
            self.driver.quit()
        code = None
        if self.service:
            if self.service.poll() is None:
                self.service.send_signal(signal.SIGTERM)
            try:
                code = self.service.wait(30)
            except subprocess.TimeoutExpired:
                self.service.kill()
                self.service.wait()
            if code != 0:
                print("vorellad ended with %s:\n%s" % (code, self.log()))
        shutil.rmtree(self.home, ignore_errors=True)
        return code

    # What the user sees.
    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def text(self):
        return self.driver.find_element(By.TAG_NAME, "body").text

    def heading(self):
        found = self.driver.find_elements(By.TAG_NAME, "h1")
        return found[0].text if found else ""

    def click(self, css):
        self.driver.find_element(By.CSS_SELECTOR, css).click()

    def row(self, file):
        """The call list's row of a recording, found by the file its forms name."""
        found = self.driver.find_elements(
            By.XPATH, "//tr[.//input[@name='file' and @value='%s']]" % file)
        return found[0] if found else None

    def log_in(self, password):
        field = self.driver.find_element(By.NAME, "password")
        field.clear()
        field.send_keys(password)
        self.click('form[action="/login"] button')

    # The story.
    def login(self):
        self.driver.get(self.url("/calls"))
        self.wait_for("the login page", lambda: self.driver.current_url.endswith("/login"))
        self.log_in("not " + PASSWORD)
        self.wait_for("the wrong password refused", lambda: "Wrong password." in self.text())
        assert self.heading() == "Vorella", self.driver.page_source
        # A wrong password slows the next try; the right one gets in once
        # the page lets it.
        def tried():
            if self.heading() == "Line":
                return True
            self.log_in(PASSWORD)
            return False
        self.wait_for("the right password let in", tried)

    def call_rings_and_leaves_a_message(self):
        """The recording's file, as the new row of the call list names it."""
        # The call list stays open, its stream of events (if any) connected,
        # while another tab starts monitoring.
        self.click('header a[href="/calls"]')
        calls = self.driver.current_window_handle
        self.wait_for("the page's stream of events connected", lambda: self.driver.execute_script(
            "return window.liveStream.readyState === EventSource.OPEN;"))
        self.driver.execute_script("window.notReloaded = true;")
        self.driver.switch_to.new_window("tab")
        self.driver.get(self.url("/"))
        self.driver.find_element(By.XPATH, "//button[text()='Start monitoring']").click()
        self.wait_for("monitoring on", lambda: "Monitoring\non" in self.text())
        self.driver.close()
        self.driver.switch_to.window(calls)
        self.wait_for("the ringing caller", lambda: CALLER in self.text())
        assert self.driver.execute_script("return window.notReloaded;"), "the page was reloaded"
        # The list shows the message once it is stored.
        message = "//tr[contains(@class, 'message')][td[2][text()='%s']]" % CALLER
        self.wait_for("the message in the call list",
                      lambda: self.driver.find_elements(By.XPATH, message))
        self.wait_for("the call ended", lambda: "call ended" in self.log())
        length = self.driver.find_element(By.XPATH, message + "/td[4]").text.strip()
        assert length not in ("", "00:00"), "the message's length reads %r" % length
        files = self.driver.find_elements(
            By.CSS_SELECTOR, 'tr.message form[action="/calls/memo"] input[name=file]')
        assert len(files) == 1, self.driver.page_source
        return files[0].get_attribute("value")

    def store_as_gsm(self, file):
        """The same message again as GSM 6.10, with an index line of its own."""
        folder = self.home + "/Recorded Calls/"
        gsm = "gsm-" + file
        self.tool(["gsmwav", folder + file, folder + gsm])
        with open(folder + "index.dat", newline="") as f:
            lines = f.read().split("\r\n")
        line = next(l for l in lines if l.startswith('"%s"' % file))
        lines.insert(lines.index(line) + 1, line.replace('"%s"' % file, '"%s"' % gsm, 1))
        with open(folder + "index.tmp", "w", newline="") as f:
            f.write("\r\n".join(lines))
        os.replace(folder + "index.tmp", folder + "index.dat")
        return gsm

    def play_to_the_end(self, file):
        self.driver.get(self.url("/calls"))
        row = self.row(file)
        assert row is not None, self.driver.page_source
        audio = row.find_element(By.TAG_NAME, "audio")
        unheard = "unheard" in row.get_attribute("class")  # the GSM copy has no call of its own
        js = self.driver.execute_script
        js("arguments[0].playbackRate = 4; arguments[0].play();", audio)
        self.wait_for("a known length", lambda: js(
            "return isFinite(arguments[0].duration) && arguments[0].duration > 0;", audio))
        expected = sound_seconds(self.home + "/Recorded Calls/" + file)
        duration = js("return arguments[0].duration;", audio)
        assert abs(duration - expected) < 0.1, (file, duration, expected)
        first = self.wait_for("playing", lambda: js("return arguments[0].currentTime;", audio))
        self.wait_for("time advancing", lambda: js(
            "return arguments[0].currentTime > %f;" % first, audio))
        self.wait_for("the end", lambda: js("return arguments[0].ended;", audio))
        assert js("return arguments[0].error;", audio) is None, "%s: a media error" % file
        self.driver.get(self.url("/calls"))
        after = self.row(file).get_attribute("class")  # played: heard for good
        assert unheard != file.startswith("gsm-") and "unheard" not in after, (file, unheard, after)

    def note(self, file):
        self.driver.get(self.url("/calls"))
        memo = self.row(file).find_element(By.NAME, "memo")
        memo.clear()
        memo.send_keys(MEMO)
        self.row(file).find_element(By.CSS_SELECTOR, 'form[action="/calls/memo"] button').click()
        self.wait_for("the memo saved", lambda: "Memo saved." in self.text())
        value = self.row(file).find_element(By.NAME, "memo").get_attribute("value")
        assert value == MEMO, "the saved memo reads %r" % value

    def delete_and_undo(self, file):
        self.row(file).find_element(By.CSS_SELECTOR, 'form[action="/calls/delete"] button').click()
        self.wait_for("the question", lambda: self.driver.switch_to.alert)
        self.driver.switch_to.alert.accept()
        self.wait_for("the call in the trash", lambda: "Moved to the trash" in self.text())
        assert self.row(file) is None, self.driver.page_source
        assert not os.path.exists(self.home + "/Recorded Calls/" + file), "%s kept" % file
        self.click('form[action="/calls/undo"] button')
        self.wait_for("the call back", lambda: "Brought back from the trash." in self.text())
        value = self.row(file).find_element(By.NAME, "memo").get_attribute("value")
        assert value == MEMO, "the memo brought back reads %r" % value
        assert os.path.exists(self.home + "/Recorded Calls/" + file), "%s not back" % file

    def block(self, file):
        self.row(file).find_element(By.CSS_SELECTOR, 'form[action="/block"] button').click()
        self.wait_for("the caller blocked", lambda: self.driver.find_elements(By.CSS_SELECTOR,
                                                                              "p.done"))
        contacts = self.tool(["contacts", "list"])
        assert "\tblock\t5550123" in contacts, "contacts after blocking:\n" + contacts
        self.click('header a[href="/contacts"]')
        listed = "//li[.//input[@name='numbers' and contains(@value, '5550123')]]//select"
        self.wait_for("the caller on the block list", lambda: self.driver.find_element(
            By.XPATH, listed).get_attribute("value") == "block")


def main():
    source, programs = sys.argv[1], sys.argv[2]
    began = time.monotonic()
    # A test run that times out ends this script in order, with its cleanup.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("FAILED: ended from outside"))
    story = Story(source, programs)
    try:
        story.start()
        story.login()
        pcm = story.call_rings_and_leaves_a_message()
        gsm = story.store_as_gsm(pcm)
        for file in (pcm, gsm):
            story.play_to_the_end(file)
        story.note(pcm)
        story.delete_and_undo(pcm)
        story.block(pcm)
    except (AssertionError, WebDriverException) as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        # The service ends in order after all that.
        ended = story.stop()
    if ended != 0:
        print("FAILED: vorellad did not end in order")
        return 1
    print("passed in %.1f s" % (time.monotonic() - began))
    return 0


if __name__ == "__main__":
    sys.exit(main())
