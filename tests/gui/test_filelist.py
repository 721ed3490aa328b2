"""The file list window: the current folder's images in natural order; choosing one opens it."""
import os
import unittest

from harness import CMD_FILE_LIST, MAIN_TOOLBAR, GuiTest, PathArg, wait_for, windows_path

LIST_BOX = 1010


class FileListTest(GuiTest):
    def test_folder_listed_in_natural_order_and_a_choice_opens(self):
        pictures = os.path.join(self.folder, "pictures")
        os.mkdir(pictures)
        # Sizes tell the files apart in the title.
        sizes = {"img2.png": (200, 150), "img10.png": (240, 180), "IMG1.png": (160, 120)}
        for name, (w, h) in sizes.items():
            self.cli("trim", "--size", f"{w}x{h}", "--format", "png", PathArg(self.sample_bmp), "-o",
                     PathArg(os.path.join(pictures, name)))
        app = self.start([windows_path(os.path.join(pictures, "img10.png"))])
        self.assertEqual(app.title(), "img10.png ... Size 240 × 180")

        app.click_button(MAIN_TOOLBAR, CMD_FILE_LIST)
        wait_for(lambda: any(w[0] == "Vantle_list_class" for w in app.windows()), 20, "the file list window")
        count, top_index, item_height, _, left, top, _, _ = map(int, app.msg("listbox", LIST_BOX).split())
        self.assertEqual(count, 3)
        self.screenshot("file-list")

        for index, name in enumerate(["IMG1.png", "img2.png", "img10.png"]):
            y = top + (index - top_index) * item_height + item_height // 2
            app.click(left + 20, y)
            w, h = sizes[name]
            app.wait_title(lambda t: t == f"{name} ... Size {w} × {h}", f"{name} opened from the list")


if __name__ == "__main__":
    unittest.main()
