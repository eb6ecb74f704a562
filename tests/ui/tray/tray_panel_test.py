#!/usr/bin/env python3
"""The tray icon as a desktop panel sees it.

Runs under dbus-run-session (a private session bus). Each test starts its own
Xvfb, the fake panel (fake_panel.py, the status-notifier watcher) and the
tray test program, then reads the registered item's icon, tooltip and menu
over D-Bus and clicks through it as a panel would.
"""
import os
import queue
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import dbus

HERE = os.path.dirname(os.path.abspath(__file__))
ITEM = "org.kde.StatusNotifierItem"
WATCHER = "org.kde.StatusNotifierWatcher"
MENU = "com.canonical.dbusmenu"
PROPS = "org.freedesktop.DBus.Properties"
DEADLINE = 30.0  # generous: the machine may be busy; a pass is usually far quicker


def wait_for(what, condition, deadline=DEADLINE):
    """Polls condition() until it returns something true; fails with what."""
    end = time.monotonic() + deadline
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def classify(pixmaps):
    """Which picture an IconPixmap shows, told by the colour of its mark
    (the top-right quarter): idle green, paused amber, playing blue,
    recording red; no coloured mark is the blank frame (or creation)."""
    if not pixmaps:
        return None
    w, h, data = max(pixmaps, key=lambda p: int(p[0]))
    w, h, data = int(w), int(h), bytes(data)
    counts = {"idle": 0, "paused": 0, "playing": 0, "recording": 0}
    for y in range(h // 2):
        for x in range(w // 2, w):
            a, r, g, b = data[4 * (y * w + x):4 * (y * w + x) + 4]
            if a < 200:
                continue
            if r > 150 and g < 90 and b < 90:
                counts["recording"] += 1
            elif g > 110 and r < 90 and b < 120:
                counts["idle"] += 1
            elif b > 150 and r < 90:
                counts["playing"] += 1
            elif r > 150 and 90 <= g <= 170 and b < 60:
                counts["paused"] += 1
    best = max(counts, key=counts.get)
    return best if counts[best] >= (w * h) // 40 else "blank"


class Panel:
    """The fake panel process."""

    def __init__(self):
        self.proc = subprocess.Popen([sys.executable, os.path.join(HERE, "fake_panel.py")],
                                     stdout=subprocess.PIPE, text=True)
        line = self.proc.stdout.readline()
        if line.strip() != "ready":
            raise AssertionError("the fake panel did not start: %r" % line)

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        self.proc.wait(timeout=DEADLINE)


class TrayPanelTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="vorella-tray-")
        self.addCleanup(shutil.rmtree, self.tmp, True)
        self.start_xvfb()
        home = os.path.join(self.tmp, "home")
        run = os.path.join(self.tmp, "run")
        os.makedirs(home)
        os.makedirs(run, mode=0o700)
        bindir = os.environ["VORELLA_BIN_DIR"]
        for name in ("vorella.def", "brand.ini"):
            shutil.copy(os.path.join(bindir, name), home)
        self.env = dict(os.environ, VORELLA_HOME=home, XDG_RUNTIME_DIR=run,
                        DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        self.env.pop("XDG_CURRENT_DESKTOP", None)
        self.bus = dbus.SessionBus()
        self.addCleanup(self.stop_panel)
        self.panel = Panel()
        self.start_app()

    # -- the parts ---------------------------------------------------------

    def start_xvfb(self):
        r, w = os.pipe()
        self.xvfb = subprocess.Popen(
            [os.environ.get("VORELLA_TEST_XVFB", "Xvfb"), "-displayfd", str(w),
             "-nolisten", "tcp", "-screen", "0", "640x480x24"],
            pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise AssertionError("Xvfb did not start")
        self.display = ":" + number
        self.addCleanup(self.xvfb.wait)
        self.addCleanup(self.xvfb.terminate)

    def stop_panel(self):
        if self.panel and self.panel.proc.poll() is None:
            self.panel.stop()

    def start_app(self):
        self.app = subprocess.Popen([os.environ["VORELLA_TRAY_APP"]], env=self.env,
                                    stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.lines = queue.Queue()
        self.seen = []

        def read():
            for line in self.app.stdout:
                self.lines.put(line.rstrip("\n"))
            self.lines.put(None)
        threading.Thread(target=read, daemon=True).start()
        self.addCleanup(self.stop_app)
        self.expect("ready")
        self.item = wait_for("the icon to register", self.registered_item)

    def stop_app(self):
        if self.app.poll() is None:
            self.app.stdin.write("quit\n")
            self.app.stdin.flush()
        # A crash or a leak at the end is a failure too.
        self.assertEqual(self.app.wait(timeout=DEADLINE), 0)

    def send(self, line):
        self.app.stdin.write(line + "\n")
        self.app.stdin.flush()
        return self.expect("state ")

    def expect(self, prefix):
        end = time.monotonic() + DEADLINE
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, end - time.monotonic()))
            except queue.Empty:
                raise AssertionError("the tray program did not say " + prefix)
            if line is None:
                raise AssertionError("the tray program ended before saying " + prefix)
            self.seen.append(line)
            if line.startswith(prefix):
                return line

    def registered_item(self):
        watcher = self.bus.get_object(WATCHER, "/StatusNotifierWatcher")
        items = watcher.Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=PROPS)
        return str(items[-1]) if items else None

    # -- what the panel reads ----------------------------------------------

    def item_object(self):
        service, _, path = self.item.partition("/")
        return self.bus.get_object(service, "/" + path if path else "/StatusNotifierItem")

    def prop(self, name):
        return self.item_object().Get(ITEM, name, dbus_interface=PROPS)

    def picture(self):
        return classify(self.prop("IconPixmap"))

    def tooltip(self):
        _icon, _pixmaps, title, text = self.prop("ToolTip")
        return str(title) + " " + str(text)

    def wait_picture(self, name):
        wait_for("the picture " + name, lambda: self.picture() == name)

    def menu(self):
        path = self.prop("Menu")
        return dbus.Interface(self.bus.get_object(self.item.split("/")[0], path), MENU)

    def layout(self):
        def node(n):
            ident, props, children = n
            label = str(props.get("label", "")) if props.get("type") != "separator" else "-"
            return (int(ident), label, [node(c) for c in children])
        _revision, root = self.menu().GetLayout(0, -1, dbus.Array([], signature="s"))
        return node(root)

    def click(self, *labels):
        """Clicks the menu item reached through labels (sub-menus first)."""
        items = self.layout()[2]
        for label in labels[:-1]:
            items = next(c for c in items if c[1] == label)[2]
        ident = next(c for c in items if c[1] == labels[-1])[0]
        self.menu().Event(dbus.Int32(ident), "clicked", dbus.Int32(0, variant_level=1),
                          dbus.UInt32(0))

    def idle_settled(self):
        """Timer 3 has stopped: nothing left to follow or to time."""
        return wait_for("timer 3 to stop", lambda: "timer3=0" in self.send("state"))

    # -- the tests ---------------------------------------------------------

    def testPictureFollowsTheLine(self):
        self.wait_picture("idle")
        self.assertIn("Vorella", self.tooltip())
        self.idle_settled()

        # A call rings: the caller's number in the tooltip, the picture stays.
        self.send("call 1")
        self.send("tooltip 5551234")
        wait_for("the caller in the tooltip", lambda: "5551234" in self.tooltip())
        self.assertEqual(self.picture(), "idle")

        # Recording: the red dot, blinking with the blank frame; the tooltip
        # goes back to the title.
        self.send("record 1")
        self.wait_picture("recording")
        self.wait_picture("blank")
        self.wait_picture("recording")
        self.assertNotIn("5551234", self.tooltip())

        self.send("record 0")
        self.send("hold 1")
        self.wait_picture("playing")
        self.send("hold 0")
        self.send("call 0")
        self.wait_picture("idle")
        self.idle_settled()

        # Paused, from the menu, while nothing else wakes the tray.
        self.click("_Disable")
        self.wait_picture("paused")
        self.idle_settled()
        self.assertIn("paused=1", self.send("state"))

    def testMenuItemsRunTheirCommands(self):
        labels = [c[1] for c in self.layout()[2]]
        self.assertEqual(labels, ["Vorella", "-", "_Help", "-", "_Record", "_Stop", "_Play", "-",
                                  "_Disable", "S_tatus", "-", "Block the _last caller",
                                  "Pa_use call screening", "-", "_Configuration...",
                                  "D_iagnostics...", "-", "E_xit"])
        tree = {c[1]: [g[1] for g in c[2]] for c in self.layout()[2]}
        self.assertEqual(tree["_Help"], ["_Contents", "A_bout..."])
        self.assertEqual(tree["S_tatus"], ["_Online\tCall Alert only", "A_way\tAnswering Machine",
                                           "_Busy\tMute sounds",
                                           "_Do Not Disturb\tSuppress all sounds and visuals",
                                           "O_ffline\tRelease the modem"])
        self.wait_picture("idle")

        self.click("_Record")
        self.wait_picture("recording")
        self.click("_Stop")
        self.wait_picture("idle")

        self.click("Vorella")
        self.expect("main-window")
        self.click("_Configuration...")
        self.expect("command 32782")
        self.click("_Help", "A_bout...")
        self.expect("command 57664")

        self.click("S_tatus", "O_ffline\tRelease the modem")
        self.wait_picture("paused")
        self.click("S_tatus", "O_ffline\tRelease the modem")
        self.wait_picture("idle")

        # Screening paused and on again: the tooltip says so meanwhile.
        for paused in (True, False):
            self.click("Pa_use call screening")
            wait_for("the tooltip to follow the screening switch",
                     lambda: ("Call screening paused" in self.tooltip()) == paused)

        # Exit ends the program, and its icon leaves the panel.
        self.click("E_xit")
        self.assertEqual(self.app.wait(timeout=DEADLINE), 0)
        wait_for("the icon to leave", lambda: self.registered_item() is None)

    def testClicksThroughThePanel(self):
        self.wait_picture("idle")
        item = dbus.Interface(self.item_object(), ITEM)

        # The middle click steps monitoring at once.
        item.SecondaryActivate(0, 0)
        self.wait_picture("paused")
        item.SecondaryActivate(0, 0)
        self.wait_picture("idle")

        # One click steps it once the double-click time has passed.
        item.Activate(0, 0)
        self.wait_picture("paused")
        self.idle_settled()

        # Two quick clicks open the main window and do not step.
        item.Activate(0, 0)
        item.Activate(0, 0)
        self.expect("main-window")
        self.idle_settled()
        self.assertIn("paused=1", self.send("state"))
        self.assertEqual(self.picture(), "paused")

    def testPanelRestartBringsTheIconBack(self):
        self.wait_picture("idle")
        dbus.Interface(self.item_object(), ITEM).SecondaryActivate(0, 0)
        self.wait_picture("paused")

        self.panel.stop()
        self.expect("tray-gone")
        self.panel = Panel()
        self.expect("tray-available")
        self.item = wait_for("the icon to register again", self.registered_item)
        self.wait_picture("paused")
        self.assertIn("Vorella", self.tooltip())
        self.assertIn("_Disable", [c[1] for c in self.layout()[2]])


if __name__ == "__main__":
    unittest.main()
