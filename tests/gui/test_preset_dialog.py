"""The size presets dialog: rows typed in, OK stores them (clamped, empty rows cleared) and the
preset menu applies them; Cancel changes nothing."""
import os
import unittest

from harness import OUT_HEIGHT, OUT_WIDTH, GuiTest

CMD_PRESET_DIALOG, CMD_PRESET1, CMD_PRESET_MENU = 5608, 5600, 5350
SIZE_TOOLBAR = 1023
WIDTH, HEIGHT, NAME = 2120, 2130, 2140
IDOK, IDCANCEL = 1, 2


class PresetDialogTest(GuiTest):
    def settings(self):
        return self.settings_of(os.path.join(self.folder, "Vantle.ini"))

    def test_ok_stores_clamped_rows_and_clears_incomplete_ones(self):
        app = self.start()
        self.assertEqual(app.open_dialog(CMD_PRESET_DIALOG), "Size Presets")
        # Under the preset button of the size toolbar.
        left, top, right, _ = app.dlg_frame()
        b_left, _, b_right, _ = app.button(SIZE_TOOLBAR, CMD_PRESET_MENU)
        self.assertLessEqual(abs((left + right) // 2 - (b_left + b_right) // 2), 1)
        # Rows with both numbers show them; empty ones show nothing.
        self.assertEqual((app.dlg_text(WIDTH + 0), app.dlg_text(HEIGHT + 0)), ("800", "450"))
        self.assertEqual(app.dlg_text(WIDTH + 3), "")
        app.dlg_type(WIDTH + 3, "12000"[:4])  # the field takes four digits: 1200
        app.dlg_type(HEIGHT + 3, "50")
        app.dlg_type(NAME + 3, "Banner")
        app.dlg_type(WIDTH + 4, "0")
        app.dlg_type(HEIGHT + 4, "300")
        app.dlg_type(NAME + 4, "Lost")
        app.dlg_type(WIDTH + 1, "")
        self.screenshot("preset-dialog")
        app.dlg_click(IDOK)
        app.wait_no_dialog()

        # The menu's presets: the new one applies, an empty one does nothing.
        app.send(CMD_PRESET1 + 3)
        self.assertEqual((app.get(OUT_WIDTH), app.get(OUT_HEIGHT)), (1200, 50))
        app.send(CMD_PRESET1 + 1)  # its width was cleared: an empty preset now
        self.assertEqual((app.get(OUT_WIDTH), app.get(OUT_HEIGHT)), (1200, 50))
        self.assertEqual(app.close(), 0)
        fields = self.settings()
        self.assertEqual((fields["presetWidth[3]"], fields["presetHeight[3]"], fields["presetName[3]"]),
                         ("1200", "50", '"Banner"'))
        self.assertEqual((fields["presetWidth[4]"], fields["presetHeight[4]"], fields["presetName[4]"]),
                         ("0", "0", '""'))
        self.assertEqual((fields["presetWidth[1]"], fields["presetHeight[1]"]), ("0", "0"))

    def test_values_above_9999_are_cut_and_cancel_keeps_everything(self):
        # A settings file can hold what the fields cannot type: the dialog shows and stores it cut.
        app = self.start(settings=["presetWidth[5]=12000", "presetHeight[5]=50"])
        app.open_dialog(CMD_PRESET_DIALOG)
        self.assertEqual(app.dlg_text(WIDTH + 5), "12000")
        app.dlg_click(IDOK)
        app.wait_no_dialog()
        app.send(CMD_PRESET1 + 5)
        self.assertEqual((app.get(OUT_WIDTH), app.get(OUT_HEIGHT)), (9999, 50))

        app.open_dialog(CMD_PRESET_DIALOG)
        app.dlg_type(WIDTH + 0, "640")
        app.dlg_click(IDCANCEL)
        app.wait_no_dialog()
        app.send(CMD_PRESET1 + 0)
        self.assertEqual((app.get(OUT_WIDTH), app.get(OUT_HEIGHT)), (800, 450))
        self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    unittest.main()
