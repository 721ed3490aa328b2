"""The key and mouse dialog: assigning, refusing, clearing and resetting keys and mouse actions on
the dialog's own copy, applied when it closes; the new keys work, the tooltips show them and the
settings file keeps them."""
import os
import unittest

from harness import MAIN_TOOLBAR, ZOOM_BOX, GuiTest, windows_path

CMD_KEY_DIALOG, CMD_ZOOM_FIT, CMD_ZOOM_100 = 5420, 5100, 5110
KEY_LIST, COMMANDS, MOUSE_LIST, CTRL, SHIFT = 2220, 2221, 2222, 2230, 2231
ASSIGN, CLEAR, RESET, CLOSE, KEY_PAGE, MOUSE_PAGE = 2240, 2241, 2242, 2243, 2250, 2251
# Rows of the list (the key slots) and entries of the key list.
ROW_OPEN, ROW_FIT, ROW_TOGGLE, ROW_ZOOM_IN = 1, 3, 5, 6
KEY_CAPS_LOCK, KEY_O = 15, 52
ACTION_BOTH, ACTION_MIDDLE = 1, 2
ALREADY_ASSIGNED = "This is already assigned to a command. Clear that assignment first."


class KeyDialogTest(GuiTest):
    def open(self, app):
        self.assertEqual(app.open_dialog(CMD_KEY_DIALOG), "Keys and Mouse")

    def row(self, app, row):
        rows, _ = app.dlg_rows(COMMANDS)
        return rows[row]

    def assign(self, app, row, key=None, ctrl=False, action=None):
        app.dlg_select(COMMANDS, row)
        if key is not None:
            app.dlg_select(KEY_LIST, key)
            if app.dlg_checked(CTRL) != ctrl:
                app.dlg_click(CTRL)
        if action is not None:
            app.dlg_select(MOUSE_LIST, action)
        app.dlg_click(ASSIGN)

    def expect_refusal(self, app, text):
        caption, texts = app.wait_message_box()
        self.assertEqual(caption, "Keys and Mouse")
        self.assertIn(text, texts)
        app.answer_message_box()

    def settings(self):
        return self.settings_of(os.path.join(self.folder, "Vantle.ini"))

    def test_keys_are_refused_twice_capslock_takes_no_shift_and_esc_applies(self):
        path = self.copy_input()
        app = self.start([windows_path(path)])
        self.open(app)
        self.screenshot("key-dialog")
        self.assertEqual(self.row(app, ROW_OPEN)[:2], ["Open image", "Ctrl+O"])
        # CapsLock clears and disables Shift; another key gives it back.
        app.dlg_select(KEY_LIST, KEY_O)
        app.dlg_click(SHIFT)
        self.assertTrue(app.dlg_checked(SHIFT))
        app.dlg_select(KEY_LIST, KEY_CAPS_LOCK)
        self.assertFalse(app.dlg_checked(SHIFT))
        self.assertFalse(app.dlg_enabled(SHIFT))
        app.dlg_select(KEY_LIST, KEY_O)
        self.assertTrue(app.dlg_enabled(SHIFT))
        # Ctrl+O serves Open image already; plain O is free, but not twice.
        self.assign(app, ROW_FIT, key=KEY_O, ctrl=True)
        self.expect_refusal(app, ALREADY_ASSIGNED)
        self.assign(app, ROW_FIT, key=KEY_O, ctrl=False)
        self.assertEqual(self.row(app, ROW_FIT)[1], "O")
        self.assign(app, ROW_FIT, key=KEY_O, ctrl=False)
        self.expect_refusal(app, ALREADY_ASSIGNED)
        # No command selected: told to pick one.
        app.dlg_select(COMMANDS, -1)
        app.dlg_click(ASSIGN)
        self.expect_refusal(app, "Select a command in the list first.")
        app.dlg_key("Escape")
        app.wait_no_dialog()

        # The new key works, and the button's tooltip names it.
        self.assertEqual(app.tooltip(MAIN_TOOLBAR, CMD_ZOOM_FIT), "Fit to window (O)")
        app.send(CMD_ZOOM_100)
        self.assertEqual(app.get(ZOOM_BOX), 100)
        left, top = app.view_origin()
        app.key("o", over=(left + 50, top + 50))
        app.send(0)
        self.assertLess(app.get(ZOOM_BOX), 100)
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings().get("keyAssignments"), "9 accelerators")

        # The next start has it too, and the dialog shows it.
        app = self.start()
        self.open(app)
        self.assertEqual(self.row(app, ROW_FIT)[1], "O")
        app.dlg_click(CLOSE)
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)

    def test_defaults_after_asking(self):
        app = self.start()
        self.open(app)
        self.assign(app, ROW_ZOOM_IN, key=KEY_O)
        app.dlg_select(COMMANDS, ROW_OPEN)
        app.dlg_click(CLEAR)
        self.assertEqual(self.row(app, ROW_OPEN)[1], "")
        app.dlg_click(RESET)
        caption, texts = app.wait_message_box()
        self.assertEqual(caption, "Restore Defaults")
        self.assertIn("Restore the default assignments of this page?", texts)
        app.answer_message_box(6)  # Yes
        rows, _ = app.dlg_rows(COMMANDS)
        keys = {row[0]: row[1] for row in rows if row[1]}
        self.assertEqual(keys, {"Open image": "Ctrl+O", "File list": "Tab",
                                "Switch between fit and actual size": "Space", "Trim": "Enter",
                                "Cancel trimming": "Esc", "Reload": "BackSpace", "Save as": "Ctrl+S",
                                "Paste from clipboard": "Ctrl+V"})
        app.dlg_click(CLOSE)
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings().get("keyAssignments"), "8 accelerators")

    def test_mouse_actions_move_only_when_free_and_the_page_is_remembered(self):
        app = self.start()
        self.open(app)
        app.dlg_click(MOUSE_PAGE)
        self.assertTrue(app.msg("dlg-visible", MOUSE_LIST).strip() == "1")
        self.assertFalse(app.msg("dlg-visible", KEY_LIST).strip() == "1")
        self.assertFalse(app.dlg_enabled(CTRL))
        self.assertFalse(app.dlg_enabled(SHIFT))
        self.assertEqual(self.row(app, ROW_TOGGLE)[2], "Middle button")
        # The middle button holds the zoom toggle: it must be cleared first.
        self.assign(app, ROW_FIT, action=ACTION_MIDDLE)
        self.expect_refusal(app, ALREADY_ASSIGNED)
        self.assign(app, ROW_FIT, action=ACTION_BOTH)
        self.assertEqual(self.row(app, ROW_FIT)[2], "Left and right buttons")
        app.dlg_select(COMMANDS, ROW_TOGGLE)
        app.dlg_click(CLEAR)
        self.assign(app, ROW_FIT, action=ACTION_MIDDLE)
        # The command moved: one action holds it now.
        self.assertEqual(self.row(app, ROW_FIT)[2], "Middle button")
        self.assertEqual(self.row(app, ROW_TOGGLE)[2], "")
        self.screenshot("key-dialog-mouse")
        app.dlg_key("Escape")
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)
        fields = self.settings()
        self.assertEqual(fields.get("keyDialogMouseMode"), "1")
        self.assertEqual([fields.get(f"mouseActions[{k}]") for k in range(7)],
                         ["0", "0", "5100", "0", "0", "5231", "5230"])
        app = self.start()
        self.open(app)
        self.assertTrue(app.dlg_checked(MOUSE_PAGE))
        app.dlg_click(CLOSE)
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)


if __name__ == "__main__":
    unittest.main()
