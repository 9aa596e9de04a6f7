#!/usr/bin/env python3
"""End-to-end tests through a real window.

Starts the real viridio executable on a private Xvfb display with a fresh HOME,
operates it with real input events (xdotool clicks and keys at the widgets'
positions, read from the forms), closes it and reads my.db.sqlite with
the sqlite3 tool. Every step leaves a screenshot in the output folder.

Usage: viridio_e2e.py --app PATH --forms forms --out FOLDER
                      [--server PATH --events FILE] [TEST ...]
"""
import argparse
import ctypes
import ctypes.util
import datetime
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

STEP_TIMEOUT = 10.0  # seconds to wait for the window or a change on screen
# ImageMagick itself, not a look-alike that may come first on PATH.
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"


class Form:
    """Absolute positions of the window's widgets, from its forms: the frame
    (mainframe.ui) with each page's own form in the page it fills."""

    def __init__(self, folder):
        self.rects = {}
        self.pages = {}
        for name in os.listdir(folder):
            if name.endswith(".ui") and name != "mainframe.ui":
                page = ET.parse(os.path.join(folder, name)).getroot().find("widget")
                self.pages[page.get("name")] = page
        root = ET.parse(os.path.join(folder, "mainframe.ui")).getroot()
        self._walk(root.find("widget"), 0, 0, top=True)

    def _walk(self, element, x, y, top=False):
        ox, oy = x, y
        geometry = element.find("./property[@name='geometry']/rect")
        if geometry is not None and not top:
            gx, gy, w, h = (int(geometry.find(k).text) for k in ("x", "y", "width", "height"))
            ox, oy = x + gx, y + gy
            self.rects[element.get("name")] = (ox, oy, w, h)
        children = element.findall("widget")
        page = self.pages.get(element.get("name"))
        if page is not None and page is not element:
            children = page.findall("widget")
        for child in children:
            self._walk(child, ox, oy)

    def centre(self, name):
        x, y, w, h = self.rects[name]
        return x + w // 2, y + h // 2


class Failure(Exception):
    pass


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("padding", ctypes.c_long * 12)]


def send_close_request(display, window):
    """Asks a window to close as a window manager's close button does
    (WM_DELETE_WINDOW); xdotool can only destroy a window outright."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        raise Failure(f"cannot open display {display}")
    event = _ClientMessage()
    event.type = 33  # ClientMessage
    event.window = int(window)
    event.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(connection, int(window), 0, 0, ctypes.byref(event))
    x11.XFlush(connection)
    x11.XCloseDisplay(connection)


class Cover:
    """A plain X window mapped above everything and given the focus, as
    another program's window would be; it lives while its connection does."""

    def __init__(self, display):
        x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XCreateSimpleWindow.restype = ctypes.c_ulong
        x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + \
            [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        x11.XMapRaised.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_ulong]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + \
            [ctypes.POINTER(ctypes.c_ulong)] * 2 + \
            [ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)), ctypes.POINTER(ctypes.c_uint)]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x11 = x11
        self.connection = x11.XOpenDisplay(display.encode())
        if not self.connection:
            raise Failure(f"cannot open display {display}")
        self.root = x11.XDefaultRootWindow(self.connection)
        self.window = x11.XCreateSimpleWindow(self.connection, self.root, 0, 0, 900, 500, 0, 0,
                                              0x336699)
        x11.XMapRaised(self.connection, self.window)
        x11.XSync(self.connection, 0)
        x11.XSetInputFocus(self.connection, self.window, 2, 0)  # RevertToParent, CurrentTime
        x11.XSync(self.connection, 0)

    def stacking(self):
        """The root's children, bottom first."""
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        self.x11.XQueryTree(self.connection, self.root, ctypes.byref(root),
                            ctypes.byref(parent), ctypes.byref(children), ctypes.byref(count))
        windows = [children[i] for i in range(count.value)]
        if children:
            self.x11.XFree(children)
        return windows

    def close(self):
        self.x11.XCloseDisplay(self.connection)


class Session:
    def __init__(self, args, name):
        self.args = args
        self.name = name
        self.out = os.path.join(args.out, name)
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        self.home = tempfile.mkdtemp(prefix="viridio-e2e-")
        self.form = Form(args.forms)
        self.step = 0
        self.processes = []
        self.display = self._start_display()
        self.env = dict(os.environ, DISPLAY=self.display, HOME=self.home)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.app = None
        self.window = None

    # -- processes ---------------------------------------------------------
    def _start_display(self):
        read, write = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1700x1000x24",
                                 "-nolisten", "tcp"], pass_fds=(write,),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        self.processes.append(xvfb)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        return ":" + number

    def start_app(self, extra_env=None):
        env = dict(self.env, **(extra_env or {}))
        self.log = open(os.path.join(self.out, "viridio.log"), "w")
        self.app = subprocess.Popen([self.args.app], env=env, stdout=self.log, stderr=self.log)
        self.processes.append(self.app)
        found = self.xdotool("search", "--sync", "--onlyvisible", "--name", "^Viridio$",
                             timeout=STEP_TIMEOUT)
        self.window = found.split()[0]
        # No window manager: put the window at the top-left corner ourselves.
        self.xdotool("windowmove", self.window, "0", "0")
        self.wait_stable()
        self.shot("started")

    def close_app(self):
        """Closes the window as the window controls would, and waits for the exit."""
        send_close_request(self.display, self.window)
        try:
            self.app.wait(STEP_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("viridio did not exit after its window was closed")
        if self.app.returncode != 0:
            raise Failure(f"viridio exited with status {self.app.returncode}")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
        shutil.rmtree(self.home, ignore_errors=True)

    def xdotool(self, *words, timeout=5.0):
        try:
            result = subprocess.run(["xdotool", *words], env=self.env, capture_output=True,
                                    text=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"xdotool {' '.join(words)} timed out")
        if result.returncode != 0:
            raise Failure(f"xdotool {' '.join(words)} failed: {result.stderr.strip()}")
        return result.stdout

    # -- the screen --------------------------------------------------------
    def grab(self):
        """The window's pixels as an XWD image; retried, since a grab taken while
        the window is being redrawn can fail."""
        for _ in range(20):
            result = subprocess.run(["xwd", "-silent", "-id", self.window], env=self.env,
                                    capture_output=True, timeout=5)
            if result.returncode == 0 and len(result.stdout) > 100:
                return result.stdout
            time.sleep(0.05)
        raise Failure("cannot grab the window")

    def shot(self, label):
        self.step += 1
        path = os.path.join(self.out, f"{self.step:02d}-{label}.png")
        subprocess.run([CONVERT, "xwd:-", path], input=self.grab(), timeout=10,
                       env=self.env, check=False)

    def region(self, name):
        """The pixels of one widget, as PNG bytes, for comparing two moments."""
        x, y, w, h = self.form.rects[name]
        result = subprocess.run([CONVERT, "xwd:-", "-crop", f"{w}x{h}+{x}+{y}", "png:-"],
                                input=self.grab(), capture_output=True, timeout=10)
        return result.stdout

    def pixels(self, name):
        """The raw pixels of one widget, for telling whether it changed (a PNG
        also holds the moment it was made)."""
        x, y, w, h = self.form.rects[name]
        result = subprocess.run([CONVERT, "xwd:-", "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8",
                                 "rgb:-"], input=self.grab(), capture_output=True, timeout=10)
        return result.stdout

    def edge_colour(self, name):
        """The mean colour of the top border of a widget, as (red, green, blue)."""
        x, y, w, h = self.form.rects[name]
        result = subprocess.run([CONVERT, "xwd:-", "-crop", f"{w // 2}x1+{x + w // 4}+{y}",
                                 "-scale", "1x1!", "-depth", "8", "rgb:-"],
                                input=self.grab(), capture_output=True, timeout=10)
        return tuple(result.stdout[:3])

    def choice_enabled(self, name):
        # Enabled choices have a teal border, disabled ones a grey one.
        red, green, blue = self.edge_colour(name)
        return green - red > 60

    def choice_disabled(self, name):
        grey = (176, 190, 197)
        return sum(abs(a - b) for a, b in zip(self.edge_colour(name), grey)) < 45

    def start_window_manager(self):
        """Runs Openbox on the display, as a desktop has a window manager."""
        try:
            manager = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except FileNotFoundError:
            raise Failure("openbox is not installed (scripts/setup installs the test packages)")
        self.processes.append(manager)
        # It has taken the display once it marks the root window as managed.
        self.wait_for(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env, capture_output=True,
            text=True, timeout=5).stdout, "the window manager")

    def app_windows(self):
        """The viridio windows on screen: the main window, and a drop-down
        list or picker while one is open (each a window of its own)."""
        result = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid),
                                 "--name", ""], env=self.env, capture_output=True, text=True,
                                timeout=5)
        return set(result.stdout.split())

    def wait_for(self, predicate, what):
        deadline = time.monotonic() + STEP_TIMEOUT
        while time.monotonic() < deadline:
            if predicate():
                return
            time.sleep(0.05)
        raise Failure(f"timed out waiting for {what}")

    def start_event_server(self, address, events):
        log = open(os.path.join(self.out, "eventserver.log"), "w")
        server = subprocess.Popen([self.args.server, "--listen", address, events],
                                  stdout=log, stderr=log)
        self.processes.append(server)
        deadline = time.monotonic() + STEP_TIMEOUT
        while time.monotonic() < deadline:
            if server.poll() is not None:
                raise Failure(f"the event server exited with status {server.returncode}")
            with socket.socket() as probe:
                probe.settimeout(0.5)
                if probe.connect_ex((address, 2554)) == 0:
                    return
            time.sleep(0.05)
        raise Failure("the event server did not start listening")

    def wait_change(self, before):
        """Waits until the window differs from `before`, then until it settles."""
        deadline = time.monotonic() + STEP_TIMEOUT
        while time.monotonic() < deadline:
            if self.grab() != before:
                self.wait_stable()
                return
            time.sleep(0.05)
        raise Failure("the window did not change")

    def wait_stable(self):
        deadline = time.monotonic() + STEP_TIMEOUT
        last = self.grab()
        while time.monotonic() < deadline:
            time.sleep(0.1)
            now = self.grab()
            if now == last:
                return
            last = now

    # -- input -------------------------------------------------------------
    def click(self, name, label=None, expect_change=True):
        x, y = self.form.centre(name)
        before = self.grab()
        self.xdotool("mousemove", "--window", self.window, str(x), str(y))
        self.xdotool("click", "1")
        if expect_change:
            self.wait_change(before)
        else:
            self.wait_stable()
        self.shot(label or name)

    def choose(self, combo, text):
        """Picks the item `text` of a combo box: open it, type the text, confirm."""
        # The list opens in a window of its own, so the main window may not change.
        self.click(combo, f"{combo}-open", expect_change=False)
        self.xdotool("type", "--delay", "50", text)
        before = self.grab()
        self.xdotool("key", "Return")
        self.wait_change(before)
        self.shot(f"{combo}-{text}")

    def type_into(self, field, text):
        self.click(field, f"{field}-focus", expect_change=False)
        self.xdotool("type", "--delay", "50", text)
        self.wait_stable()
        self.shot(f"{field}-typed")

    # -- the database --------------------------------------------------------
    def sql(self, statement):
        path = os.path.join(self.home, "my.db.sqlite")
        result = subprocess.run(["sqlite3", "-batch", path, statement], capture_output=True,
                                text=True, timeout=10)
        if result.returncode != 0:
            raise Failure(f"sqlite3 failed: {result.stderr.strip()}")
        return result.stdout.strip()


def check(condition, message):
    if not condition:
        raise Failure(message)


def today_key():
    return datetime.date.today().strftime("%d/%m/%Y")


TESTS = {}


def e2e(function):
    TESTS[function.__name__] = function
    return function


@e2e
def credits_and_back(s):
    s.start_app()
    s.click("push_credits")
    s.click("push_CreditBack")
    s.close_app()
    check(s.sql("SELECT count(*) FROM Tips") == "15", "the built-in tips are missing")


@e2e
def electricity_diary(s):
    s.start_app()
    for button in ("push_ecoCal", "push_vozAvaviButton", "push_vozAvaviElectricityIcon",
                   "push_bedroom", "push_airCon"):
        s.click(button)
    s.choose("comboBox_airCon", "5")
    s.click("push_airConOK")  # on to the laptop question
    s.close_app()
    row = s.sql(f"SELECT valOfAirCon, valOfLaptop IS NULL FROM Diary "
                f"WHERE retrieveDate = '{today_key()}'")
    check(row == "1.1435|1", f"today's Diary row is {row!r}, expected 1.1435 for the air con")


@e2e
def water_diary(s):
    s.start_app()
    for button in ("push_ecoCal", "push_vozAvaviButton", "push_vozAvaviWaterIcon"):
        s.click(button)
    s.choose("comboBox_familyMem", "3")
    s.type_into("le_tapAmt", "10")
    s.click("push_tapOK")
    s.click("push_washingMachineWaterOK")
    s.click("push_dishWashingWaterOK")
    s.choose("comboBox_showerWater", "2")
    s.choose("comboBox_toiletWater", "5")
    s.click("push_showerNtoiletOK")
    s.click("push_lawnOK")  # lands on the diary choice
    s.close_app()
    row = s.sql("SELECT noOfFamilyMem, amtOfTapUsed, amtOfShowerUsed, amtOfToiletBowlUsed "
                f"FROM waterDiary WHERE waterRetrieveDate = '{today_key()}'")
    check(row == "3|0.1755|0.3744|0.0936", f"today's waterDiary row is {row!r}")


@e2e
def event_update(s):
    if not (s.args.server and s.args.events):
        raise Failure("--server and --events are needed")
    address = "127.0.0.77"
    s.start_event_server(address, s.args.events)
    s.start_app({"VIRIDIO_EVENT_SERVER": address})
    s.click("push_ecoEvent")
    list_before = s.region("listWid_upcoming")
    s.click("push_updateEvents")
    s.click("push_backToEvents")
    list_after = s.region("listWid_upcoming")
    s.close_app()

    sent = s.sql("SELECT count(*) FROM Events WHERE eventName LIKE 'World%'")
    check(int(sent) > 0, "no event of the server was stored")
    today = datetime.date.today()
    this_month = int(s.sql("SELECT count(*) FROM Events WHERE startDate LIKE "
                           f"'{today.month}@%@{today.year}'"))
    if this_month:
        check(list_after != list_before, "this month's events are not listed after the update")


@e2e
def quiz_round(s):
    s.start_app()
    s.click("push_duzEvod")
    s.click("push_Start")
    choice = "push_QuizChoice1"
    check(s.choice_enabled(choice), "the choices are not enabled at the start")
    for answer in range(1, 11):
        x, y = s.form.centre(choice)
        s.xdotool("mousemove", "--window", s.window, str(x), str(y))
        s.xdotool("click", "1")
        s.xdotool("mousemove", "--window", s.window, "5", "5")
        # The choices are disabled while the verdict shows...
        s.wait_for(lambda: s.choice_disabled(choice), f"the verdict on answer {answer}")
        s.shot(f"answer-{answer}")
        # ...and come back with the next question; after the tenth, the result follows.
        if answer < 10:
            s.wait_for(lambda: s.choice_enabled(choice), f"question {answer + 1}")
        else:
            s.wait_for(lambda: not s.choice_disabled(choice), "the result page")
    s.wait_stable()
    s.shot("result")
    s.close_app()
    score = s.sql("SELECT QuizHScore FROM QuizScore WHERE QID = 1")
    check(score.isdigit() and 1500 <= int(score) <= 2000,
          f"the stored high score is {score!r}, expected 1500 to 2000 for ten answers")


@e2e
def settings_taps_at_2x(s):
    """Short taps on a settings field and a "How many" arrow at scale 2,
    inside the finger-scrolled page: both take the tap, and the finger still
    scrolls the page."""
    scale = 2
    s.start_app({"QT_SCALE_FACTOR": str(scale)})

    def tap(x, y):
        s.xdotool("mousemove", "--window", s.window, str(x * scale), str(y * scale))
        s.xdotool("click", "1")
        s.wait_stable()

    for button in ("push_ecoCal", "push_vozAvaviButton", "push_settings"):
        tap(*s.form.centre(button))
    # Where the page lays them out at scale 1: the electricity tariff, and
    # the up arrow of how many air conditioners.
    tap(209, 175)
    s.xdotool("key", "ctrl+a")
    s.xdotool("type", "--delay", "50", "0.30")
    tap(313, 308)
    s.shot("tapped")
    tap(685, 331)  # Save
    s.close_app()
    rate = s.sql("SELECT rateAmt FROM Rates WHERE rateType = 'electricity'")
    check(rate == "0.30", f"the electricity tariff is {rate!r}, expected the typed 0.30")
    count = s.sql("SELECT count FROM ApplianceCount WHERE applianceName = 'AirCon'")
    check(count == "2", f"the air conditioners are {count!r}, expected 2 after one tap")


def escape_closes_only_the_list(s, window_manager):
    """Escape with an answer list open on the quick day closes only the list:
    the page stays, and the answer picked before, not yet saved, is saved
    after."""
    if window_manager:
        s.start_window_manager()
    s.start_app()
    for button in ("push_ecoCal", "push_vozAvaviButton", "push_quickDay"):
        s.click(button)
    heading = s.pixels("lb_quickDayHeading")
    # The page lays its answer boxes out itself: the air conditioner's is the
    # first row's, in the left half of the rows, the fan's below it.
    left, top, _, _ = s.form.rects["scroll_quickDay"]

    def open_list(y, label):
        before = s.app_windows()
        s.xdotool("mousemove", "--window", s.window, str(left + 218), str(top + y))
        s.xdotool("click", "1")
        s.wait_for(lambda: s.app_windows() - before, f"the {label} list to open")
        s.shot(f"{label}-list-open")
        return before

    shown = open_list(46, "air-conditioner")
    s.xdotool("type", "--delay", "50", "2")
    s.xdotool("key", "Return")
    s.wait_for(lambda: s.app_windows() == shown, "the air conditioner's list to close")
    s.wait_stable()
    shown = open_list(90, "fan")
    s.xdotool("key", "Escape")
    s.wait_for(lambda: s.app_windows() == shown, "Escape to close the fan's list")
    s.wait_stable()
    s.shot("escaped")
    check(s.pixels("lb_quickDayHeading") == heading, "Escape left the quick day")
    # The page's column of buttons, 44 high and 50 apart: "Save the day", "As
    # day before", then "Back".
    x, y, width, _ = s.form.rects["wid_quickDayButtons"]
    for label, middle in (("saved", 22), ("back", 122)):
        s.xdotool("mousemove", "--window", s.window, str(x + width // 2), str(y + middle))
        s.xdotool("click", "1")
        s.wait_stable()
        s.shot(label)
    # The same with the recorded day's calendar open on the page before.
    choices = s.pixels("push_quickDay")
    before = s.app_windows()
    x, y, width, height = s.form.rects["date_recordDay"]
    s.xdotool("mousemove", "--window", s.window, str(x + width - 12), str(y + height // 2))
    s.xdotool("click", "1")
    s.wait_for(lambda: s.app_windows() - before, "the calendar to open")
    s.xdotool("key", "Escape")
    s.wait_for(lambda: s.app_windows() == before, "Escape to close the calendar")
    s.wait_stable()
    s.shot("calendar-escaped")
    check(s.pixels("push_quickDay") == choices, "Escape left the page of the calendar")
    # And with a room page's hour list open.
    for button in ("push_vozAvaviElectricityIcon", "push_bedroom", "push_airCon"):
        s.click(button)
    question = s.pixels("lb_airConQn")
    before = s.app_windows()
    s.click("comboBox_airCon", "air-conditioner-hours-open", expect_change=False)
    s.wait_for(lambda: s.app_windows() - before, "the hour list to open")
    s.xdotool("key", "Escape")
    s.wait_for(lambda: s.app_windows() == before, "Escape to close the hour list")
    s.wait_stable()
    s.shot("hours-escaped")
    check(s.pixels("lb_airConQn") == question, "Escape left the air conditioner's page")
    s.close_app()
    # Two hours of the 1000 W air conditioner at the built-in 0.2287 a kWh.
    row = s.sql(f"SELECT valOfAirCon FROM Diary WHERE retrieveDate = '{today_key()}'")
    check(row == "0.4574", f"the air conditioner's cost is {row!r}, expected 0.4574 for 2 hours")


@e2e
def escape_closes_only_the_list_alone(s):
    escape_closes_only_the_list(s, window_manager=False)


@e2e
def escape_closes_only_the_list_with_a_window_manager(s):
    escape_closes_only_the_list(s, window_manager=True)


@e2e
def second_start_brings_the_first_forward(s):
    """A second start on the same data file brings the running window out from
    under another window and ends at once; the first window and the data file
    are as they were."""
    s.start_app()
    s.click("push_credits")
    before = s.sql(".dump")
    cover = Cover(s.display)
    try:
        check(s.xdotool("getwindowfocus").strip() == str(cover.window),
              "the covering window did not take the focus")
        try:
            second = subprocess.run([s.args.app], env=s.env, capture_output=True, text=True,
                                    timeout=STEP_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the second start did not end")
        check(second.returncode == 0,
              f"the second start exited with status {second.returncode}: {second.stderr}")
        windows = s.xdotool("search", "--onlyvisible", "--name", "^Viridio$").split()
        check(windows == [s.window], f"the Viridio windows are {windows}, expected the first only")

        def forward():
            stack = cover.stacking()
            return (s.xdotool("getwindowfocus").strip() == s.window and
                    stack.index(int(s.window)) > stack.index(cover.window))
        try:
            s.wait_for(forward, "the first window to come forward with the focus")
        except Failure:
            raise Failure(f"the first window did not come forward: focus on "
                          f"{s.xdotool('getwindowfocus').strip()}, stack {cover.stacking()}, "
                          f"first {s.window}, cover {cover.window}; second start said "
                          f"{second.stderr!r}")
    finally:
        cover.close()
    s.shot("forward")
    s.click("push_CreditBack")
    s.close_app()
    check(s.sql(".dump") == before, "the data file changed")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", required=True)
    parser.add_argument("--forms", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--server")
    parser.add_argument("--events")
    parser.add_argument("tests", nargs="*")
    args = parser.parse_args()
    names = args.tests or list(TESTS)
    passed = failed = 0
    for name in names:
        session = Session(args, name)
        started = time.monotonic()
        try:
            TESTS[name](session)
            passed += 1
            print(f"PASS   : {name} ({time.monotonic() - started:.1f} s)")
        except Failure as failure:
            failed += 1
            try:
                session.shot("failure")
            except Failure:
                pass  # the window is gone
            print(f"FAIL!  : {name}: {failure} (screenshots in {session.out})")
        finally:
            session.stop()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
