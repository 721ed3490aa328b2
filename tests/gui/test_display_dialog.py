"""The display dialog: a second language module and the user-interface font, switched at run time
without a restart, and the dialog type size for the next dialog. Keeps a screenshot of every dialog
in both languages."""
import os
import unittest

from harness import MAIN_TOOLBAR, ZOOM_BOX, GuiTest

CMD_DISPLAY, CMD_OUTPUT, CMD_KEYS, CMD_PRESETS, CMD_ZOOM_FIT = 5440, 5300, 5420, 5608, 5100
LANGUAGE, FONT_FACE, SMALL, MEDIUM, LARGE, NORMAL, BOLD = 2411, 2421, 2431, 2432, 2433, 2441, 2442
STANDARD_TYPE, LARGE_TYPE = 2451, 2452
IDOK, IDCANCEL = 1, 2
TRIM_LABEL_LEFT = 1130
DIALOGS = ((CMD_OUTPUT, "output"), (CMD_KEYS, "keys"), (CMD_PRESETS, "presets"), (CMD_DISPLAY, "display"))


class DisplayDialogTest(GuiTest):
    def settings(self):
        return self.settings_of(os.path.join(self.folder, "Vantle.ini"))

    def choose_language(self, app, name):
        languages = [line.rstrip("\r") for line in app.msg("dlg-items", LANGUAGE).splitlines()]
        self.assertIn(name, languages)
        app.dlg_select(LANGUAGE, languages.index(name))

    def close_dialog(self, app, name):
        app.dlg_key("Escape")
        app.wait_no_dialog()

    def screenshots_of_every_dialog(self, app, language):
        captions = []
        for command, name in DIALOGS:
            captions.append(app.open_dialog(command))
            self.screenshot(f"dialog-{name}-{language}")
            self.close_dialog(app, name)
        return captions

    def test_the_language_changes_at_once_is_kept_and_changes_back(self):
        app = self.start()
        self.assertEqual(self.screenshots_of_every_dialog(app, "en"),
                         ["Output Options", "Keys and Mouse", "Size Presets", "Display"])
        self.assertEqual(app.open_dialog(CMD_DISPLAY), "Display")
        self.choose_language(app, "Deutsch")
        app.dlg_click(IDOK)
        app.wait_no_dialog()
        # Toolbars, tooltips and the next dialogs speak German without a restart.
        self.assertEqual(app.text(TRIM_LABEL_LEFT), "Links")
        self.assertEqual(app.tooltip(MAIN_TOOLBAR, CMD_ZOOM_FIT), "An Fenster anpassen")
        self.screenshot("main-window-de")
        self.assertEqual(self.screenshots_of_every_dialog(app, "de"),
                         ["Ausgabeoptionen", "Tasten und Maus", "Größenvorgaben", "Anzeige"])
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings().get("languageName"), '"Deutsch"')

        app = self.start()
        self.assertEqual(app.text(TRIM_LABEL_LEFT), "Links")
        self.assertEqual(app.open_dialog(CMD_DISPLAY), "Anzeige")
        self.choose_language(app, "English")
        app.dlg_click(IDOK)
        app.wait_no_dialog()
        self.assertEqual(app.text(TRIM_LABEL_LEFT), "Left")
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings().get("languageName"), '"English"')

    def test_font_size_and_weight_rebuild_the_bands_and_the_dialog_type_waits_for_the_next_dialog(self):
        app = self.start()
        _, top, _, bottom = app.rect(ZOOM_BOX)
        app.open_dialog(CMD_PRESETS)
        left, _, right, _ = app.dlg_frame()
        standard_width = right - left
        self.close_dialog(app, "presets")

        app.open_dialog(CMD_DISPLAY)
        self.assertTrue(app.dlg_checked(SMALL))
        self.assertTrue(app.dlg_checked(NORMAL))
        app.dlg_click(LARGE)
        app.dlg_click(BOLD)
        app.dlg_click(LARGE_TYPE)
        app.dlg_click(IDOK)
        app.wait_no_dialog()
        _, new_top, _, new_bottom = app.rect(ZOOM_BOX)
        self.assertGreater(new_bottom - new_top, bottom - top, "the fields did not grow with the font")
        self.screenshot("main-window-large-bold")

        app.open_dialog(CMD_PRESETS)
        left, _, right, _ = app.dlg_frame()
        self.assertGreater(right - left, standard_width, "the next dialog did not use the large type")
        self.close_dialog(app, "presets")
        self.assertEqual(app.close(), 0)
        fields = self.settings()
        self.assertEqual((fields["fontHeight"], fields["fontWeight"], fields["largeDialogFont"]), ("-16", "700", "1"))

        # Cancel changes nothing.
        app = self.start()
        app.open_dialog(CMD_DISPLAY)
        self.assertTrue(app.dlg_checked(LARGE))
        self.assertTrue(app.dlg_checked(LARGE_TYPE))
        app.dlg_click(SMALL)
        app.dlg_click(IDCANCEL)
        app.wait_no_dialog()
        self.assertEqual(app.close(), 0)
        self.assertEqual(self.settings()["fontHeight"], "-16")


if __name__ == "__main__":
    unittest.main()
