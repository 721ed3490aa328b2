"""The output options dialog: opened from its toolbar button, edited by typing and clicking, closed
with Esc; what it sets decides the next trim and is written at exit."""
import os
import unittest

from harness import BOX_BOTTOM, BOX_LEFT, BOX_RIGHT, BOX_TOP, CMD_EXECUTE, CMD_FIT_LARGEST, TRIM_TOOLBAR, GuiTest, \
    PathArg, windows_path

OUTPUT_TOOLBAR, CMD_OUTPUT_OPTIONS = 1022, 5300
INTERLACED, QUALITY, SUBSAMPLING, LIMIT_SIZE, SIZE_LIMIT = 2021, 2032, 2036, 2040, 2041
PROGRESSIVE, KEEP_EXIF, RESIZE_METHOD, SHARPEN, AUTO_LEVELS = 2045, 2046, 2052, 2053, 2054
SAVE_AUTOMATICALLY, ASK_FOR_NAME, FOLDER, CLEAR_FOLDER, SUBFOLDER = 2081, 2082, 2084, 2086, 2088
USE_PREFIX, PREFIX, USE_SUFFIX, SUFFIX, APPEND_SIZE = 2091, 2092, 2093, 2094, 2095


class OutputDialogTest(GuiTest):
    def open_from_button(self, app):
        app.click_button(OUTPUT_TOOLBAR, CMD_OUTPUT_OPTIONS)
        return app.wait_dialog()

    def settings(self):
        return self.settings_of(os.path.join(self.folder, "Vantle.ini"))

    def test_fields_clamp_switches_apply_when_clicked_and_esc_applies_the_rest(self):
        app = self.start()
        self.assertEqual(self.open_from_button(app), "Output Options")
        # Under its button: centred on it, its top at the view's top.
        left, top, right, _ = app.dlg_frame()
        b_left, _, b_right, _ = app.button(OUTPUT_TOOLBAR, CMD_OUTPUT_OPTIONS)
        self.assertLessEqual(abs((left + right) // 2 - (b_left + b_right) // 2), 1)
        self.assertLessEqual(abs(top - app.view_origin()[1]), 2)  # the view window's edge, not its client
        self.screenshot("output-dialog")

        # The numbers are corrected when they lose the focus.
        for typed, shown in (("0", "1"), ("250", "100"), ("85", "85")):
            app.dlg_type(QUALITY, typed)
            app.dlg_key("Tab")
            self.assertEqual(app.dlg_text(QUALITY), shown)
        app.dlg_type(SIZE_LIMIT, "0")
        app.dlg_key("Tab")
        self.assertEqual(app.dlg_text(SIZE_LIMIT), "1")

        app.dlg_click(KEEP_EXIF)
        app.dlg_click(SHARPEN)
        app.dlg_click(USE_PREFIX)
        app.dlg_select(RESIZE_METHOD, 2)
        app.dlg_select(SUBSAMPLING, 1)
        app.dlg_click(ASK_FOR_NAME)
        app.dlg_type(FOLDER, "Z:\\no such folder")
        app.dlg_type(SUBFOLDER, "")
        app.dlg_type(PREFIX, "pre_")
        # Esc closes and applies: there is no way to discard.
        app.dlg_key("Escape")
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)
        fields = self.settings()
        expected = {"jpegQuality": "85", "jpegSizeLimitKiB": "1", "keepExif": "1", "sharpen": "1", "usePrefix": "1",
                    "resizeMethod": "2", "jpegSubsampling": "1", "createOutputFolder": "0",
                    "outputFolder": '""', "outputSubfolder": '""', "namePrefix": '"pre_"', "interlaced": "0"}
        for name, value in expected.items():
            self.assertEqual(fields.get(name), value, name)

    def test_a_number_typed_last_counts_when_esc_closes(self):
        app = self.start()
        self.open_from_button(app)
        app.dlg_type(QUALITY, "42")
        app.dlg_key("Escape")
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings().get("jpegQuality"), "42")

    def test_the_next_trim_uses_what_the_dialog_set(self):
        path = self.copy_input()
        app = self.start([windows_path(path)])
        self.open_from_button(app)
        app.dlg_type(QUALITY, "30")
        app.dlg_key("Tab")
        app.dlg_select(RESIZE_METHOD, 2)  # nearest neighbour
        app.dlg_click(SHARPEN)
        app.dlg_key("Escape")
        app.wait_no_dialog()
        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        boxes = tuple(app.get(b) for b in (BOX_LEFT, BOX_TOP, BOX_RIGHT, BOX_BOTTOM))
        app.click_button(TRIM_TOOLBAR, CMD_EXECUTE)
        app.wait_title(lambda t: not t.startswith("Trimming"), "the end of trim mode")
        written = os.path.join(self.folder, "Output", "sample.jpg")
        self.assertTrue(os.path.exists(written))
        reference = os.path.join(self.folder, "reference.jpg")
        self.cli("trim", "--quality", "30", "--filter", "2", "--sharpen", "--rect", ",".join(map(str, boxes)),
                 PathArg(path), "-o", PathArg(reference))
        with open(written, "rb") as a, open(reference, "rb") as b:
            self.assertEqual(a.read(), b.read(), "the trim did not use the dialog's quality, filter and sharpening")
        self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    unittest.main()
