"""Drives Vantle.exe under Wine on a private Xvfb display for the GUI tests.

One `Display` (an Xvfb server on a free display number) serves a test module; every test starts the
program in a fresh folder holding copies of Vantle.exe and its language modules and a portable settings file
beside them, so nothing is shared between runs. Input comes from xdotool (real X events) and from
vantle-msg.exe (messages sent from inside Wine); results are read back through the window title,
the number boxes, the view's scroll bars, screenshots and the files the program writes, decoded
with the project's own vantle-cli.

Every wait has a deadline and every child process is killed by its id when a test ends.

Environment (set by CTest, see CMakeLists.txt):
  VANTLE_GUI_BIN        folder with Vantle.exe and the language modules
  VANTLE_GUI_TOOLS      folder with vantle-msg.exe and vantle-probe.dll
  VANTLE_GUI_CLI        native vantle-cli (used when it exists) ...
  VANTLE_GUI_CLI_EXE    ... else this vantle-cli.exe under Wine
  VANTLE_GUI_WINE_RUN   scripts/wine-run.sh
  VANTLE_WINE_BUILD     the Windows build tree
  VANTLE_WINE_PREFIX    the GUI tests' own Wine prefix: a console test elsewhere in the build's
                        prefix would start that prefix's desktop without a display, and no window
                        could appear on it
  VANTLE_GUI_ARTIFACTS  where screenshots are kept
"""

import ctypes
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

SCREEN_W, SCREEN_H = 1280, 800

# Identifiers of the program's controls and commands.
VIEW = 1000
ZOOM_BOX = 1031
FORMAT_COMBO = 1050
BOX_LEFT, BOX_TOP, BOX_RIGHT, BOX_BOTTOM = 1110, 1111, 1112, 1113
OUT_WIDTH, OUT_HEIGHT = 1143, 1144
MAIN_TOOLBAR, TRIM_TOOLBAR = 1021, 1024
CMD_MAIN_MENU, CMD_FILE_LIST, CMD_ZOOM_FIT, CMD_ZOOM_100 = 5020, 5010, 5100, 5110
CMD_PASTE = 5415
CMD_EXECUTE, CMD_FIT_LARGEST = 5700, 5702
SHADE_COMMANDS = {1: 5500, 2: 5202, 3: 5203, 0: 5204, 128: 5205, 255: 5206}

LIGHT_GREY = (192, 192, 192)  # the view's background (LTGRAY_BRUSH)

# The language modules the program ships; every run gets all of them beside the executable.
LANGUAGE_MODULES = ("English", "Deutsch")


def die_with_parent():
    """Run in a child before exec: the kernel kills it when the test process dies, however that
    happens (a CTest time-out included), so no Xvfb or Vantle.exe outlives its test."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def env(name):
    value = os.environ.get(name)
    if not value:
        raise unittest.SkipTest(f"{name} is not set: run the GUI tests through CTest (windows preset)")
    return value


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_for(predicate, timeout, what, interval=0.1):
    """Polls until predicate() returns something true and returns it; fails the test on timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def run(args, timeout=60, check=True, text=True, **kwargs):
    """Runs a child process to its end within `timeout` seconds; the child is killed otherwise.

    Output goes through files, not pipes: the first Wine process starts the wineserver and the
    desktop process, which inherit its output handles and would hold a pipe open long after it ended.
    """
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(args, stdout=out, stderr=err, stdin=subprocess.DEVNULL, preexec_fn=die_with_parent,
                                   **kwargs)
        try:
            returncode = process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise AssertionError(f"timed out after {timeout} s: {' '.join(map(str, args))}")
        out.seek(0)
        err.seek(0)
        stdout, stderr = out.read(), err.read()
    if text:
        stdout, stderr = stdout.decode("utf-8", errors="replace"), stderr.decode("utf-8", errors="replace")
    result = subprocess.CompletedProcess(args, returncode, stdout, stderr)
    if check and returncode != 0:
        message = stderr if text else stderr.decode(errors="replace")
        raise AssertionError(f"{' '.join(map(str, args))} failed ({returncode}): {message.strip()}")
    return result


# --- Images ---------------------------------------------------------------------------------------

class Image:
    """24-bit pixels, top row first, as (r, g, b) tuples through pixel()."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])

    @property
    def size(self):
        return (self.width, self.height)


def read_bmp(path):
    """A 24-bit BMP as vantle-cli decode writes it (bottom-up unless the height is negative)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise AssertionError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise AssertionError(f"{path}: {bits} bits per pixel, expected 24")
    top_down = height < 0
    height = abs(height)
    stride = (width * 3 + 3) & ~3
    rgb = bytearray(width * height * 3)
    for y in range(height):
        row = y if top_down else height - 1 - y
        line = data[offset + row * stride: offset + row * stride + width * 3]
        out = y * width * 3
        rgb[out:out + width * 3:3] = line[2::3]
        rgb[out + 1:out + width * 3:3] = line[1::3]
        rgb[out + 2:out + width * 3:3] = line[0::3]
    return Image(width, height, bytes(rgb))


def mean_difference(a, b):
    if a.size != b.size:
        raise AssertionError(f"sizes differ: {a.size} and {b.size}")
    return sum(abs(x - y) for x, y in zip(a.rgb, b.rgb)) / len(a.rgb)


def round_half_away(value):
    return int(value + 0.5) if value >= 0 else -int(-value + 0.5)


class FittedView:
    """Where an image sits when the program has fitted it into the view (no scroll bars): the zoom
    that fits, the scaled size and the centred position, in screen pixels."""

    def __init__(self, app, width, height):
        left, top, right, bottom = app.rect(VIEW)
        client_w, client_h = right - left, bottom - top
        zoom = 1.0
        if width > client_w or height > client_h:
            zoom = min(max(1, client_w) / max(1, width), max(1, client_h) / max(1, height))
            zoom = min(max(zoom, 0.01), 16.0)
        self.zoom = zoom
        self.width = max(1, round_half_away(width * zoom))
        self.height = max(1, round_half_away(height * zoom))
        self.left = left + ((client_w - self.width) >> 1)
        self.top = top + ((client_h - self.height) >> 1)

    def screen(self, x, y):
        """Screen point of image pixel (x, y) (its top-left corner)."""
        return (self.left + round_half_away(x * self.zoom), self.top + round_half_away(y * self.zoom))

    def image(self, sx, sy):
        """Image point under screen point (sx, sy), unrounded."""
        return ((sx - self.left) / self.zoom, (sy - self.top) / self.zoom)


# --- vantle-cli -----------------------------------------------------------------------------------

class Cli:
    """The project's command-line program: natively when built, else the Windows exe under Wine."""

    def __init__(self, display):
        self.display = display
        native = os.environ.get("VANTLE_GUI_CLI", "")
        if native and os.access(native, os.X_OK):
            self.prefix = [native]
            self.windows = False
        else:
            self.prefix = [env("VANTLE_GUI_WINE_RUN"), env("VANTLE_GUI_CLI_EXE")]
            self.windows = True

    def path(self, p):
        return windows_path(p) if self.windows else p

    def __call__(self, *args, cwd=None):
        mapped = [self.path(a) if isinstance(a, PathArg) else str(a) for a in args]
        # Under Wine it runs on the test's display, like every other process of the prefix.
        return run(self.prefix + mapped, timeout=120, cwd=cwd, env=self.display.env()).stdout

    def decode(self, source, scratch):
        out = os.path.join(scratch, "decoded-" + os.path.basename(source) + ".bmp")
        self("decode", PathArg(source), PathArg(out))
        return read_bmp(out)


class PathArg(str):
    """A file argument of vantle-cli (translated for the Windows exe)."""


# --- The X display --------------------------------------------------------------------------------

class Display:
    """A private Xvfb server; the number is chosen by the server itself (-displayfd)."""

    def __init__(self):
        for tool in ("Xvfb", "xdotool", "import", "convert"):
            if not shutil.which(tool):
                raise AssertionError(f"{tool} is missing (scripts/setup.sh installs it)")
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp",
             "-noreset"], pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or self.process.poll() is not None:
                os.close(read_fd)
                self.close()
                raise AssertionError("Xvfb did not start")
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        self.name = ":" + number.decode().strip()

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=10)

    def env(self, prefix=None):
        """The environment of a Windows program on this display, in the tests' Wine prefix or `prefix`."""
        e = dict(os.environ)
        e["DISPLAY"] = self.name
        e["WINEDEBUG"] = "-all"
        e["VANTLE_WINE_BUILD"] = env("VANTLE_WINE_BUILD")
        e["VANTLE_WINE_PREFIX"] = prefix or env("VANTLE_WINE_PREFIX")
        return e

    def xdotool(self, *args):
        return run(["xdotool", *map(str, args)], timeout=30, env=self.env()).stdout

    def screenshot(self, path):
        """The whole screen into `path` (PNG); returns its pixels."""
        run(["import", "-display", self.name, "-window", "root", path], timeout=60)
        raw = run(["convert", path, "-depth", "8", "rgb:-"], timeout=60, text=False).stdout
        if len(raw) != SCREEN_W * SCREEN_H * 3:
            raise AssertionError(f"screenshot {path}: unexpected size")
        return Image(SCREEN_W, SCREEN_H, raw)


# --- The program ----------------------------------------------------------------------------------

class Vantle:
    """One run of Vantle.exe in its own folder (a portable installation)."""

    def __init__(self, display, folder, args=(), language=True, cwd=None, installed=False, prefix=None):
        """`installed`: the folder already holds the program (an unpacked package) and is used as it is;
        `prefix`: another Wine prefix than the tests' one."""
        self.display = display
        self.folder = folder
        self.prefix = prefix
        if not installed:
            bin_dir = env("VANTLE_GUI_BIN")
            shutil.copy(os.path.join(bin_dir, "Vantle.exe"), folder)
            if language:
                for module in LANGUAGE_MODULES:
                    shutil.copy(os.path.join(bin_dir, module + ".dll"), folder)
            settings = os.path.join(folder, "Vantle.ini")
            if not os.path.exists(settings):
                open(settings, "wb").close()  # present, so the program keeps its settings here
        self.msg_exe = os.path.join(env("VANTLE_GUI_TOOLS"), "vantle-msg.exe")
        self.log = open(os.path.join(folder, "wine.log"), "wb")
        self.process = subprocess.Popen(
            [env("VANTLE_GUI_WINE_RUN"), os.path.join(folder, "Vantle.exe"), *map(str, args)], cwd=cwd or folder,
            env=display.env(prefix), stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT,
            preexec_fn=die_with_parent)

    # Lifetime.
    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()

    def kill(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
        try:
            self.process.wait(timeout=20)
        finally:
            self.log.close()

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=30):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"Vantle.exe did not end within {timeout} s")

    def wait_window(self, timeout=60):
        def found():
            if not self.running():
                raise AssertionError(f"Vantle.exe ended ({self.process.returncode}) before showing its window")
            return self.msg("find", check=False) is not None
        wait_for(found, timeout, "the main window", interval=0.3)
        # The first paint follows the window; let the message queue drain once.
        self.msg("send", 0)
        return self

    def close(self, timeout=30):
        self.msg("close")
        return self.wait_exit(timeout)

    # vantle-msg.
    def msg(self, *args, check=True, timeout=30):
        result = run([env("VANTLE_GUI_WINE_RUN"), self.msg_exe, *map(str, args)], timeout=timeout, check=False,
                     env=self.display.env(self.prefix), cwd=self.folder)
        if result.returncode != 0:
            if check:
                raise AssertionError(f"vantle-msg {' '.join(map(str, args))}: {result.stderr.strip()}")
            return None
        return result.stdout

    def title(self):
        return self.msg("title").rstrip("\r\n")

    def get(self, control):
        return int(self.msg("get", control))

    def set(self, control, value):
        self.msg("set", control, value)

    def send(self, command):
        self.msg("send", command)

    def rect(self, control):
        return tuple(int(v) for v in self.msg("rect", control).split())

    def button(self, toolbar, command):
        return tuple(int(v) for v in self.msg("button", toolbar, command).split())

    def boxes(self):
        return tuple(int(v) for v in self.msg("get", BOX_LEFT, BOX_TOP, BOX_RIGHT, BOX_BOTTOM).split())

    def scroll(self):
        """{'horizontal': (shown, max, page, pos), 'vertical': ...}"""
        bars = {}
        for line in self.msg("scroll").splitlines():
            name, shown, low, high, page, pos = line.split()
            bars[name] = (shown == "1", int(high), int(page), int(pos))
        return bars

    def windows(self):
        """Visible top-level windows of the Wine desktop: (class, title, rect)."""
        out = []
        for line in self.msg("windows").splitlines():
            parts = line.rstrip("\r").split("\t")
            if len(parts) == 4:
                out.append((parts[1], parts[2], tuple(int(v) for v in parts[3].split())))
        return out

    def window_rect(self):
        for cls, _, rect in self.windows():
            if cls == "Vantle_mwin_class":
                return rect
        raise AssertionError("no main window")

    # Input through X.
    def view_origin(self):
        left, top, _, _ = self.rect(VIEW)
        return left, top

    def click(self, x, y, button=1):
        self.display.xdotool("mousemove", x, y, "sleep", 0.1, "click", button)

    def click_button(self, toolbar, command):
        left, top, right, bottom = self.button(toolbar, command)
        self.click((left + right) // 2, (top + bottom) // 2)

    def drag(self, points, button=1, settle=0.05):
        """Presses at the first screen point, moves through the others, releases at the last."""
        args = ["mousemove", *points[0], "sleep", 0.15, "mousedown", button]
        for x, y in points[1:]:
            args += ["sleep", settle, "mousemove", x, y]
        args += ["sleep", 0.15, "mouseup", button]
        self.display.xdotool(*args)

    def key(self, name, over=None):
        """A key press; X gives the keys to the window under the pointer (no window manager)."""
        if over:
            self.display.xdotool("mousemove", *over)
        self.display.xdotool("sleep", 0.1, "key", name)

    # The program's dialogs (modal, owned by the main window).
    def open_dialog(self, command, timeout=20):
        """Posts a command that opens a dialog (a sent one would wait for the dialog to close) and
        waits until it is up; returns its caption."""
        self.msg("post", command)
        return self.wait_dialog(timeout)

    def wait_dialog(self, timeout=20):
        return wait_for(lambda: (self.msg("dlg-title", check=False) or "").rstrip("\r\n"), timeout, "a dialog",
                        interval=0.2)

    def wait_no_dialog(self, timeout=20):
        wait_for(lambda: self.msg("dlg-title", check=False) is None, timeout, "the dialog to close", interval=0.2)

    def dlg_frame(self):
        return tuple(int(v) for v in self.msg("dlg-frame").split())

    def dlg_rect(self, control):
        return tuple(int(v) for v in self.msg("dlg-rect", control).split())

    def dlg_click(self, control):
        left, top, right, bottom = self.dlg_rect(control)
        self.click((left + right) // 2, (top + bottom) // 2)

    def dlg_type(self, control, text):
        """Replaces a field's text as a user would: click into it, select everything, type."""
        self.dlg_click(control)
        self.display.xdotool("sleep", 0.1, "key", "End", "key", "shift+Home", "key", "BackSpace")
        if text:
            self.display.xdotool("type", "--delay", "30", text)

    def dlg_key(self, name):
        """A key for the dialog: the pointer goes over it first (X gives keys to the window under it)."""
        left, top, right, bottom = self.dlg_frame()
        self.display.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2, "sleep", 0.1, "key", name)

    def dlg_text(self, control):
        return self.msg("dlg-text", control).rstrip("\r\n")

    def dlg_checked(self, control):
        return self.msg("dlg-checked", control).strip() == "1"

    def dlg_enabled(self, control):
        return self.msg("dlg-enabled", control).strip() == "1"

    def dlg_sel(self, control):
        return int(self.msg("dlg-sel", control))

    def dlg_select(self, control, index):
        self.msg("dlg-select", control, index)

    def dlg_rows(self, control):
        """A list view's rows as lists of cell texts, and its selection."""
        lines = self.msg("dlg-rows", control).splitlines()
        selected = int(lines[-1].split()[1])
        return [line.rstrip("\r").split("\t") for line in lines[:-1]], selected

    def dlg_checks(self, control):
        """The check boxes of a list view's rows, as booleans."""
        return [line.strip() == "1" for line in self.msg("dlg-checks", control).splitlines()]

    def dlg_row_rect(self, control, row):
        return tuple(int(v) for v in self.msg("dlg-row-rect", control, row).split())

    def dlg_click_row(self, control, row, clicks=1):
        """A click on a list view row's text (its check box lies at the left end)."""
        left, top, right, bottom = self.dlg_row_rect(control, row)
        self.display.xdotool("mousemove", left + 40, (top + bottom) // 2, "sleep", 0.2, "click", "--repeat", clicks,
                             "--delay", 80, 1)

    def wait_message_box(self, timeout=20):
        """The message box over the dialog: (caption, [texts])."""
        out = wait_for(lambda: self.msg("dlg-msgbox", check=False), timeout, "a message box", interval=0.2)
        time.sleep(0.3)  # placed and painted before anything clicks it
        lines = [line.rstrip("\r") for line in out.splitlines()]
        return lines[0], lines[1:]

    def answer_message_box(self, button=1):
        """Clicks a button of the message box (IDOK 1, IDYES 6, IDNO 7). A click, not a key: the
        key's release would reach the dialog's focused button once the box is gone."""
        left, top, right, bottom = (int(v) for v in self.msg("dlg-msgbox-rect", button).split())
        self.click((left + right) // 2, (top + bottom) // 2)
        wait_for(lambda: self.msg("dlg-msgbox", check=False) is None, 20, "the message box to close", interval=0.2)

    def text(self, control):
        return self.msg("text", control).rstrip("\r\n")

    def tooltip(self, toolbar, command):
        return self.msg("tooltip", toolbar, command).rstrip("\r\n")

    def wait_title(self, predicate, what, timeout=30):
        return wait_for(lambda: (lambda t: t if predicate(t) else None)(self.title()), timeout, what, interval=0.2)


# --- Test base ------------------------------------------------------------------------------------

class GuiTest(unittest.TestCase):
    """One Xvfb per test class; a fresh folder per test; screenshots under the artefact folder."""

    display = None

    @classmethod
    def setUpClass(cls):
        cls.display = Display()
        cls.cli = Cli(cls.display)
        cls.artifacts = env("VANTLE_GUI_ARTIFACTS")
        os.makedirs(cls.artifacts, exist_ok=True)
        cls.inputs = tempfile.mkdtemp(prefix="vantle-gui-inputs-")
        # The photograph as a BMP, so every comparison is free of JPEG decoder differences.
        jpeg = os.path.join(cls.inputs, "sample.jpg")
        cls.cli("sample", PathArg(jpeg))
        cls.sample_bmp = os.path.join(cls.inputs, "sample.bmp")
        cls.cli("decode", PathArg(jpeg), PathArg(cls.sample_bmp))
        cls.sample = read_bmp(cls.sample_bmp)

    @classmethod
    def tearDownClass(cls):
        if cls.display:
            cls.display.close()
        shutil.rmtree(cls.inputs, ignore_errors=True)

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="vantle-gui-")
        self.apps = []

    def tearDown(self):
        for app in self.apps:
            app.kill()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, args=(), language=True, wait=True, settings=None, cwd=None):
        """Vantle.exe in this test's folder (started from `cwd`, by default that folder too);
        `settings` (name=value strings) pre-written first."""
        if settings:
            path = os.path.join(self.folder, "Vantle.ini")
            sets = []
            for s in settings:
                sets += ["--set", s]
            self.cli("settings", PathArg(path), *sets, "--write")
        app = Vantle(self.display, self.folder, args, language, cwd)
        self.apps.append(app)
        # The pointer rests outside the window, so no crosshair or hover state leaks into a test.
        self.display.xdotool("mousemove", 5, 5)
        return app.wait_window() if wait else app

    def copy_input(self, name="sample.bmp", source=None):
        target = os.path.join(self.folder, name)
        shutil.copy(source or self.sample_bmp, target)
        return target

    def screenshot(self, name):
        return self.display.screenshot(os.path.join(self.artifacts, name + ".png"))

    def decode(self, path):
        return self.cli.decode(path, self.folder)

    def settings_of(self, path):
        """vantle-cli settings: {name: value} (texts keep their quotes)."""
        fields = {}
        for line in self.cli("settings", PathArg(path)).splitlines():
            parts = line.split(" ", 2)
            if len(parts) == 3:
                fields[parts[1]] = parts[2]
        return fields
