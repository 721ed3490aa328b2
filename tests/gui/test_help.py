"""Help and About: the help command opens the compiled help file in the help viewer, or the shipped
pages in the browser when the file is missing, and nothing without a help engine; the About window
over the disabled main window keeps the keys from the program until Esc closes it; in trim mode
neither opens."""
import os
import re
import shutil
import tempfile
import time
import unittest

from harness import CMD_FIT_LARGEST, VIEW, ZOOM_BOX, GuiTest, env, run, wait_for, windows_path

CMD_HELP, CMD_ABOUT, CMD_CANCEL = 5450, 5460, 5701
ABOUT_LINES, ABOUT_ADDRESS = (100, 101), 102
VIEWER = "HH Parent"  # the class of Wine's help viewer window
ABOUT = "version_info_class"
ADDRESS_BLUE = (0, 0, 255)
ENGINE_KEY = r"HKCR\CLSID\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\InprocServer32"
NO_ENGINE_FILE = "mscoree,mshtml,hhctrl.ocx="  # Wine's DLL overrides: no library of that name loads


def reg(display, *args, check=True):
    return run([env("VANTLE_GUI_WINE_RUN"), "reg", *args], timeout=60, check=check, env=display.env())


class Browser:
    """Stands in for the web browser. Under Wine an .html file opens through winebrowser, which
    runs the first program of its Browsers setting with the page's address; here that program is a
    script that writes the address into a file, so no real browser starts. Wine's prefix has no
    .html association of its own (it comes with the HTML engine, which the prefix leaves out), so
    the one Windows has is added while the tests run."""

    def __init__(self, display):
        self.display = display
        self.folder = tempfile.mkdtemp(prefix="vantle-browser-")
        self.log = os.path.join(self.folder, "opened.txt")
        script = os.path.join(self.folder, "browser")
        with open(script, "w") as f:
            f.write(f'#!/bin/sh\nprintf "%s\\n" "$1" >> "{self.log}"\n')
        os.chmod(script, 0o755)
        self.added_association = reg(display, "query", r"HKCR\.html", "/ve", check=False).returncode != 0
        settings = os.path.join(self.folder, "browser.reg")
        with open(settings, "w") as f:
            f.write("REGEDIT4\n\n")
            if self.added_association:
                f.write('[HKEY_CLASSES_ROOT\\.html]\n@="htmlfile"\n\n')
            f.write(f'[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]\n"Browsers"="{script}"\n')
        run([env("VANTLE_GUI_WINE_RUN"), "regedit", "/S", windows_path(settings)], timeout=60, env=display.env())

    def close(self):
        reg(self.display, "delete", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers", "/f", check=False)
        if self.added_association:
            reg(self.display, "delete", r"HKCR\.html", "/f", check=False)
        shutil.rmtree(self.folder, ignore_errors=True)

    def opened(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            return f.read().splitlines()

    def forget(self):
        if os.path.exists(self.log):
            os.remove(self.log)


class HelpTest(GuiTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.browser = Browser(cls.display)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        super().tearDownClass()

    def setUp(self):
        super().setUp()
        self.browser.forget()

    def install_help(self, compiled=False, pages=False):
        """Beside the executable: Vantle.chm, the folder Help, or both."""
        bin_dir = env("VANTLE_GUI_BIN")
        if compiled:
            shutil.copy(os.path.join(bin_dir, "Vantle.chm"), self.folder)
        if pages:
            shutil.copytree(os.path.join(bin_dir, "Help"), os.path.join(self.folder, "Help"))

    def window_of(self, app, cls):
        return next((w for w in app.windows() if w[0] == cls), None)

    def shipped_page(self):
        return "file://" + os.path.join(os.path.realpath(self.folder), "Help", "index.html")

    def test_help_opens_the_compiled_file_in_the_help_viewer(self):
        self.install_help(compiled=True, pages=True)
        app = self.start()
        app.msg("post", CMD_HELP)
        viewer = wait_for(lambda: self.window_of(app, VIEWER), 60, "the help viewer")
        # The title is the compiled file's own, so the viewer shows our help; its contents tree
        # lists our pages (dark text at the top of the tree, once the viewer has painted).
        self.assertEqual(viewer[1], "Vantle Help")
        left, top = viewer[2][:2]

        def contents_shown():
            shot = self.screenshot("help-viewer")
            return any(sum(shot.pixel(x, y)) < 200 for x in range(left + 40, left + 200, 2)
                       for y in range(top + 100, top + 135, 2))
        wait_for(contents_shown, 30, "the contents of the help file", interval=1)
        self.assertEqual(self.browser.opened(), [], "the browser was asked as well")
        self.assertEqual(app.close(), 0)

    def test_without_the_help_file_help_and_the_about_address_open_the_shipped_pages(self):
        self.install_help(pages=True)
        app = self.start()
        app.msg("post", CMD_HELP)
        wait_for(self.browser.opened, 60, "the browser")
        self.assertEqual(self.browser.opened(), [self.shipped_page()])
        self.assertIsNone(self.window_of(app, VIEWER))

        self.browser.forget()
        app.msg("post", CMD_ABOUT)
        wait_for(lambda: self.window_of(app, ABOUT), 20, "the About window")
        left, top, right, bottom = app.rect(ABOUT_ADDRESS)
        app.click(left + 20, (top + bottom) // 2)
        wait_for(self.browser.opened, 60, "the browser")
        self.assertEqual(self.browser.opened(), [self.shipped_page()])

    def start_with(self, environment, args=()):
        """Vantle.exe with these variables in its environment (Wine passes them on)."""
        saved = {name: os.environ.get(name) for name in environment}
        os.environ.update(environment)
        try:
            return self.start(args)
        finally:
            for name, value in saved.items():
                if value is None:
                    del os.environ[name]
                else:
                    os.environ[name] = value

    def engine_registration(self):
        out = reg(self.display, "query", ENGINE_KEY, "/ve", check=False).stdout
        found = re.search(r"\(Default\)\s+(REG_\w+)\s+(.+)", out)
        return (found.group(1), found.group(2).strip()) if found else None

    def register_engine(self, kind, path):
        reg(self.display, "add", ENGINE_KEY, "/ve", "/t", kind, "/d", path, "/f")

    def test_the_engine_is_loaded_from_its_registration_and_without_one_help_does_nothing(self):
        self.install_help(compiled=True, pages=True)
        original = self.engine_registration()
        if not original:
            self.skipTest("the prefix does not register the HTML Help engine")
        # Registered as Windows does it, a path with a variable (REG_EXPAND_SZ), to a copy of the
        # engine under another name; with the engine's own file name off, only that path loads it.
        engine = os.path.join(self.folder, "engine")
        os.makedirs(engine)
        shutil.copy(os.path.join(env("VANTLE_WINE_PREFIX"), "drive_c", "windows", "system32", "hhctrl.ocx"),
                    os.path.join(engine, "helpengine.ocx"))
        self.register_engine("REG_EXPAND_SZ", r"%VANTLE_HELP_ENGINE%\helpengine.ocx")
        try:
            # The engine is loaded at start-up, so the registration can be put back at once.
            app = self.start_with({"VANTLE_HELP_ENGINE": windows_path(engine), "WINEDLLOVERRIDES": NO_ENGINE_FILE})
        finally:
            self.register_engine(*original)
        app.msg("post", CMD_HELP)
        wait_for(lambda: self.window_of(app, VIEWER), 60, "the help viewer")
        self.assertEqual(app.close(), 0)

        # No engine at all: the help file is there, and nothing opens and nothing is reported.
        app = self.start_with({"WINEDLLOVERRIDES": NO_ENGINE_FILE})
        app.send(CMD_HELP)
        app.send(CMD_HELP)  # the second call finds the engine marked unavailable
        time.sleep(2)
        self.assertEqual([w for w in app.windows() if w[0] != "Vantle_mwin_class"], [], "something came up")
        self.assertEqual(self.browser.opened(), [])
        self.assertEqual(app.close(), 0)

    def test_about_window_holds_the_keys_until_esc_closes_it(self):
        app = self.start([windows_path(self.copy_input())])
        fitted = app.get(ZOOM_BOX)
        self.assertLess(fitted, 100)
        app.msg("post", CMD_ABOUT)
        about = wait_for(lambda: self.window_of(app, ABOUT), 20, "the About window")
        self.assertEqual(about[1], "About Vantle")
        self.assertEqual([app.text(line) for line in ABOUT_LINES],
                         ["Vantle version 1.5.0.0 (64-bit)", "Made by the Vantle developers"])
        main = app.window_rect()
        left, top, right, bottom = about[2]
        centred = ((main[0] + main[2] - (right - left)) // 2, (main[1] + main[3] - (bottom - top)) // 2)
        self.assertEqual((left, top), centred, "not centred on the main window")
        self.assertEqual(app.msg("main-enabled").strip(), "0")
        shot = self.screenshot("about")
        line = app.rect(ABOUT_ADDRESS)
        self.assertTrue(any(shot.pixel(x, y) == ADDRESS_BLUE for x in range(line[0], line[2])
                            for y in range(line[1], line[3])), "the address line shows no blue text")

        # Space, the zoom key, neither over the About window nor over the picture.
        centre = ((left + right) // 2, (top + bottom) // 2)
        view_left, view_top, view_right, view_bottom = app.rect(VIEW)
        app.key("space", over=centre)
        app.key("space", over=(view_left + 20, view_bottom - 20))
        self.assertEqual(app.get(ZOOM_BOX), fitted)

        app.key("Escape", over=centre)
        wait_for(lambda: self.window_of(app, ABOUT) is None, 20, "the About window to close")
        self.assertEqual(app.msg("main-enabled").strip(), "1")
        app.key("space", over=((view_left + view_right) // 2, (view_top + view_bottom) // 2))
        wait_for(lambda: app.get(ZOOM_BOX) == 100, 20, "the zoom key to work again")
        self.assertEqual(app.close(), 0)

    def test_help_and_about_do_nothing_in_trim_mode(self):
        self.install_help(pages=True)
        app = self.start([windows_path(self.copy_input())])
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        # Sent, not posted: an About window would hold the call until it closed.
        app.send(CMD_ABOUT)
        app.send(CMD_HELP)
        time.sleep(2)
        self.assertIsNone(self.window_of(app, ABOUT))
        self.assertEqual(self.browser.opened(), [])
        self.assertEqual(app.msg("main-enabled").strip(), "1")
        app.send(CMD_CANCEL)
        app.wait_title(lambda t: not t.startswith("Trimming"), "the end of trim mode")


if __name__ == "__main__":
    unittest.main()
