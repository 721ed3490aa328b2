"""Names outside any single code page: a picture in such a folder opens from the command line, is
trimmed into its Output folder, reloads, and is listed."""
import os
import unittest

from harness import CMD_EXECUTE, CMD_FILE_LIST, CMD_FIT_LARGEST, MAIN_TOOLBAR, GuiTest, wait_for, windows_path

CMD_RELOAD = 5400
LIST_BOX = 1010


class UnicodeTest(GuiTest):
    def test_open_trim_reload_and_list_a_unicode_path(self):
        folder = os.path.join(self.folder, "Żółw 写真")
        os.mkdir(folder)
        name = "фото №1.bmp"
        path = self.copy_input(os.path.join("Żółw 写真", name))
        app = self.start([windows_path(path)])
        self.assertEqual(app.title(), f"{name} ... Size 1600 × 1200")

        app.send(CMD_FIT_LARGEST)
        app.wait_title(lambda t: t.startswith("Trimming"), "trim mode")
        app.send(CMD_EXECUTE)
        app.wait_title(lambda t: t == f"{name} ... Size 400 × 300", "the trimmed image")
        written = os.path.join(folder, "Output", "фото №1.jpg")
        self.assertTrue(os.path.exists(written), f"{written} was not written")
        self.assertEqual(self.decode(written).size, (400, 300))

        # Reload reads the source again from its Unicode path.
        app.send(CMD_RELOAD)
        app.wait_title(lambda t: t == f"{name} ... Size 1600 × 1200", "the reloaded source")

        app.click_button(MAIN_TOOLBAR, CMD_FILE_LIST)
        wait_for(lambda: any(w[0] == "Vantle_list_class" for w in app.windows()), 20, "the file list window")
        count = int(app.msg("listbox", LIST_BOX).split()[0])
        self.assertEqual(count, 1)


if __name__ == "__main__":
    unittest.main()
