"""Image plug-ins: a picture only a plug-in reads opens from the command line and from the file list,
the open dialog offers the plug-ins' patterns, and the plug-in dialog lists the plug-ins, switches them
off (still off at the next start) and on again."""
import os
import shutil
import unittest

from harness import (CMD_EXECUTE, CMD_FIT_LARGEST, CMD_FILE_LIST, MAIN_TOOLBAR, GuiTest, env, run, wait_for,
                     windows_path)

CMD_OPEN, CMD_RELOAD, CMD_PLUGIN_DIALOG = 5000, 5400, 5430
FOLDER, BROWSE, CLEAR, LIST = 2310, 2320, 2330, 2340
IDOK, IDCANCEL = 1, 2
FILE_TYPES = 1136  # the open dialog's file type combo
LIST_BOX = 1010
TEST_PLUGIN = "vantle-test.sph"
ROW = ["vantle-test.sph", "*.vtp;*.vtq;*.BMP", "Vantle test picture/Second test picture"]


def test_picture(path, mode="good4"):
    """A picture of the test plug-in: good4 is 5 x 3 pixels, good1 9 x 2."""
    data = b"J" * 128 + b"VANTLE-TEST-PLUGIN\n" + mode.encode() + b"\n"
    with open(path, "wb") as f:
        f.write(data + b"\0" * (4096 - len(data)))
    return path


class PluginTest(GuiTest):
    def setUp(self):
        super().setUp()
        self.plugins = os.path.join(self.folder, "Plugins")
        os.mkdir(self.plugins)
        shutil.copy(os.path.join(env("VANTLE_WINE_BUILD"), "test-plugins", TEST_PLUGIN), self.plugins)
        self.pictures = os.path.join(self.folder, "pictures")
        os.mkdir(self.pictures)
        self.four = test_picture(os.path.join(self.pictures, "four.vtp"))

    def start_with_plugins(self, args=()):
        # A folder relative to the executable's, as a portable installation has it.
        return self.start(args, settings=["pluginFolder=Plugins"])

    def settings(self):
        return self.settings_of(os.path.join(self.folder, "Vantle.ini"))

    def toggle(self, app, row):
        """Switches a row's check box with the space bar, as a keyboard user does."""
        app.dlg_click_row(LIST, row)
        app.display.xdotool("sleep", 0.1, "key", "space")

    def assert_trims_as(self, app, png):
        """Fit-largest and Execute on the open photo.* write the bytes the same program's vantle-cli.exe
        writes from `png` with the rectangle the window placed (at a fitted zoom its far corner passes
        through the screen's rounding)."""
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        boxes = app.boxes()
        app.send(CMD_EXECUTE)
        app.wait_title(lambda t: not t.startswith("Trimming"), "the end of trim mode")
        out = os.path.join(self.pictures, "Output", "photo.jpg")
        wait_for(lambda: os.path.exists(out), 20, "the trimmed JPEG")
        reference = os.path.join(self.folder, "reference.jpg")
        run([env("VANTLE_GUI_WINE_RUN"), env("VANTLE_GUI_CLI_EXE"), "trim", "--rect", ",".join(map(str, boxes)),
             windows_path(png), "-o", windows_path(reference)], timeout=120, env=self.display.env())
        with open(out, "rb") as a, open(reference, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_a_plugin_picture_opens_from_the_command_line_and_from_the_file_list(self):
        test_picture(os.path.join(self.pictures, "one.vtp"), "good1")
        test_picture(os.path.join(self.pictures, "three.vtq"))
        test_picture(os.path.join(self.pictures, "notes.txt"))
        app = self.start_with_plugins([windows_path(self.four)])
        self.assertEqual(app.title(), "four.vtp ... Size 5 × 3")
        self.screenshot("plugin-picture")

        app.click_button(MAIN_TOOLBAR, CMD_FILE_LIST)
        wait_for(lambda: any(w[0] == "Vantle_list_class" for w in app.windows()), 20, "the file list window")
        count, top_index, item_height, _, left, top, _, _ = map(int, app.msg("listbox", LIST_BOX).split())
        self.assertEqual(count, 3)  # the plug-in's two kinds of file, not the text
        y = top + (1 - top_index) * item_height + item_height // 2  # four, one, three
        app.click(left + 20, y)
        app.wait_title(lambda t: t == "one.vtp ... Size 9 × 2", "one.vtp opened from the list")

    def test_the_open_dialog_offers_the_plugins_patterns(self):
        app = self.start_with_plugins()
        app.open_dialog(CMD_OPEN)
        items = [line.rstrip("\r") for line in app.msg("dlg-items", FILE_TYPES).splitlines()]
        # A built-in format's pattern stays with the built-in entries.
        self.assertIn("Plug-in images (*.vtp;*.vtq)", items)
        self.assertEqual(items[-1], "All files")
        app.dlg_click(IDCANCEL)
        app.wait_no_dialog()

    def test_switched_off_in_the_dialog_the_plugin_reads_nothing_until_switched_on(self):
        app = self.start_with_plugins([windows_path(self.four)])
        self.assertEqual(app.open_dialog(CMD_PLUGIN_DIALOG), "Plug-ins")
        self.assertEqual(app.dlg_text(FOLDER), "Plugins")
        rows, _ = app.dlg_rows(LIST)
        self.assertEqual(rows, [ROW])
        self.assertEqual(app.dlg_checks(LIST), [True])
        self.screenshot("plugin-dialog")
        self.toggle(app, 0)
        wait_for(lambda: app.dlg_checks(LIST) == [False], 10, "the row unchecked")
        app.dlg_click(IDOK)
        app.wait_no_dialog()
        app.send(CMD_RELOAD)
        app.wait_title(lambda t: "Size" not in t, "the picture unreadable")
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings()["disabledPlugins"], '"vantle-test.sph"')

        # Still off at the next start; on again, the picture reads (reload needs a picture shown).
        app = self.start([windows_path(self.four)])
        self.assertNotIn("Size", app.title())
        app.open_dialog(CMD_PLUGIN_DIALOG)
        self.assertEqual(app.dlg_checks(LIST), [False])
        self.toggle(app, 0)
        wait_for(lambda: app.dlg_checks(LIST) == [True], 10, "the row checked")
        app.dlg_click(IDOK)
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings()["disabledPlugins"], '""')
        app = self.start([windows_path(self.four)])
        self.assertEqual(app.title(), "four.vtp ... Size 5 × 3")

    def test_another_folder_lists_its_plugins_checked_and_a_double_click_opens_a_plugins_settings(self):
        other = os.path.join(self.folder, "More plug-ins")
        os.mkdir(other)
        for name in ("b10.sph", "b9.spi"):
            shutil.copy(os.path.join(self.plugins, TEST_PLUGIN), os.path.join(other, name))
        app = self.start_with_plugins()
        app.open_dialog(CMD_PLUGIN_DIALOG)
        self.toggle(app, 0)
        wait_for(lambda: app.dlg_checks(LIST) == [False], 10, "the row unchecked")
        # A new folder typed and left: its plug-ins in natural order, all checked.
        app.dlg_type(FOLDER, windows_path(other))
        app.dlg_key("Tab")
        wait_for(lambda: len(app.dlg_rows(LIST)[0]) == 2, 10, "the new folder's plug-ins")
        self.assertEqual([row[0] for row in app.dlg_rows(LIST)[0]], ["b9.spi", "b10.sph"])
        self.assertEqual(app.dlg_checks(LIST), [True, True])

        app.dlg_click_row(LIST, 1, clicks=2)
        caption, texts = app.wait_message_box()
        self.assertEqual(caption, "Test plug-in")
        self.assertIn("Vantle test plug-in 1.0", texts)
        app.answer_message_box()

        app.dlg_click(CLEAR)
        wait_for(lambda: app.dlg_rows(LIST)[0] == [], 10, "an empty list")
        self.assertEqual(app.dlg_text(FOLDER), "")
        app.dlg_click(IDOK)
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)
        settings = self.settings()
        self.assertEqual(settings["pluginFolder"], '""')
        self.assertEqual(settings["disabledPlugins"], '""')


    def test_the_shipped_plugin_reads_a_ppm_that_trims_as_its_png_does(self):
        shipped = os.path.join(env("VANTLE_GUI_BIN"), "Plugins")
        ppm = os.path.join(self.pictures, "photo.ppm")
        png = os.path.join(self.folder, "photo.png")
        run(["convert", self.sample_bmp, ppm])
        run(["convert", ppm, png])
        run(["convert", self.sample_bmp, "-colorspace", "Gray", os.path.join(self.pictures, "grey.pgm")])
        os.remove(self.four)
        app = self.start([windows_path(ppm)], settings=[f"pluginFolder={windows_path(shipped)}"])
        self.assertEqual(app.title(), "photo.ppm ... Size 1600 × 1200")

        app.open_dialog(CMD_OPEN)
        items = [line.rstrip("\r") for line in app.msg("dlg-items", FILE_TYPES).splitlines()]
        # Both shipped plug-ins, in the folder's order.
        self.assertIn("Plug-in images (*.pnm;*.pbm;*.pgm;*.ppm;*.pam;*.webp)", items)
        app.dlg_click(IDCANCEL)
        app.wait_no_dialog()
        app.click_button(MAIN_TOOLBAR, CMD_FILE_LIST)
        wait_for(lambda: any(w[0] == "Vantle_list_class" for w in app.windows()), 20, "the file list window")
        self.assertEqual(int(app.msg("listbox", LIST_BOX).split()[0]), 2)  # the .ppm and the .pgm

        self.assert_trims_as(app, png)
        self.assertEqual(app.close(), 0)

    def test_the_shipped_webp_plugin_reads_a_webp_that_trims_as_dwebps_png_does(self):
        shipped = os.path.join(env("VANTLE_GUI_BIN"), "Plugins")
        ppm = os.path.join(self.folder, "source.ppm")
        run(["convert", self.sample_bmp, ppm])
        photo = os.path.join(self.pictures, "photo.webp")
        run(["cwebp", "-quiet", "-q", "80", ppm, "-o", photo])
        run(["cwebp", "-quiet", "-lossless", ppm, "-o", os.path.join(self.pictures, "second.webp")])
        png = os.path.join(self.folder, "photo.png")
        run(["dwebp", "-quiet", photo, "-o", png])
        os.remove(self.four)
        app = self.start([windows_path(photo)], settings=[f"pluginFolder={windows_path(shipped)}"])
        self.assertEqual(app.title(), "photo.webp ... Size 1600 × 1200")

        app.click_button(MAIN_TOOLBAR, CMD_FILE_LIST)
        wait_for(lambda: any(w[0] == "Vantle_list_class" for w in app.windows()), 20, "the file list window")
        count, top_index, item_height, _, left, top, _, _ = map(int, app.msg("listbox", LIST_BOX).split())
        self.assertEqual(count, 2)
        y = top + (1 - top_index) * item_height + item_height // 2  # photo, second
        app.click(left + 20, y)
        app.wait_title(lambda t: t == "second.webp ... Size 1600 × 1200", "second.webp opened from the list")
        app.click(left + 20, y - item_height)
        app.wait_title(lambda t: t == "photo.webp ... Size 1600 × 1200", "photo.webp opened from the list")

        self.assert_trims_as(app, png)
        self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    unittest.main()
