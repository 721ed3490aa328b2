"""Start-up: the command line, the empty window, a missing language module, the main menu."""
import os
import unittest

from harness import (CMD_MAIN_MENU, LIGHT_GREY, MAIN_TOOLBAR, VIEW, GuiTest, wait_for,
                     windows_path)


class StartupTest(GuiTest):
    def test_first_argument_is_opened_and_named_in_the_title(self):
        first = self.copy_input("sample.bmp")
        second = self.copy_input("other.bmp")
        app = self.start([windows_path(first), windows_path(second)])
        self.assertEqual(app.title(), "sample.bmp ... Size 1600 × 1200")
        # No saved placement: the default one (there is no window manager to move it).
        self.assertEqual(app.window_rect(), (200, 100, 1000, 700))
        self.screenshot("image-shown")

    def test_without_an_image_the_window_is_empty(self):
        app = self.start()
        self.assertEqual(app.title(), "Vantle")
        shot = self.screenshot("empty-window")
        left, top, right, bottom = app.rect(VIEW)
        # The whole view is background; sample a grid over it.
        for y in range(top + 2, bottom - 2, 37):
            for x in range(left + 2, right - 2, 41):
                self.assertEqual(shot.pixel(x, y), LIGHT_GREY, f"view pixel ({x}, {y})")

    def test_an_unreadable_file_shows_no_box_only_the_views_text(self):
        broken = os.path.join(self.folder, "broken.jpg")
        with open(broken, "wb") as f:
            f.write(b"\xff\xd8 not a picture at all")
        app = self.start([windows_path(broken)])
        self.assertEqual(app.title(), "Vantle")
        # Whatever comes up would be up by the time the window answers twice.
        app.send(0)
        app.send(0)
        self.assertFalse(any(w[0] == "#32770" for w in app.windows()), "a message box came up")
        shot = self.screenshot("load-failed")
        left, top, right, bottom = app.rect(VIEW)
        text_row = [shot.pixel(x, (top + bottom) // 2 + 6) for x in range(left, right)]
        self.assertTrue(any(p != LIGHT_GREY for p in text_row), "the view shows no text")

    def test_missing_language_module_stops_after_the_message(self):
        app = self.start(language=False, wait=False)
        box = wait_for(lambda: next((w for w in app.windows() if w[:2] == ("#32770", "Error")), None), 60,
                       "the error box")
        self.assertIn("Language file not found.", app.msg("dialog-text", "Error"))
        self.screenshot("no-language-module")
        self.assertTrue(app.running())
        left, top, right, bottom = box[2]
        app.key("Return", over=((left + right) // 2, (top + bottom) // 2))
        self.assertEqual(app.wait_exit(), 0)
        # Nothing ran far enough to save settings.
        self.assertEqual(os.path.getsize(os.path.join(self.folder, "Vantle.ini")), 0)

    def test_main_menu_opens_under_its_button(self):
        app = self.start([windows_path(self.copy_input())])
        app.click_button(MAIN_TOOLBAR, CMD_MAIN_MENU)
        wait_for(lambda: any(w[0] == "#32768" for w in app.windows()), 20, "a popup menu")
        self.screenshot("menu-open")
        app.key("Escape")
        wait_for(lambda: not any(w[0] == "#32768" for w in app.windows()), 20, "the menu to close")


if __name__ == "__main__":
    unittest.main()
