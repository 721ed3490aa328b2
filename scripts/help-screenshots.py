"""Retakes the pictures of the user guide (docs/help/images/*.png) from Vantle.exe under Wine on a
private Xvfb display, with the GUI tests' harness. Each picture is cropped to the part of the screen
it shows and stored with a reduced palette, so it stays small.

Run through scripts/help-screenshots.sh, which sets up the environment the harness expects.
"""
import os
import shutil
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "gui"))

import harness  # noqa: E402
from harness import BOX_LEFT, CMD_FILE_LIST, VIEW, FittedView, PathArg, run, windows_path  # noqa: E402

CMD_OUTPUT_OPTIONS, CMD_PRESETS, CMD_KEYS, CMD_PLUGINS, CMD_DISPLAY = 5300, 5608, 5420, 5430, 5440
PHOTO_W, PHOTO_H = 1600, 1200
# The slanted poster: its picture is bent so that pulling the bottom corners of the picture in by
# this many pixels makes it straight again.
POSTER = (480, 300, 1120, 780)  # left, top, right, bottom of the straight poster
PULL_IN = 200


class Shooter:
    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.display = harness.Display()
        self.cli = harness.Cli(self.display)
        self.work = tempfile.mkdtemp(prefix="vantle-help-shots-")
        self.apps = []

    def close(self):
        for app in self.apps:
            app.kill()
        self.display.close()
        shutil.rmtree(self.work, ignore_errors=True)

    def folder(self, name):
        path = os.path.join(self.work, name)
        os.makedirs(path)
        return path

    def start(self, folder, args=(), settings=()):
        # A font Wine has, so the display dialog shows its name.
        sets = ["--set", "fontFace=DejaVu Sans"]
        for s in settings:
            sets += ["--set", s]
        self.cli("settings", PathArg(os.path.join(folder, "Vantle.ini")), *sets, "--write")
        app = harness.Vantle(self.display, folder, args)
        self.apps.append(app)
        self.display.xdotool("mousemove", 5, 5)
        return app.wait_window()

    def finish(self, app):
        app.close()
        self.apps.remove(app)

    def grab(self, name, box):
        """The screen cut to `box` (left, top, right, bottom), as a PNG in the work folder."""
        full = os.path.join(self.work, name + "-screen.png")
        time.sleep(0.5)  # let the last paint reach the screen
        self.display.screenshot(full)
        left, top, right, bottom = box
        part = os.path.join(self.work, name + ".png")
        run(["convert", full, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage", part], timeout=60)
        return part

    def store(self, name, parts, colours=None, scale=None):
        """images/NAME.png from the grabbed parts side by side, scaled and with fewer colours when asked."""
        out = os.path.join(self.out_dir, name + ".png")
        resize = ["-resize", f"{scale}%"] if scale else []
        reduce = ["-dither", "None", "-colors", str(colours)] if colours else []
        spacing = ["-bordercolor", "white", "-border", "4x0"] if len(parts) > 1 else []
        run(["convert", *parts, *resize, *spacing, "+append", *reduce, "-strip",
             "-define", "png:compression-level=9", out], timeout=60)
        print(f"{out}: {os.path.getsize(out) // 1024} KiB")

    def shoot(self, name, box, colours=None):
        self.store(name, [self.grab(name, box)], colours)


def make_pictures(shooter):
    """A photograph, and the same with a poster on it, photographed at a slant."""
    photo = os.path.join(shooter.work, "beach.jpg")
    shooter.cli("sample", PathArg(photo))
    straight = os.path.join(shooter.work, "straight.png")
    left, top, right, bottom = POSTER
    squares = []
    for row in range(6):
        for col in range(8):
            if (row + col) % 2 == 0:
                x, y = left + 20 + col * 75, top + 15 + row * 75
                squares += ["-draw", f"rectangle {x},{y} {x + 74},{y + 74}"]
    run(["convert", photo, "-fill", "white", "-stroke", "#b03020", "-strokewidth", "12", "-draw",
         f"rectangle {left},{top} {right},{bottom}", "-stroke", "none", "-fill", "#284c8c", *squares, straight])
    slanted = os.path.join(shooter.work, "poster.jpg")
    w, h = PHOTO_W - 1, PHOTO_H - 1
    # Where the straight picture's points land in the slanted one: its bottom corners, pulled in,
    # go out to the picture's corners.
    points = f"0,0 0,0  {w},0 {w},0  {PULL_IN},{h} 0,{h}  {w - PULL_IN},{h} {w},{h}"
    run(["convert", straight, "-virtual-pixel", "white", "-distort", "Perspective", points, "-quality", "92", slanted])
    return photo, slanted


def main_window_and_file_list(shooter, photo):
    folder = shooter.folder("photos")
    for name in ("beach.jpg", "dunes.jpg", "harbour.jpg", "lighthouse.jpg", "pier.jpg", "sunset.jpg"):
        shutil.copy(photo, os.path.join(folder, name))
    app = shooter.start(folder, [windows_path(os.path.join(folder, "beach.jpg"))])
    # Without a window manager no frame is drawn: the client area is what shows.
    client = tuple(int(v) for v in app.msg("client").split())
    shooter.shoot("main-window", client, colours=32)
    _, view_top, _, _ = app.rect(VIEW)
    shooter.shoot("toolbars", (client[0], client[1], client[2], view_top - 2))
    app.send(CMD_FILE_LIST)
    lists = harness.wait_for(lambda: [w for w in app.windows() if w[0] == "Vantle_list_class"], 20, "the file list")
    left, top, right, bottom = lists[0][2]
    shooter.shoot("file-list", (left, top, right + 220, bottom), colours=32)
    shooter.finish(app)


def trim(shooter, photo):
    folder = shooter.folder("trim")
    shutil.copy(photo, folder)
    app = shooter.start(folder, [windows_path(os.path.join(folder, "beach.jpg"))])
    view = FittedView(app, PHOTO_W, PHOTO_H)
    app.drag([view.screen(520, 180), view.screen(900, 500), view.screen(1340, 860)])
    harness.wait_for(lambda: app.get(BOX_LEFT) >= 0 and app.title().startswith("Trimming"), 20, "a placed rectangle")
    shooter.shoot("trim", app.rect(VIEW), colours=32)
    shooter.finish(app)


def perspective(shooter, slanted):
    folder = shooter.folder("perspective")
    shutil.copy(slanted, folder)
    app = shooter.start(folder, [windows_path(os.path.join(folder, "poster.jpg"))])
    view = FittedView(app, PHOTO_W, PHOTO_H)
    left, top, right, bottom = POSTER
    app.drag([view.screen(left, top), view.screen((left + right) // 2, (top + bottom) // 2),
              view.screen(right + 1, bottom + 1)])
    harness.wait_for(lambda: app.title().startswith("Trimming"), 20, "a placed rectangle")
    before = shooter.grab("perspective-before", app.rect(VIEW))
    # The bottom corners of the picture, pulled in: their squares sit on the picture's last row.
    pull = round(PULL_IN * view.zoom)
    bottom_row = view.top + view.height - 1
    for corner, towards in (((view.left, bottom_row), pull), ((view.left + view.width - 1, bottom_row), -pull)):
        app.drag([corner, (corner[0] + towards // 2, corner[1]), (corner[0] + towards, corner[1])], settle=0.3)
        time.sleep(2)  # the preview renders at idle priority
    app.send(0)
    after = shooter.grab("perspective-after", app.rect(VIEW))
    shooter.store("perspective", [before, after], colours=32, scale=50)
    shooter.finish(app)


def dialogs(shooter):
    folder = shooter.folder("dialogs")
    # The plug-in dialog shows the folder as the package sets it, with the plug-ins the build made.
    plugins = os.path.join(folder, "Plugins")
    os.makedirs(plugins)
    built = os.path.join(harness.env("VANTLE_GUI_BIN"), "Plugins")
    for name in sorted(os.listdir(built)) if os.path.isdir(built) else []:
        if name.lower().endswith(".sph"):
            shutil.copy(os.path.join(built, name), plugins)
    app = shooter.start(folder, settings=["pluginFolder=Plugins"])
    for command, name in ((CMD_OUTPUT_OPTIONS, "output-options"), (CMD_PRESETS, "presets"),
                          (CMD_KEYS, "keys-and-mouse"), (CMD_PLUGINS, "plugins"), (CMD_DISPLAY, "display")):
        app.open_dialog(command)
        shooter.shoot(name, tuple(int(v) for v in app.msg("dlg-client").split()))
        app.dlg_key("Escape")
        app.wait_no_dialog()
    shooter.finish(app)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "help", "images")
    os.makedirs(out_dir, exist_ok=True)
    shooter = Shooter(out_dir)
    try:
        photo, slanted = make_pictures(shooter)
        main_window_and_file_list(shooter, photo)
        trim(shooter, photo)
        perspective(shooter, slanted)
        dialogs(shooter)
    finally:
        shooter.close()


if __name__ == "__main__":
    main()
